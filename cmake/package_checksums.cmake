# Run by cpack once the packages are made, before they are copied out: each zip written again
# without the extra fields that record the builder's user and group ids (cmake/normalize_zip.py),
# then SHA256SUMS in the folder they are copied to, in the format `sha256sum -c` reads.
find_program(python NAMES python3 REQUIRED)
set(lines "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${python} ${CPACK_TRIBES_SOURCE_DIR}/cmake/normalize_zip.py ${package}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "could not write ${package} without its owner fields")
    endif()
    file(SHA256 ${package} checksum)
    get_filename_component(name ${package} NAME)
    string(APPEND lines "${checksum}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${lines}")
