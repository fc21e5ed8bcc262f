# Read by cpack before it installs the release's files: every time stamp it writes (the stripped
# files' PE headers, the zip's entries) is the commit's, so two packages of one commit are the
# same bytes. A SOURCE_DATE_EPOCH set by the caller is kept.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
        WORKING_DIRECTORY ${CPACK_TRIBES_SOURCE_DIR}
        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT commit_time MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${CPACK_TRIBES_SOURCE_DIR} is not a git checkout: set SOURCE_DATE_EPOCH")
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
endif()
