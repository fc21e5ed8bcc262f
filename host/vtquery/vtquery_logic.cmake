# vtquery's portable half (command line, server lists, statistics, reports, the ping pool):
# no windows.h, so its unit tests also build and run natively. Included by vtquery's own
# CMakeLists and by its tests, whichever comes first.
if(TARGET vtquery_logic)
    return()
endif()
set(vtquery_dir ${CMAKE_SOURCE_DIR}/host/vtquery)
add_library(vtquery_logic STATIC
    ${vtquery_dir}/options.cpp
    ${vtquery_dir}/server_list.cpp
    ${vtquery_dir}/ping_stats.cpp
    ${vtquery_dir}/server_result.cpp
    ${vtquery_dir}/text_report.cpp
    ${vtquery_dir}/json_report.cpp
    ${vtquery_dir}/refresh.cpp
    ${vtquery_dir}/utf8_text.cpp)
target_include_directories(vtquery_logic PUBLIC ${CMAKE_SOURCE_DIR})
# Third-party headers as a system directory: our strict flags are for our code.
target_include_directories(vtquery_logic SYSTEM PUBLIC ${TRIBES_THIRD_PARTY_INCLUDE})
find_package(Threads REQUIRED)
target_link_libraries(vtquery_logic PUBLIC VtServices Threads::Threads)
tribes_strict(vtquery_logic)
