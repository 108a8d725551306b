# Where scripts/windows-sdl keeps SDL2 and SDL2_mixer built for Windows: the "prefix" link in its
# cache, which points to the build for this machine's compiler and Debian's SDL versions.
include(BuiltSdl)
quorvix_built_sdl(QUORVIX_WINDOWS_SDL_PREFIX quorvix-windows QUORVIX_WINDOWS_CACHE
                  bin/SDL2_mixer.dll Windows --windows)
list(APPEND CMAKE_FIND_ROOT_PATH "${QUORVIX_WINDOWS_SDL_PREFIX}")
list(APPEND CMAKE_PREFIX_PATH "${QUORVIX_WINDOWS_SDL_PREFIX}")
