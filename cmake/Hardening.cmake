# The distribution's hardening for the shipped game: what dpkg-buildflags gives a Debian package
# with every hardening feature on (stack protector, fortified calls, format checks, control-flow
# protection where the compiler has it, full RELRO with immediate binding), or the same by hand
# where dpkg-dev is not installed; and position-independent code. Only hardening is taken from it:
# optimisation and debug information stay the build type's. Fortified calls need an optimised
# build.
#
#   quorvix_harden(TARGET...)   compiles each target hardened, and links the executables among
#                               them with full RELRO and immediate binding
include_guard(GLOBAL)
include(CheckPIESupported)
check_pie_supported()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS}
              --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(QUORVIX_HARDENING_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  list(FILTER QUORVIX_HARDENING_CPPFLAGS INCLUDE REGEX "^-D_FORTIFY_SOURCE=")
  list(FILTER QUORVIX_HARDENING_CXXFLAGS INCLUDE
       REGEX "^-f(stack-protector|stack-clash-protection|cf-protection)|^-Wformat|^-Werror=format")
  list(FILTER QUORVIX_HARDENING_LDFLAGS INCLUDE REGEX "^-Wl,-z,")
else()
  set(QUORVIX_HARDENING_CPPFLAGS -D_FORTIFY_SOURCE=2)
  set(QUORVIX_HARDENING_CXXFLAGS -fstack-protector-strong -fstack-clash-protection -Wformat
                                 -Werror=format-security)
  set(QUORVIX_HARDENING_LDFLAGS -Wl,-z,relro -Wl,-z,now)
endif()
string(JOIN " " text ${QUORVIX_HARDENING_CPPFLAGS} ${QUORVIX_HARDENING_CXXFLAGS}
       ${QUORVIX_HARDENING_LDFLAGS})
message(STATUS "Hardening: ${text}")

function(quorvix_harden)
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_compile_options(${target} PRIVATE
      $<$<NOT:$<CONFIG:Debug>>:${QUORVIX_HARDENING_CPPFLAGS}> ${QUORVIX_HARDENING_CXXFLAGS})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_link_options(${target} PRIVATE ${QUORVIX_HARDENING_LDFLAGS})
    endif()
  endforeach()
endfunction()
