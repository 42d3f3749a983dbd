# Runs the sound generator into OUTPUT and checks that it writes exactly the
# wave files kept in ASSETS.
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zeb_makesounds failed: ${status}")
endif()
foreach(name blast_astroid.wav blast_player.wav blast_bullet.wav)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${ASSETS}/${name}
                    RESULT_VARIABLE different)
    if(NOT different EQUAL 0)
        message(FATAL_ERROR "${name} differs from what the generator writes")
    endif()
endforeach()
