# zemra_add_suite_tests(TARGET PREFIX [TIMEOUT SECONDS] SOURCES...): one
# ctest entry per GoogleTest suite of TARGET, named PREFIX.Suite, each running
# its suite in one process. The suites are read from the test sources when CMake
# configures, and an edited test source configures again.
function(zemra_add_suite_tests target prefix)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "TIMEOUT" "")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_UNPARSED_ARGUMENTS})
  set(suites "")
  foreach(source ${arg_UNPARSED_ARGUMENTS})
    file(STRINGS ${source} lines REGEX "^TEST(_P|_F)?\\([A-Za-z0-9_]+,")
    foreach(line ${lines})
      string(REGEX REPLACE "^TEST(_P|_F)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite ${suites})
    add_test(NAME ${prefix}.${suite} COMMAND ${target} --gtest_filter=${suite}.*)
    if(arg_TIMEOUT)
      set_tests_properties(${prefix}.${suite} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
  endforeach()
endfunction()
