# Runs one golden headless journey: NAME.script with the options in
# NAME.args (one line, paths relative to this folder) must print exactly
# NAME.expected. With the environment variable UPDATE_GOLDEN set, the
# expected output is rewritten instead.
get_filename_component(dir ${SCRIPT} DIRECTORY)
get_filename_component(name ${SCRIPT} NAME_WE)
set(args "")
if(EXISTS ${dir}/${name}.args)
  file(READ ${dir}/${name}.args argline)
  string(STRIP "${argline}" argline)
  separate_arguments(args UNIX_COMMAND "${argline}")
endif()
execute_process(COMMAND ${HEADLESS} ${args} --script ${SCRIPT}
  WORKING_DIRECTORY ${dir}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "zemra-headless exited with ${rc}:\n${err}")
endif()
if(DEFINED ENV{UPDATE_GOLDEN})
  file(WRITE ${dir}/${name}.expected "${out}")
  return()
endif()
if(NOT EXISTS ${dir}/${name}.expected)
  message(FATAL_ERROR "${name}.expected is missing; run with UPDATE_GOLDEN=1 to create it")
endif()
file(READ ${dir}/${name}.expected expected)
if(NOT out STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${out}")
  message(FATAL_ERROR "${name}: the panel differs from ${name}.expected; actual output written to "
                      "${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
endif()
