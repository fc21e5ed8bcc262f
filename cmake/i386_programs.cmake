# Whether this machine runs 32-bit (i386) Linux programs: its 32-bit dynamic loader
# (TRIBES_I386_LOADER, /lib/ld-linux.so.2 unless given) answers --version. Where it does not
# (missing, or a kernel that cannot execute it), the i686 build's test programs are listed when
# the tests run, not while building: a build step cannot start them there.
#   cmake -P cmake/i386_programs.cmake     prints the discovery mode the i686 build would take
if(NOT DEFINED TRIBES_I386_LOADER)
    set(TRIBES_I386_LOADER /lib/ld-linux.so.2)
endif()
execute_process(COMMAND ${TRIBES_I386_LOADER} --version RESULT_VARIABLE tribes_i386_status OUTPUT_QUIET ERROR_QUIET)
if(NOT tribes_i386_status EQUAL 0)
    set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
if(CMAKE_SCRIPT_MODE_FILE)
    message("discovery: ${CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE}")
endif()
