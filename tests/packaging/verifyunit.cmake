# Checks the dedicated server's systemd unit with systemd-analyze: no error and
# no warning. The manual page is checked on its own; it need not be installed.
find_program(SYSTEMD_ANALYZE systemd-analyze)
if(NOT SYSTEMD_ANALYZE)
    message("SKIPPED: systemd-analyze is not installed (package systemd; scripts/setup installs it)")
    return()
endif()
execute_process(COMMAND ${SYSTEMD_ANALYZE} verify --man=no ${UNIT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "systemd-analyze verify ${UNIT} (${status}):\n${out}")
endif()
