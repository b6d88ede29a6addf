# Writes OUTPUT, a CTest file with one test per GoogleTest suite of EXECUTABLE:
# the suite's tests run in one process, with LABELS and TIMEOUT, in
# WORKING_DIRECTORY. Run after each link of the executable.
execute_process(COMMAND "${EXECUTABLE}" --gtest_list_tests
  WORKING_DIRECTORY "${WORKING_DIRECTORY}"
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} did not list its tests (${result}): ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(tests "")
foreach(line IN LISTS lines)
  # A suite stands at the start of its line, with a dot after its name (and,
  # for a typed suite, a comment); its tests follow, indented.
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
    set(suite "${CMAKE_MATCH_1}")
    if(suite MATCHES "^DISABLED_")
      continue()
    endif()
    string(APPEND tests
      "add_test([=[${suite}]=] [==[${EXECUTABLE}]==] [==[--gtest_filter=${suite}.*]==])\n"
      "set_tests_properties([=[${suite}]=] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==] "
      "LABELS ${LABELS} TIMEOUT ${TIMEOUT})\n")
  endif()
endforeach()
if(tests STREQUAL "")
  message(FATAL_ERROR "${EXECUTABLE} listed no tests")
endif()
file(WRITE "${OUTPUT}" "${tests}")
