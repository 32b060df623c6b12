# Runs orvo-settings-actions with KIND and PAYLOAD and checks its exit status (RC) and the one line it
# prints: STDOUT on success, STDERR on a refusal.
execute_process(COMMAND "${TOOL}" key "${KIND}" "${PAYLOAD}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc STREQUAL RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED STDOUT AND NOT out STREQUAL "${STDOUT}\n")
  message(FATAL_ERROR "stdout was [${out}], expected [${STDOUT}]")
endif()
if(DEFINED STDERR AND NOT err STREQUAL "${STDERR}\n")
  message(FATAL_ERROR "stderr was [${err}], expected [${STDERR}]")
endif()
