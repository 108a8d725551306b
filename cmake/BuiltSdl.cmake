# SDL2 and SDL2_mixer built for another platform by one of the project's scripts (scripts/web-sdl,
# scripts/windows-sdl), kept outside the checkout in a cache whose "prefix" link points to the
# build for this machine.
#
#   quorvix_built_sdl(VARIABLE CACHE_NAME ENV_NAME CHECK PLATFORM INSTALL_FLAG)
#     sets VARIABLE to that prefix, the real path of $ENV_NAME/prefix, or else of
#     $XDG_CACHE_HOME/CACHE_NAME/prefix or ~/.cache/CACHE_NAME/prefix (a cache entry of the same
#     name may name another); fails, naming scripts/install-deps INSTALL_FLAG, unless CHECK is
#     there.
include_guard(GLOBAL)

function(quorvix_built_sdl variable cache_name env_name check platform install_flag)
  set(cache "$ENV{${env_name}}")
  if(NOT cache)
    if(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
      set(cache "$ENV{XDG_CACHE_HOME}/${cache_name}")
    else()
      set(cache "$ENV{HOME}/.cache/${cache_name}")
    endif()
  endif()
  set(${variable} "${cache}/prefix" CACHE PATH "SDL2 and SDL2_mixer built for ${platform}")
  if(NOT EXISTS "${${variable}}/${check}")
    message(FATAL_ERROR "No SDL2 and SDL2_mixer for ${platform} in ${${variable}}: "
                        "run scripts/install-deps ${install_flag} first")
  endif()
  get_filename_component(prefix "${${variable}}" REALPATH)
  message(STATUS "SDL for ${platform}: ${prefix}")
  set(${variable} "${prefix}" PARENT_SCOPE)
endfunction()
