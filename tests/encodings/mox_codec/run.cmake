# Runs mox-codec on INPUT with ARGS (a ;-list) and checks its exit status, its standard output
# against the file EXPECTED_OUTPUT (when given) and that standard error holds EXPECTED_ERROR.
# EMULATOR, when not empty, runs the tool (the 32-bit build on a machine that cannot).
execute_process(
  COMMAND ${EMULATOR} ${TOOL} ${ARGS}
  INPUT_FILE ${INPUT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE error
  RESULT_VARIABLE status)
if(NOT status EQUAL EXPECTED_STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECTED_STATUS}\nstdout:\n${output}\nstderr:\n${error}")
endif()
if(DEFINED EXPECTED_OUTPUT)
  file(READ ${EXPECTED_OUTPUT} expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "stdout differs.\nexpected:\n${expected}\nactual:\n${output}")
  endif()
endif()
if(DEFINED EXPECTED_ERROR)
  string(FIND "${error}" "${EXPECTED_ERROR}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "stderr lacks '${EXPECTED_ERROR}':\n${error}")
  endif()
endif()
