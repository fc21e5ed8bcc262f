# How a test program is declared, and how CTest judges it. Each folder of tests/ declares its own
# programs with these.
include(GoogleTest)

# A googletest program. It passes only when googletest says so (cmake/googletest-passed runs it,
# before the emulator if there is one, for its discovered tests and its own add_test alike). A
# Windows one is listed in test-programs.txt of the build folder: scripts/test tells from it how
# many of the shipping build's programs ran, and how.
set(TRIBES_GOOGLETEST_PASSED ${CMAKE_SOURCE_DIR}/cmake/googletest-passed)
function(tribes_test_program target)
    set_property(GLOBAL APPEND PROPERTY TRIBES_TEST_PROGRAMS ${target})
    set_target_properties(${target} PROPERTIES
        CROSSCOMPILING_EMULATOR "${TRIBES_GOOGLETEST_PASSED};${CMAKE_CROSSCOMPILING_EMULATOR}")
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${TRIBES_GOOGLETEST_PASSED})
    endif()
endfunction()

# Test code is compiled for a short build, not a fast program: it runs for seconds, in four builds
# a run of scripts/test, and the code it tests keeps its preset's flags. Not in the sanitized and
# fuzzing builds, whose reports want line numbers and whose harnesses run millions of times.
function(tribes_quick_compile)
    if(NOT TRIBES_SANITIZE AND NOT TRIBES_FUZZ)
        add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-O0> $<$<COMPILE_LANGUAGE:CXX>:-g0>)
    endif()
endfunction()

# tribes_gtest(NAME [PROBED] [WHOLE] [TIMEOUT S] [FILTER F] SOURCES ... [LINK ...]): a gtest program
# of the calling folder of tests/, whose tests (those FILTER names) CTest lists under the folder's
# path (plugin/query/ReplyParse.…); a WHOLE program is one test, plugin/query/NAME: one that loads
# the plugin under Wine, where a process start is dear. PROBED: it runs against the probed host
# library (host/probes attached), otherwise against the shipped one. Files ending in _win_test.cpp
# are Windows'; a program left without files is not made, and none in the fuzzing build.
function(tribes_gtest name)
    cmake_parse_arguments(arg "PROBED;WHOLE" "TIMEOUT;FILTER" "SOURCES;LINK" ${ARGN})
    if(NOT WIN32)
        list(FILTER arg_SOURCES EXCLUDE REGEX "_win_test\\.cpp$")
    endif()
    if(TRIBES_FUZZ OR NOT arg_SOURCES)
        return()
    endif()
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LINK} GTest::gmock_main)
    if(arg_PROBED)
        tribes_probed_host(${name})
    endif()
    tribes_strict(${name})
    tribes_test_program(${name})
    if(arg_WHOLE)
        add_test(NAME ${folder}/${name} COMMAND ${name})
        set_tests_properties(${folder}/${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    else()
        gtest_discover_tests(${name} TEST_PREFIX ${folder}/ TEST_FILTER ${arg_FILTER} NO_PRETTY_VALUES
                             DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
endfunction()

# A libFuzzer target of the calling folder, from NAME.cpp, in the fuzzing build only: scripts/test
# runs it over the seed corpus beside it.
function(tribes_fuzzer name)
    if(TRIBES_FUZZ)
        add_executable(${name} ${name}.cpp)
        target_link_libraries(${name} PRIVATE ${ARGN})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        tribes_strict(${name})
    endif()
endfunction()

# Python checks of this folder, each run as `python3 SCRIPT ARGUMENTS` and named FOLDER/NAME.
# Debian's python3-pefile belongs to the system interpreter; a python3 earlier on PATH (e.g. a
# per-user installation) may not have it.
find_program(TRIBES_TEST_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(TRIBES_TEST_PYTHON python3)
function(tribes_python_test name script)
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    add_test(NAME ${folder}/${name} COMMAND ${TRIBES_TEST_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${ARGN})
    set_tests_properties(${folder}/${name} PROPERTIES TIMEOUT 120)
endfunction()
