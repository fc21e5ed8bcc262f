# The release: what it holds, how its files describe themselves, and how it is packed.
#   cmake --install BUILD --prefix DIR --strip   lays the release out in DIR
#   cpack --config BUILD/CPackConfig.cmake       makes tribes-vtplugin-VERSION-win32.zip (win64
#                                                for the x86_64 build) and SHA256SUMS beside it
# scripts/package builds what ships and runs cpack. Windows builds only; the version and the
# names come from the top CMakeLists.txt.

# Everything that ships, built by `--target release_files`.
set(tribes_release_targets Tribes VtServices vtquery vtbrowse tribes-emu)
add_custom_target(release_files)
add_dependencies(release_files ${tribes_release_targets})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(tribes_package_system win64)
    set(tribes_release_build "64-bit (x86_64) build, for a 64-bit host")
    set(tribes_release_windows ", 64-bit")
else()
    set(tribes_package_system win32)
    set(tribes_release_build "32-bit (i686) build, for a 32-bit host")
    set(tribes_release_windows ", 32-bit or 64-bit")
endif()

# Gives target a VERSIONINFO resource: the release's product name, version and copyright, and
# description as the file's own. Every file's comes from the one template,
# cmake/version_info.rc.in; the file's own name is known only when the build is generated.
function(tribes_version_info target description)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(file_type VFT_APP)
    else()
        set(file_type VFT_DLL)
    endif()
    set(script ${CMAKE_BINARY_DIR}/version_info/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version_info.rc.in ${script}.in @ONLY)
    file(GENERATE OUTPUT ${script} INPUT ${script}.in)
    target_sources(${target} PRIVATE ${script})
endfunction()

# The plugin's resources are what the host reads, and stay as they are: it gets none.
tribes_version_info(VtServices "Host services for Tribes.vtplugin")
tribes_version_info(vtquery "Tribes server browser for the command line")
tribes_version_info(vtbrowse "Tribes server browser")
tribes_version_info(tribes-emu "Fake Tribes game server for trying the browsers")

# The layout: every file in the release's top folder, where Windows finds the DLLs a program
# imports and where the programs look for the plugin. VtServices.dll's import library is for
# building against it, not for the release.
install(TARGETS ${tribes_release_targets}
    RUNTIME DESTINATION . COMPONENT release
    LIBRARY DESTINATION . COMPONENT release
    ARCHIVE DESTINATION lib COMPONENT import_library EXCLUDE_FROM_ALL)
# Texts for Windows users: CRLF line ends, the licence under a name Windows opens.
configure_file(${CMAKE_SOURCE_DIR}/docs/release-readme.txt ${CMAKE_BINARY_DIR}/release/README.txt
    @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/release/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/release/README.txt ${CMAKE_BINARY_DIR}/release/LICENSE.txt
    DESTINATION . COMPONENT release)

# The zip. cpack packs what the build holds without building everything first: scripts/package
# builds release_files, and the tests need not be built for a package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tribes-vtplugin)
set(CPACK_PACKAGE_VENDOR ${TRIBES_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tribes-vtplugin-${PROJECT_VERSION}-${tribes_package_system})
set(CPACK_STRIP_FILES ON)
# Packed as one component, the zip lists its files in the order of the install manifest, not in
# the order the file system lists the staging folder, which differs between file systems.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Read by cpack as it runs: the commit's time for every time stamp, SHA256SUMS once packed.
set(CPACK_TRIBES_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package_times.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/package_checksums.cmake)
include(CPack)
