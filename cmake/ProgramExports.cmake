# Writes the dynamic list of the program: the symbols its modules share with
# it. They are the only ones the program exports, so the loader handles a
# table of a few hundred symbols at start-up instead of every symbol of every
# layer. A module's references to the program are the symbols it leaves
# undefined; the symbols it defines itself are listed too, so that where the
# program defines the same (an inline function's static, type information
# for dynamic_cast, a service's shared()) both use the program's one copy,
# as when the program exported everything. Names the program does not define
# are ignored by the linker.
#
#   cmake -DNM=<nm> -DOUTPUT=<list file> -DMODULES=<module|module...> -P ProgramExports.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT NM OR NOT OUTPUT OR NOT MODULES)
  message(FATAL_ERROR "NM, OUTPUT and MODULES must be set")
endif()

string(REPLACE "|" ";" modules "${MODULES}")
set(names)
foreach(module IN LISTS modules)
  execute_process(COMMAND ${NM} -D ${module} RESULT_VARIABLE result OUTPUT_VARIABLE symbols ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Cannot read the symbols of ${module}: ${error}")
  endif()
  string(REPLACE "\n" ";" lines "${symbols}")
  foreach(line IN LISTS lines)
    # "U name" for an undefined symbol, "address T name" (and the other
    # kinds) for a defined one. Versioned names ("name@GLIBC_2.2.5") belong
    # to system libraries.
    if(line MATCHES "^[0-9a-f ]* [A-Za-z] ([^ @]+)$")
      list(APPEND names "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)

set(text "{\n")
foreach(name IN LISTS names)
  string(APPEND text "  \"${name}\";\n")
endforeach()
string(APPEND text "};\n")
# Unchanged lists leave the file as it was, so the program is not relinked.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} previous)
  if(previous STREQUAL text)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${text}")
list(LENGTH names count)
message(STATUS "The program's dynamic list names the ${count} symbols of its modules")
