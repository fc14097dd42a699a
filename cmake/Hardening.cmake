# The distribution's hardening flags (dpkg-buildflags with every hardening feature) for the
# normal builds, so that what the tests run is what the packages ship. The optimisation and debug
# flags stay with the build type; sanitizer and clang (fuzz) builds bring their own
# instrumentation and go without.
option(ZEL_HARDENING "Compile and link with the hardening flags of dpkg-buildflags" ON)

function(zel_dpkg_buildflag kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${ZEL_DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    set(flags "")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-g$|^-O[0-9s]?$|^-ffile-prefix-map=")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

if(ZEL_HARDENING AND NOT ZEL_SANITIZE AND NOT ZEL_SANITIZE_THREAD
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  find_program(ZEL_DPKG_BUILDFLAGS dpkg-buildflags)
  if(ZEL_DPKG_BUILDFLAGS)
    zel_dpkg_buildflag(CPPFLAGS zel_cppflags)
    zel_dpkg_buildflag(CXXFLAGS zel_cxxflags)
    zel_dpkg_buildflag(LDFLAGS zel_ldflags)
    add_compile_options(${zel_cppflags} ${zel_cxxflags})
    add_link_options(${zel_ldflags})
    message(STATUS "Hardening: ${zel_cppflags} ${zel_cxxflags} ${zel_ldflags}")
  endif()
endif()
