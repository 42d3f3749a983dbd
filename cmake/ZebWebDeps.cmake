# The browser build's dependencies, from the prefix that scripts/web builds
# with Emscripten (static libraries). They get the names the Linux build's
# pkg-config lookups give, so every folder's CMakeLists.txt links the same
# targets in every build.
if(NOT ZEB_WEB_PREFIX OR NOT EXISTS ${ZEB_WEB_PREFIX}/include/SDL2/SDL.h)
    message(FATAL_ERROR "ZEB_WEB_PREFIX must name the prefix that scripts/web builds")
endif()
set(ZEB_WEB_LIB ${ZEB_WEB_PREFIX}/lib)
set(ZEB_WEB_INCLUDE ${ZEB_WEB_PREFIX}/include)

include(${CMAKE_CURRENT_LIST_DIR}/ZebPrefixLibrary.cmake)

zeb_prefix_library(SDL2 INCLUDES ${ZEB_WEB_INCLUDE}/SDL2 LIBS ${ZEB_WEB_LIB}/libSDL2.a)
zeb_prefix_library(ZLIB INCLUDES ${ZEB_WEB_INCLUDE} LIBS ${ZEB_WEB_LIB}/libz.a)
# SDL2_ttf before SDL2 and FreeType before zlib: the archives name neither.
zeb_prefix_library(SDL2_TTF
    INCLUDES ${ZEB_WEB_INCLUDE}/SDL2
    LIBS ${ZEB_WEB_LIB}/libSDL2_ttf.a ${ZEB_WEB_LIB}/libfreetype.a ${ZEB_WEB_LIB}/libz.a PkgConfig::SDL2)
# The page carries its face in its data: no fontconfig.
zeb_prefix_library(FONTCONFIG)
# The page's transport is the browser's WebSocket, not ENet.
zeb_prefix_library(ENET LIBS websocket.js)
zeb_prefix_library(PUGIXML INCLUDES ${ZEB_WEB_INCLUDE} LIBS ${ZEB_WEB_LIB}/libpugixml.a)

# No threads in the page (they would need cross-origin isolation): the
# programs' Threads::Threads is empty, and nothing of the page starts one.
add_library(Threads::Threads INTERFACE IMPORTED)
# No C++ exceptions are caught in the page (Emscripten's default): catching
# them would wrap calls in frames that reset the stack when the browser's
# frame loop takes over from main, and the game's objects live on that stack.
# A broken level (the XML layer's exceptions) stops the page with its message;
# the level comes with the page's own data.
