# Runs COMMAND (a ;-list) and fails unless it exits with STATUS, its standard error matches
# the regular expression ERROR and its standard output OUTPUT (each when given). For tests of a program's failures: CTest alone only tells zero
# from non-zero.
#   cmake -DCOMMAND="prog;arg" -DSTATUS=2 -DERROR="regex" [-DOUTPUT="regex"] -P expect_exit.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED ERROR AND NOT err MATCHES "${ERROR}")
  message(FATAL_ERROR "standard error does not match '${ERROR}':\n${err}\nstdout:\n${out}")
endif()
if(DEFINED OUTPUT AND NOT out MATCHES "${OUTPUT}")
  message(FATAL_ERROR "standard output does not match '${OUTPUT}':\n${out}\nstderr:\n${err}")
endif()
