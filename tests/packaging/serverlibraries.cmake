# The server program loads no window, drawing, sound, font or TLS library,
# directly or through another library.
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "ldd ${PROGRAM} failed: ${status}")
endif()
if(NOT libraries MATCHES "libenet")
    message(FATAL_ERROR "ldd shows no network library; is this the server program?\n${libraries}")
endif()
foreach(forbidden SDL2 SDL2_ttf fontconfig freetype harfbuzz ssl crypto asound pulse X11 wayland cpp-httplib)
    if(libraries MATCHES "lib${forbidden}[.-]")
        message(FATAL_ERROR "${PROGRAM} loads lib${forbidden}:\n${libraries}")
    endif()
endforeach()
