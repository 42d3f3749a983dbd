# Fails, naming them, when folders that build something are missing from the
# architecture document. Run with -DSOURCE_DIR=<source root> [-DDOCUMENT=<file>].
#
# The rule: every folder below the source root that holds a CMakeLists.txt is
# named in the document as its path from the root in backticks (`game/server`,
# or `game/server/`), except
#   - the root itself;
#   - build trees (top-level folders named build or build-*) and hidden folders;
#   - folders below tests/ and bench/, which mirror the folders they test
#     (the document names tests/ and bench/ themselves).
# fuzz/ has no folders of its own below it and is named too.
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "checkarchitecture.cmake needs -DSOURCE_DIR=<source root>")
endif()
if(NOT DOCUMENT)
    set(DOCUMENT ${SOURCE_DIR}/docs/architecture.md)
endif()
if(NOT EXISTS ${DOCUMENT})
    message(FATAL_ERROR "${DOCUMENT} does not exist")
endif()
file(READ ${DOCUMENT} text)

set(folders "")
file(GLOB tops RELATIVE ${SOURCE_DIR} LIST_DIRECTORIES true ${SOURCE_DIR}/*)
foreach(top ${tops})
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${top} OR top MATCHES "^(build|build-.*|\\..*)$")
        continue()
    endif()
    if(EXISTS ${SOURCE_DIR}/${top}/CMakeLists.txt)
        list(APPEND folders ${top})
    endif()
    if(top STREQUAL "tests" OR top STREQUAL "bench")
        continue()
    endif()
    file(GLOB_RECURSE lists RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${top}/*/CMakeLists.txt)
    foreach(list ${lists})
        get_filename_component(folder ${list} DIRECTORY)
        if(NOT folder MATCHES "(^|/)\\.")
            list(APPEND folders ${folder})
        endif()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)

set(missing "")
foreach(folder ${folders})
    string(FIND "${text}" "`${folder}`" plain)
    string(FIND "${text}" "`${folder}/`" slashed)
    if(plain EQUAL -1 AND slashed EQUAL -1)
        list(APPEND missing ${folder})
    endif()
endforeach()
list(LENGTH folders count)
if(missing)
    list(JOIN missing "\n  " named)
    message(FATAL_ERROR "${DOCUMENT} does not name these folders with a CMakeLists.txt "
                        "(as `path` from the source root):\n  ${named}")
endif()
message(STATUS "${DOCUMENT} names all ${count} folders with a CMakeLists.txt")
