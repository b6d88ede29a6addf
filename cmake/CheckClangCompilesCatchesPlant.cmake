# Shows that the clang check is not blind: a source that only gcc accepts (an
# aggregate made with parentheses, which clang 14 refuses), compiled with the
# options of a test of the build and checked on top of their precompiled
# library headers, fails it and is named, among sound sources checked in the
# same pass; sound sources whose private helpers share a name (which clash
# only when checked together) pass. Two sources whose options differ only by a
# definition of the project's own share one precompiled header, and each is
# checked with its own definitions: the one given it sees it, the other not.
# A source that stops clang early (a header clang cannot find, after an
# error) does not pass the sources after it in its pass unread: the planted
# one among them is named.
#
#   cmake -DCLANG=clang++ -DCOMMANDS=build/compile_commands.json -DWORK_DIR=<scratch folder> -P CheckClangCompilesCatchesPlant.cmake

cmake_minimum_required(VERSION 3.25)
if(NOT CLANG OR NOT COMMANDS OR NOT WORK_DIR)
  message(FATAL_ERROR "CLANG, COMMANDS and WORK_DIR must be set")
endif()
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckClangCompiles.cmake)
get_filename_component(build_dir ${COMMANDS} DIRECTORY)

file(REMOVE_RECURSE ${WORK_DIR})
file(WRITE ${WORK_DIR}/planted/Planted.cpp
  "#include <string>\n#include <gtest/gtest.h>\n\nstruct Margin { int left; std::string unit; };\n\n"
  "TEST(Planted, margin) { Margin margin(3, \"pt\"); EXPECT_EQ(margin.left, 3); }\n")
# Sound sources, each with a private helper of the same name.
foreach(folder planted sound)
  foreach(number 1 2 3)
    file(WRITE ${WORK_DIR}/${folder}/Sound${number}.cpp
      "#include <string>\n#include <gtest/gtest.h>\n\nnamespace {\nstruct Margin { int left; std::string unit; };\n"
      "int twice(int value) { return 2 * value; }\n}\n\n"
      "TEST(Sound${number}, margin) { Margin margin{3, \"pt\"}; EXPECT_EQ(twice(margin.left), 6); }\n")
  endforeach()
endforeach()

file(READ ${WORK_DIR}/planted/Planted.cpp planted_text)
file(WRITE ${WORK_DIR}/stopping/Missing.cpp "${planted_text}#include \"folio-no-such-header.h\"\n")
file(WRITE ${WORK_DIR}/stopping/Unread.cpp "${planted_text}")

file(WRITE ${WORK_DIR}/definitions/Defined.cpp
  "#include <string>\n#ifndef FOLIO_PLANTED_DEFINITION\n#error the source's own definition is lost\n#endif\n")
file(WRITE ${WORK_DIR}/definitions/Undefined.cpp
  "#include <string>\n#ifdef FOLIO_PLANTED_DEFINITION\n#error another source's definition is seen\n#endif\n")

# The options of the build's first test source, as the file writes them.
file(STRINGS ${COMMANDS} commands REGEX "^  \"command\": \".*-DGTEST_HAS_PTHREAD")
if(NOT commands)
  message(FATAL_ERROR "No test source in ${COMMANDS}")
endif()
list(GET commands 0 command)
set(entries "")
file(GLOB_RECURSE sources ${WORK_DIR}/*.cpp)
foreach(source IN LISTS sources)
  set(definition "")
  if(source MATCHES "/Defined\\.cpp$")
    set(definition " -DFOLIO_PLANTED_DEFINITION=1")
  endif()
  string(REGEX REPLACE " -c [^ \"]+\\.(cpp|cxx)\"" "${definition} -c ${source}\"" planted_command "${command}")
  string(APPEND entries "{\n  \"directory\": \"${build_dir}\",\n${planted_command}\n  \"file\": \"${source}\"\n},\n")
endforeach()
string(REGEX REPLACE ",\n$" "\n" entries "${entries}")
file(WRITE ${WORK_DIR}/compile_commands.json "[\n${entries}]\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DCLANG=${CLANG} -DCOMMANDS=${WORK_DIR}/compile_commands.json
    -DHEADERS=${WORK_DIR}/headers -DPREPARE=ON -P ${check}
  RESULT_VARIABLE prepared OUTPUT_VARIABLE prepare_output ERROR_VARIABLE prepare_output)
file(GLOB headers ${WORK_DIR}/headers/*.pch)
if(NOT prepared EQUAL 0 OR NOT headers)
  message(FATAL_ERROR "The library headers were not precompiled:\n${prepare_output}")
endif()
list(LENGTH headers header_count)
if(NOT header_count EQUAL 1)
  message(FATAL_ERROR "Sources that differ only by the project's own definitions got ${header_count} precompiled headers:\n${prepare_output}")
endif()

foreach(folder planted sound definitions stopping)
  execute_process(COMMAND ${CMAKE_COMMAND} -DCLANG=${CLANG} -DCOMMANDS=${WORK_DIR}/compile_commands.json
      -DHEADERS=${WORK_DIR}/headers -DPREFIX=${WORK_DIR}/${folder}/ -P ${check}
    RESULT_VARIABLE ${folder}_result OUTPUT_VARIABLE ${folder}_output ERROR_VARIABLE ${folder}_output)
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
if(planted_result EQUAL 0)
  message(FATAL_ERROR "The clang check passed a source only gcc accepts:\n${planted_output}")
endif()
string(FIND "${planted_output}" "Planted.cpp:6:" at)
string(FIND "${planted_output}" "Sound" sound_at)
if(at EQUAL -1 OR NOT sound_at EQUAL -1)
  message(FATAL_ERROR "The clang check failed, but not on the planted line alone:\n${planted_output}")
endif()
if(NOT sound_result EQUAL 0)
  message(FATAL_ERROR "The clang check failed a sound source:\n${sound_output}")
endif()
string(FIND "${stopping_output}" "Unread.cpp:6:" unread_at)
if(stopping_result EQUAL 0 OR unread_at EQUAL -1)
  message(FATAL_ERROR "The clang check passed a source it never read:\n${stopping_output}")
endif()
if(NOT definitions_result EQUAL 0)
  message(FATAL_ERROR "The clang check did not give each source its own definitions:\n${definitions_output}")
endif()
message(STATUS "The clang check fails on a source only gcc accepts and passes a sound one")
