# Helpers shared by every folder's CMakeLists.txt.

# A folder that is named but missing is a broken checkout, not an option.
function(zeb_subdirectory path)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${path}/CMakeLists.txt)
        message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${path} has no CMakeLists.txt")
    endif()
    add_subdirectory(${path})
endfunction()

# zeb_public_headers(target [HEADERS pattern...] [REEXPORT header...])
# gives a library an include folder of its own in the build tree, holding
# links to its headers at their paths from the project root. Includes keep
# naming that path ("core/timer.h"), but a target sees only its own headers
# and those of the targets it links, so an include against the layering does
# not compile. HEADERS picks the headers in the current folder (default: every
# *.h there). REEXPORT names headers of a privately linked target (from the
# project root) that this target's own headers include: its users compile
# with those and see nothing else of that target.
function(zeb_public_headers target)
    cmake_parse_arguments(ARG "" "" "HEADERS;REEXPORT" ${ARGN})
    if(NOT ARG_HEADERS)
        set(ARG_HEADERS *.h)
    endif()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set(paths ${ARG_REEXPORT})
    foreach(pattern ${ARG_HEADERS})
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
        if(NOT headers)
            message(FATAL_ERROR "${target}: no header matches ${folder}/${pattern}")
        endif()
        list(APPEND paths ${headers})
    endforeach()
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(REMOVE_RECURSE ${root})
    foreach(path ${paths})
        if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${path})
            message(FATAL_ERROR "${target}: ${path} does not exist")
        endif()
        get_filename_component(directory ${root}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${directory})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# Each registered test gets a discovery port of its own, so networking tests
# running side by side never hear each other, and only loopback targets. The
# sanitizer trees and the Windows tree take other ranges, so every tree's tests
# may run at once; another checkout on the same machine moves all of its ranges
# with ZEB_TEST_PORT_OFFSET.
set(ZEB_TEST_PORT_OFFSET 0 CACHE STRING "Added to the discovery ports of this tree's tests (0 to 9000)")
if(NOT ZEB_TEST_PORT_OFFSET MATCHES "^[0-9]+$" OR ZEB_TEST_PORT_OFFSET GREATER 9000)
    message(FATAL_ERROR "ZEB_TEST_PORT_OFFSET must be a number from 0 to 9000")
endif()
if(WIN32)
    set(base 44000)
elseif(ZEB_SANITIZE)
    set(base 42000)
elseif(ZEB_THREAD_SANITIZE)
    set(base 43000)
else()
    set(base 41000)
endif()
math(EXPR base "${base} + ${ZEB_TEST_PORT_OFFSET}")
set_property(GLOBAL PROPERTY ZEB_NEXT_DISCOVERY_PORT ${base})

# Every test carries labels: one kind, and windows for those the Windows tree
# also builds and runs under Wine. The kinds:
#   unit   the code under test in the test's own process (the default)
#   app    starts the built programs as processes
#   lan    the LAN bed of network namespaces (needs root)
#   build  checks the build's own products: layering, packages, made assets
# scripts/test --quick runs what is neither app nor lan.
set(ZEB_TEST_KINDS unit app lan build)

# zeb_test_labels(out label...) checks the labels and adds the default kind.
function(zeb_test_labels out)
    set(kinds 0)
    foreach(label ${ARGN})
        if(label IN_LIST ZEB_TEST_KINDS)
            math(EXPR kinds "${kinds} + 1")
        elseif(NOT label STREQUAL "windows")
            message(FATAL_ERROR "unknown test label ${label} (kinds: ${ZEB_TEST_KINDS}; or windows)")
        endif()
    endforeach()
    set(labels ${ARGN})
    if(kinds EQUAL 0)
        list(APPEND labels unit)
    elseif(kinds GREATER 1)
        message(FATAL_ERROR "a test has one kind, not ${ARGN}")
    endif()
    set(${out} ${labels} PARENT_SCOPE)
endfunction()

# zeb_label_test(name label...) labels a test declared with add_test.
function(zeb_label_test name)
    zeb_test_labels(labels ${ARGN})
    set_tests_properties(${name} PROPERTIES LABELS "${labels}")
endfunction()

# zeb_add_test(name SOURCES ... LIBS ... [TIMEOUT seconds] [ENV var=value ...]
#              [LABELS label ...] [DEFINES name=value ...] [DEPENDS target ...]
#              [POSIX_SOURCES ...] [WINDOWS_ENV var=value ...])
# declares a GoogleTest program and its test for every tree. The Windows tree
# declares only those labelled windows, without their POSIX_SOURCES (cases
# that call POSIX) and with WINDOWS_ENV added (say a GTEST_FILTER leaving out
# what Wine cannot do).
function(zeb_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;POSIX_SOURCES;LIBS;ENV;WINDOWS_ENV;LABELS;DEFINES;DEPENDS"
                          ${ARGN})
    zeb_test_labels(labels ${ARG_LABELS})
    set(sources ${ARG_SOURCES} ${ARG_POSIX_SOURCES})
    set(environment ${ARG_ENV})
    set(folder ${CMAKE_CURRENT_BINARY_DIR})
    if(WIN32)
        if(NOT "windows" IN_LIST labels)
            return()
        endif()
        set(sources ${ARG_SOURCES})
        # Wine keeps its own prefix in the build folder and says nothing of itself.
        list(APPEND environment ${ARG_WINDOWS_ENV} "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" "WINEDEBUG=-all")
        # A Windows program finds its face beside itself: the tests share the
        # folder the face is copied to.
        set(folder ${CMAKE_BINARY_DIR}/tests/windows)
    endif()
    add_executable(${name} ${sources})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${folder})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
    if(ARG_DEFINES)
        target_compile_definitions(${name} PRIVATE ${ARG_DEFINES})
    endif()
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${folder})
    get_property(port GLOBAL PROPERTY ZEB_NEXT_DISCOVERY_PORT)
    math(EXPR next "${port} + 1")
    set_property(GLOBAL PROPERTY ZEB_NEXT_DISCOVERY_PORT ${next})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${labels}"
        ENVIRONMENT "ZEB_DISCOVERY=127.255.255.255;ZEB_DISCOVERY_PORT=${port};SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ZEB_SOURCE_DIR=${PROJECT_SOURCE_DIR};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;XDG_CONFIG_HOME=${folder}/${name}.config;XDG_DATA_HOME=${folder}/${name}.data;${environment}"
        ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
endfunction()

# zeb_add_benchmark(name SOURCES ... LIBS ...)
function(zeb_add_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    # Benchmarks, like tests, measure the pieces from inside: they see the whole tree.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main Threads::Threads)
endfunction()
