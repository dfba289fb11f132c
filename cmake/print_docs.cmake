# Writes the manual pages and the bash completion that zel-cli prints from its own option
# tables: cmake -DPROGRAM=zel-cli -DOUTPUT_DIR=dir -P print_docs.cmake
foreach(job "zel-cli.1;--print-man" "zel.1;--print-man;zel" "zel-cli;--print-completion")
  list(POP_FRONT job name)
  execute_process(COMMAND ${PROGRAM} ${job} OUTPUT_FILE ${OUTPUT_DIR}/${name}.new
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${job} failed: ${result}")
  endif()
  file(RENAME ${OUTPUT_DIR}/${name}.new ${OUTPUT_DIR}/${name})
endforeach()
