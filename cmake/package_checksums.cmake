# Run by cpack once the packages are made: SHA256SUMS in the folder they are copied to, in the
# format `sha256sum -c` reads.
set(lines "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    file(SHA256 ${package} checksum)
    get_filename_component(name ${package} NAME)
    string(APPEND lines "${checksum}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${lines}")
