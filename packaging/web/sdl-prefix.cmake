# Where scripts/web-sdl keeps SDL2 and SDL2_mixer built for WebAssembly: the "prefix" link in its
# cache, which points to the build for this machine's emscripten and Debian's SDL versions.
include(BuiltSdl)
quorvix_built_sdl(QUORVIX_WEB_SDL_PREFIX quorvix-web QUORVIX_WEB_CACHE lib/cmake/SDL2_mixer
                  WebAssembly --web)
set(SDL2_DIR "${QUORVIX_WEB_SDL_PREFIX}/lib/cmake/SDL2")
set(SDL2_mixer_DIR "${QUORVIX_WEB_SDL_PREFIX}/lib/cmake/SDL2_mixer")
