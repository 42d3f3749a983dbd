# The Windows build's dependencies, from the sysroot that scripts/windows builds
# (static libraries). They get the names the Linux build's pkg-config lookups
# give, so every folder's CMakeLists.txt links the same targets on both systems.
if(NOT ZEB_WINDOWS_SYSROOT OR NOT EXISTS ${ZEB_WINDOWS_SYSROOT}/include/SDL2/SDL.h)
    message(FATAL_ERROR "ZEB_WINDOWS_SYSROOT must name the sysroot that scripts/windows builds")
endif()
list(PREPEND CMAKE_PREFIX_PATH ${ZEB_WINDOWS_SYSROOT})
enable_language(RC) # the program's icon and manifest

set(ZEB_SYSROOT_LIB ${ZEB_WINDOWS_SYSROOT}/lib)
set(ZEB_SYSROOT_INCLUDE ${ZEB_WINDOWS_SYSROOT}/include)

include(${CMAKE_CURRENT_LIST_DIR}/ZebPrefixLibrary.cmake)

# SDL2's static library needs these Windows libraries (its sdl2.pc lists them).
set(ZEB_SDL2_SYSTEM_LIBS
    m kernel32 user32 gdi32 winmm imm32 ole32 oleaut32 version uuid advapi32 setupapi shell32 dinput8)
zeb_prefix_library(SDL2
    INCLUDES ${ZEB_SYSROOT_INCLUDE}/SDL2
    LIBS ${ZEB_SYSROOT_LIB}/libSDL2.a ${ZEB_SDL2_SYSTEM_LIBS})
# zlib comes from Debian's libz-mingw-w64-dev, inside the compiler's own tree.
find_library(ZEB_WINDOWS_ZLIB NAMES libz.a z REQUIRED)
zeb_prefix_library(ZLIB LIBS ${ZEB_WINDOWS_ZLIB})
# SDL2_ttf before SDL2 and FreeType before zlib: the archives name neither.
zeb_prefix_library(SDL2_TTF
    INCLUDES ${ZEB_SYSROOT_INCLUDE}/SDL2
    LIBS ${ZEB_SYSROOT_LIB}/libSDL2_ttf.a ${ZEB_SYSROOT_LIB}/libfreetype.a ${ZEB_WINDOWS_ZLIB} PkgConfig::SDL2)
# No fontconfig on Windows: the program ships its face (platform/text).
zeb_prefix_library(FONTCONFIG)
zeb_prefix_library(ENET INCLUDES ${ZEB_SYSROOT_INCLUDE} LIBS ${ZEB_SYSROOT_LIB}/libenet.a ws2_32 winmm)
zeb_prefix_library(PUGIXML INCLUDES ${ZEB_SYSROOT_INCLUDE} LIBS ${ZEB_SYSROOT_LIB}/libpugixml.a)
# A sysroot from before libqrencode leaves the window without its QR code (the item greyed).
if(EXISTS ${ZEB_SYSROOT_LIB}/libqrencode.a)
    zeb_prefix_library(QRENCODE INCLUDES ${ZEB_SYSROOT_INCLUDE} LIBS ${ZEB_SYSROOT_LIB}/libqrencode.a)
endif()
zeb_prefix_library(HTTPLIB INCLUDES ${ZEB_SYSROOT_INCLUDE} LIBS ws2_32 crypt32)

# One program with no DLLs of its own to ship: the C and C++ runtimes and
# winpthreads go inside. A console program, so the server and the bots print.
add_link_options(-static -static-libgcc -static-libstdc++)
# Windows 10 is the oldest system the program is made for.
# MinGW's own printf family formats as glibc's does (%zu, %f), so logs read the same.
add_compile_definitions(_WIN32_WINNT=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX __USE_MINGW_ANSI_STDIO=1)
