# Compiles, without generating code, every source under PREFIX that the build
# compiles (as compile_commands.json lists it) with CLANG instead of the
# build's compiler. The fuzz targets are built with clang, over every layer;
# code that only gcc accepts would break them unnoticed.
#   cmake -DCLANG=clang++ -DCOMMANDS=build/compile_commands.json -DPREFIX=/src/x/ [-DHEADERS=dir] -P CheckClangCompiles.cmake
#
# Most of clang's time goes on the standard library and GoogleTest, parsed
# again for every source. With HEADERS, a folder where a run of
#   cmake -DCLANG=clang++ -DCOMMANDS=... -DHEADERS=dir -DPREPARE=ON -P CheckClangCompiles.cmake
# has left a precompiled header of those for each set of compile options the
# build uses, each source is checked on top of its set's header. Only library
# headers go into them: every line of the project's own code is still parsed
# by clang for every source. A source the build compiles for several targets
# with the same options is checked once.
#
# CMake writes the file one field a line, each entry's "directory" before its
# "command" and "file"; reading it by lines keeps this linear in its size.
cmake_minimum_required(VERSION 3.25)

# The headers of every source's precompiled header; sources linked with
# GoogleTest (which brings its own definition) get GoogleTest's too.
set(standard_headers string string_view vector memory functional map set unordered_map
  optional algorithm array filesystem cmath cstdint mutex span chrono charconv sstream
  variant deque atomic iostream)
set(test_headers gtest/gtest.h gmock/gmock.h)
# ... and those that search the toolkit's folders get the toolkit's. (Not the
# web engine's: its page process's headers may not follow its window's.)
set(toolkit_headers gtk/gtk.h)

# The compile options of an entry without its output, dependency file and
# source (the arguments clang gets), and the key of its precompiled header:
# the options less the folders searched, which a precompiled header of
# library headers does not depend on, save whether the toolkit's are among them.
function(folio_clang_arguments command file out_arguments out_key)
  separate_arguments(arguments UNIX_COMMAND "${command}")
  list(POP_FRONT arguments compiler)
  # A compiler launcher (ccache) comes first when one is set.
  if(compiler MATCHES "ccache$")
    list(POP_FRONT arguments compiler)
  endif()
  set(kept "")
  set(key "")
  set(skip FALSE)
  set(search FALSE)
  foreach(argument IN LISTS arguments)
    if(skip)
      set(skip FALSE)
    elseif(argument MATCHES "^-(o|MF|MT)$")
      set(skip TRUE)
    elseif(argument MATCHES "^-(c|MD)$" OR argument STREQUAL file)
    else()
      list(APPEND kept "${argument}")
      if(search)
        set(search FALSE)
        if(argument MATCHES "/include/(gtk-3\\.0)$")
          list(APPEND key "${CMAKE_MATCH_1}")
        endif()
      elseif(argument STREQUAL "-isystem")
        set(search TRUE)
      elseif(NOT argument MATCHES "^-I")
        list(APPEND key "${argument}")
      endif()
    endif()
  endforeach()
  string(MD5 key "${key}")
  set(${out_arguments} "${kept}" PARENT_SCOPE)
  set(${out_key} "${key}" PARENT_SCOPE)
endfunction()

file(STRINGS ${COMMANDS} fields REGEX "^  \"(directory|command|file)\": \"")
set(checked_files "")
set(checked 0)
set(failed "")
set(directory "")
set(command "")
set(prepared_keys "")
if(PREPARE)
  file(REMOVE_RECURSE ${HEADERS})
  file(MAKE_DIRECTORY ${HEADERS})
endif()
foreach(field IN LISTS fields)
  string(REGEX REPLACE "^  \"([a-z]+)\": \"(.*)\",?$" "\\1" name "${field}")
  string(REGEX REPLACE "^  \"([a-z]+)\": \"(.*)\",?$" "\\2" value "${field}")
  # The JSON escapes of a command: \\ and \".
  string(REPLACE "\\\\" "<folio-backslash>" value "${value}")
  string(REPLACE "\\\"" "\"" value "${value}")
  string(REPLACE "<folio-backslash>" "\\" value "${value}")
  if(name STREQUAL "directory")
    set(directory "${value}")
    continue()
  elseif(name STREQUAL "command")
    set(command "${value}")
    continue()
  endif()
  if(NOT value MATCHES "\\.cpp$")
    continue()
  endif()
  folio_clang_arguments("${command}" "${value}" arguments key)

  if(PREPARE)
    if(key IN_LIST prepared_keys)
      continue()
    endif()
    list(APPEND prepared_keys ${key})
    set(headers ${standard_headers})
    if(command MATCHES "-DGTEST_HAS_PTHREAD")
      list(APPEND headers ${test_headers})
    endif()
    if(command MATCHES "/include/gtk-3\\.0 ")
      list(APPEND headers ${toolkit_headers})
    endif()
    set(text "")
    foreach(header IN LISTS headers)
      string(APPEND text "#include <${header}>\n")
    endforeach()
    file(WRITE ${HEADERS}/${key}.h "${text}")
    # Written aside and renamed, so that a check never reads half a header.
    execute_process(COMMAND ${CLANG} -x c++-header -w ${arguments} ${HEADERS}/${key}.h -o ${HEADERS}/${key}.pch.part
      WORKING_DIRECTORY ${directory} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "clang does not precompile the library headers with ${arguments}:\n${errors}")
    endif()
    file(RENAME ${HEADERS}/${key}.pch.part ${HEADERS}/${key}.pch)
    continue()
  endif()

  string(FIND "${value}" "${PREFIX}" at)
  if(NOT at EQUAL 0)
    continue()
  endif()
  set(identity "${value}|${key}")
  if(identity IN_LIST checked_files)
    continue()
  endif()
  list(APPEND checked_files "${identity}")
  set(prefix_header "")
  if(HEADERS AND EXISTS ${HEADERS}/${key}.pch)
    set(prefix_header -include-pch ${HEADERS}/${key}.pch)
  endif()
  execute_process(COMMAND ${CLANG} -fsyntax-only -w ${prefix_header} ${arguments} ${value}
    WORKING_DIRECTORY ${directory} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
  math(EXPR checked "${checked} + 1")
  if(NOT status EQUAL 0)
    string(APPEND failed "\n${errors}")
  endif()
endforeach()
if(PREPARE)
  list(LENGTH prepared_keys prepared)
  message(STATUS "${prepared} sets of library headers precompiled with ${CLANG}")
  return()
endif()
if(checked EQUAL 0)
  message(FATAL_ERROR "No source under ${PREFIX} in ${COMMANDS}")
endif()
if(failed)
  message(FATAL_ERROR "clang does not compile what the build compiles:${failed}")
endif()
message(STATUS "${checked} sources compile with ${CLANG}")
