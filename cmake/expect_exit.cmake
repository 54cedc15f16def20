# Runs COMMAND (a ;-list) and fails unless it exits with STATUS and its standard error matches
# the regular expression ERROR. For tests of a program's failures: CTest alone only tells zero
# from non-zero.
#   cmake -DCOMMAND="prog;arg" -DSTATUS=2 -DERROR="regex" -P expect_exit.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED ERROR AND NOT err MATCHES "${ERROR}")
  message(FATAL_ERROR "standard error does not match '${ERROR}':\n${err}\nstdout:\n${out}")
endif()
