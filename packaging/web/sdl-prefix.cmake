# Where scripts/web-sdl keeps SDL2 and SDL2_mixer built for WebAssembly: the "prefix" link in its
# cache, which points to the build for this machine's emscripten and Debian's SDL versions.
set(web_cache "$ENV{QUORVIX_WEB_CACHE}")
if(NOT web_cache)
  if(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(web_cache "$ENV{XDG_CACHE_HOME}/quorvix-web")
  else()
    set(web_cache "$ENV{HOME}/.cache/quorvix-web")
  endif()
endif()
set(QUORVIX_WEB_SDL_PREFIX "${web_cache}/prefix" CACHE PATH
    "SDL2 and SDL2_mixer built for WebAssembly (made by scripts/web-sdl)")
if(NOT EXISTS "${QUORVIX_WEB_SDL_PREFIX}/lib/cmake/SDL2_mixer")
  message(FATAL_ERROR "No SDL2 and SDL2_mixer for WebAssembly in ${QUORVIX_WEB_SDL_PREFIX}: "
                      "run scripts/install-deps --web first")
endif()
get_filename_component(QUORVIX_WEB_SDL_PREFIX "${QUORVIX_WEB_SDL_PREFIX}" REALPATH)
message(STATUS "SDL for WebAssembly: ${QUORVIX_WEB_SDL_PREFIX}")
set(SDL2_DIR "${QUORVIX_WEB_SDL_PREFIX}/lib/cmake/SDL2")
set(SDL2_mixer_DIR "${QUORVIX_WEB_SDL_PREFIX}/lib/cmake/SDL2_mixer")
