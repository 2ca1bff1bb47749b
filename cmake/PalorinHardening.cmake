# The distribution's hardening flags, as dpkg-buildflags gives them with
# every hardening feature on (DEB_BUILD_MAINT_OPTIONS=hardening=+all):
# _FORTIFY_SOURCE, the stack protector, format checks, full RELRO and
# bind-now (the compiler makes position-independent executables already).
# The build type keeps choosing the optimisation level and the debug
# information, so -O and -g are left out; so is -ffile-prefix-map, which is
# about reproducible paths, not hardening.
find_program(PALORIN_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${PALORIN_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O[0-9sgz]?|g[0-9]?)$|^-ffile-prefix-map=")
  set(palorin_hardening_${kind} ${flags})
endforeach()
if(NOT palorin_hardening_CPPFLAGS MATCHES "_FORTIFY_SOURCE" OR
   NOT palorin_hardening_LDFLAGS MATCHES "-z,now")
  message(FATAL_ERROR "dpkg-buildflags gave no hardening flags: ${palorin_hardening_CPPFLAGS} "
                      "${palorin_hardening_LDFLAGS}")
endif()
message(STATUS "Hardening: ${palorin_hardening_CPPFLAGS};${palorin_hardening_CXXFLAGS};"
               "${palorin_hardening_LDFLAGS}")
add_compile_options(${palorin_hardening_CPPFLAGS} ${palorin_hardening_CXXFLAGS})
add_link_options(${palorin_hardening_LDFLAGS})
