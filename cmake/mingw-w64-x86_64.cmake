# Cross build for 64-bit Windows with Debian's MinGW-w64. The posix thread model
# is the one whose libstdc++ has std::thread and std::mutex.
# ZEB_WINDOWS_SYSROOT names the folder the dependencies were installed into.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEB_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEB_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEB_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEB_MINGW}-windres)

# try_compile projects read this file again: hand them the sysroot too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEB_WINDOWS_SYSROOT)
if(NOT ZEB_WINDOWS_SYSROOT AND DEFINED ENV{ZEB_WINDOWS_SYSROOT})
    set(ZEB_WINDOWS_SYSROOT $ENV{ZEB_WINDOWS_SYSROOT})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${ZEB_MINGW} ${ZEB_WINDOWS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine's 64-bit loader (Debian has no wine64 in PATH).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
