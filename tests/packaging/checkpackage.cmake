# Builds the Debian package from the build tree into OUTPUT and checks what
# dpkg-deb says of it: its control fields and the files it installs.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -G DEB -B ${OUTPUT}
                WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed (${status}):\n${log}")
endif()
file(GLOB packages ${OUTPUT}/zeb_${VERSION}_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one zeb_${VERSION}_*.deb in ${OUTPUT}, found ${count}")
endif()

function(require text pattern what)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "the package lacks ${what} (${pattern}):\n${text}")
    endif()
endfunction()

execute_process(COMMAND dpkg-deb -I ${packages} OUTPUT_VARIABLE info RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -I failed")
endif()
require("${info}" "\n Package: zeb\n" "its name")
require("${info}" "\n Version: ${VERSION}\n" "the project's version")
require("${info}" "\n Section: games\n" "its section")
# Taken from the shared libraries the program links.
foreach(library libsdl2-2.0-0 libsdl2-ttf-2.0-0 libenet7 libpugixml1v5 libfontconfig1 libcpp-httplib0.11 libc6)
    require("${info}" "\n Depends:[^\n]*${library}" "a dependency on ${library}")
endforeach()

execute_process(COMMAND dpkg-deb -c ${packages} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c failed")
endif()
set(files
    usr/bin/zeb
    usr/share/zeb/level_0.xml
    usr/share/zeb/blast_astroid.wav
    usr/share/zeb/blast_player.wav
    usr/share/zeb/blast_bullet.wav
    usr/share/applications/zeb.desktop
    usr/share/metainfo/io.github.zeb.zeb.metainfo.xml
    usr/share/man/man6/zeb.6.gz
    usr/share/icons/hicolor/scalable/apps/zeb.svg
    usr/lib/systemd/system/zeb-server.service
    etc/zeb/server.conf)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND files usr/share/icons/hicolor/${size}x${size}/apps/zeb.png)
endforeach()
foreach(path ${files})
    string(REPLACE "." "\\." pattern "${path}")
    require("${contents}" " \\./${pattern}\n" "${path}")
endforeach()
require("${contents}" "-rwxr-xr-x [^\n]* \\./usr/bin/zeb\n" "an executable program")
if(contents MATCHES " \\./usr/local/")
    message(FATAL_ERROR "the package installs into /usr/local:\n${contents}")
endif()

# The unit runs the program where the package puts it; the settings file is the operator's.
execute_process(COMMAND dpkg-deb --fsys-tarfile ${packages} COMMAND tar -xOf - ./usr/lib/systemd/system/zeb-server.service
                OUTPUT_VARIABLE unit)
require("${unit}" "\nExecStart=/usr/bin/zeb --server --config /etc/zeb/server.conf\n" "the unit's command")
execute_process(COMMAND dpkg-deb -I ${packages} conffiles OUTPUT_VARIABLE conffiles)
require("${conffiles}" "^/etc/zeb/server.conf\n$" "the settings file as a conffile")
