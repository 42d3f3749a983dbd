# A static library built into a prefix of the project's own (the Windows
# sysroot, the browser's prefix), under the name the Linux build's pkg-config
# lookup gives it, so that every folder links the same targets in every build.
function(zeb_prefix_library name)
    cmake_parse_arguments(ARG "" "" "INCLUDES;LIBS" ${ARGN})
    add_library(PkgConfig::${name} INTERFACE IMPORTED)
    set_target_properties(PkgConfig::${name} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${ARG_INCLUDES}"
        INTERFACE_LINK_LIBRARIES "${ARG_LIBS}")
endfunction()
