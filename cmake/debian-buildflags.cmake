# Adds what `dpkg-buildflags` gives with every hardening feature on to the
# compile and link flags. Its -O2 and -g are left out: the build type says
# how to optimise, and the package strips the debugging information anyway;
# its -ffile-prefix-map names the directory it happened to run in.
find_program(HOSTWARDEN_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)

function(hostwarden_dpkg_flags variable flag)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${HOSTWARDEN_DPKG_BUILDFLAGS} --get ${flag}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-O[0-9s]?$|^-g$|^-ffile-prefix-map=")
  list(JOIN flags " " flags)
  set(${variable} "${flags}" PARENT_SCOPE)
endfunction()

hostwarden_dpkg_flags(cppflags CPPFLAGS)
hostwarden_dpkg_flags(cflags CFLAGS)
hostwarden_dpkg_flags(cxxflags CXXFLAGS)
hostwarden_dpkg_flags(ldflags LDFLAGS)
string(APPEND CMAKE_C_FLAGS " ${cppflags} ${cflags}")
string(APPEND CMAKE_CXX_FLAGS " ${cppflags} ${cxxflags}")
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${ldflags}")
endforeach()
