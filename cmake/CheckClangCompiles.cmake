# Compiles, without generating code, every source under PREFIX that the build
# compiles (as compile_commands.json lists it, or the batch of a unity build
# that includes it) with CLANG instead of the build's compiler. The fuzz
# targets are built with clang, over every layer; code that only gcc accepts
# would break them unnoticed.
#   cmake -DCLANG=clang++ -DCOMMANDS=build/compile_commands.json -DPREFIX=/src/x/ [-DHEADERS=dir] -P CheckClangCompiles.cmake
#
# Most of clang's time goes on headers, parsed again for every source. With
# HEADERS, a folder where a run of
#   cmake -DCLANG=clang++ -DCOMMANDS=... -DHEADERS=dir -DPREPARE=ON -P CheckClangCompiles.cmake
# has left a precompiled header of the library headers for each set of compile
# options the build uses (less the project's own definitions), each source is
# checked on top of its set's header.
# The sources that share their options are checked in one pass, as one file
# that includes them all, so that the project's own headers are parsed once a
# folder rather than once a source. Where that fails, the sources its errors
# name as clashing (two files' private helpers of one name, which the build,
# compiling each alone, never sees together) are checked apart from the rest,
# and otherwise the sources are halved until each error stands on the one
# source that has it, so a source fails only for what clang refuses in it.
# A source the build compiles for several targets with the same options is
# checked once. The files of one pass are written to WORK_DIR (HEADERS when
# not given).
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
# source (the arguments clang gets), the options its precompiled header is
# made with, and the key of that header: the options less the folders
# searched, which a precompiled header of library headers does not depend on,
# save whether the toolkit's are among them. The project's own definitions
# (FOLIO_..., and the NAME_EXPORTS CMake gives a module's sources) are read by
# no library header: the header is made without them and a source's check
# defines them after it (clang takes a definition the header never saw), so
# targets that differ only in those share one header.
function(folio_clang_arguments command file out_arguments out_header_arguments out_key)
  separate_arguments(arguments UNIX_COMMAND "${command}")
  list(POP_FRONT arguments compiler)
  # A compiler launcher (ccache) comes first when one is set.
  if(compiler MATCHES "ccache$")
    list(POP_FRONT arguments compiler)
  endif()
  set(kept "")
  set(header_arguments "")
  set(key "")
  set(skip FALSE)
  set(search FALSE)
  foreach(argument IN LISTS arguments)
    if(skip)
      set(skip FALSE)
    elseif(argument MATCHES "^-(o|MF|MT)$")
      set(skip TRUE)
    elseif(argument MATCHES "^-(c|MD)$" OR argument STREQUAL file)
    elseif(argument MATCHES "^-D(FOLIO_[A-Za-z0-9_]*|[A-Za-z0-9_]+_EXPORTS)(=|$)")
      list(APPEND kept "${argument}")
    else()
      list(APPEND kept "${argument}")
      list(APPEND header_arguments "${argument}")
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
  set(${out_header_arguments} "${header_arguments}" PARENT_SCOPE)
  set(${out_key} "${key}" PARENT_SCOPE)
endfunction()

file(STRINGS ${COMMANDS} fields REGEX "^  \"(directory|command|file)\": \"")
set(checked_files "")
set(checked 0)
set(failed "")
set(directory "")
set(command "")
set(prepared_keys "")
set(groups "")
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
  if(NOT value MATCHES "\\.(cpp|cxx)$")
    continue()
  endif()
  folio_clang_arguments("${command}" "${value}" arguments header_arguments key)
  # A batch of a unity build stands for the sources it includes.
  set(sources "${value}")
  if(value MATCHES "/Unity/unity_[^/]*\\.cxx$")
    file(STRINGS ${value} includes REGEX "^#include \"")
    list(TRANSFORM includes REPLACE "^#include \"(.*)\"$" "\\1")
    set(sources ${includes})
  endif()

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
    execute_process(COMMAND ${CLANG} -x c++-header -w ${header_arguments} ${HEADERS}/${key}.h -o ${HEADERS}/${key}.pch.part
      WORKING_DIRECTORY ${directory} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "clang does not precompile the library headers with ${header_arguments}:\n${errors}")
    endif()
    file(RENAME ${HEADERS}/${key}.pch.part ${HEADERS}/${key}.pch)
    continue()
  endif()

  foreach(source IN LISTS sources)
    string(FIND "${source}" "${PREFIX}" at)
    if(NOT at EQUAL 0)
      continue()
    endif()
    set(identity "${source}|${key}")
    if(identity IN_LIST checked_files)
      continue()
    endif()
    list(APPEND checked_files "${identity}")
    # The sources of one pass share their options and folder exactly.
    string(MD5 group "${directory}|${arguments}")
    if(NOT group IN_LIST groups)
      list(APPEND groups ${group})
      set(group_${group}_directory "${directory}")
      set(group_${group}_arguments "${arguments}")
      set(group_${group}_key "${key}")
      set(group_${group}_files "")
    endif()
    list(APPEND group_${group}_files "${source}")
    math(EXPR checked "${checked} + 1")
  endforeach()
endforeach()

# Checks FILES in one pass and, where that fails, apart (see the top). Appends
# clang's errors for the sources it refuses to `failed` in the caller's scope.
function(folio_clang_check directory arguments prefix_header name files)
  list(LENGTH files count)
  if(count EQUAL 1)
    execute_process(COMMAND ${CLANG} -fsyntax-only -w ${prefix_header} ${arguments} ${files}
      WORKING_DIRECTORY ${directory} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT status EQUAL 0)
      set(failed "${failed}\n${errors}" PARENT_SCOPE)
    endif()
    return()
  endif()
  set(text "")
  foreach(file IN LISTS files)
    string(APPEND text "#include \"${file}\"\n")
  endforeach()
  file(WRITE ${work_dir}/${name}.cpp "${text}")
  execute_process(COMMAND ${CLANG} -fsyntax-only -w -ferror-limit=0 ${prefix_header} ${arguments} ${work_dir}/${name}.cpp
    WORKING_DIRECTORY ${directory} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
  file(REMOVE ${work_dir}/${name}.cpp)
  if(status EQUAL 0)
    return()
  endif()
  # The sources the errors stand in (the later of two that clash, or one that
  # clang refuses) are checked each alone, with those that name what clashed:
  # clang reports only the first of several redefinitions of one name.
  set(apart "")
  foreach(file IN LISTS files)
    string(REGEX MATCH "${file}:[0-9]+:[0-9]+: error" error "${errors}")
    if(error)
      list(APPEND apart "${file}")
    endif()
  endforeach()
  string(REGEX MATCHALL "error: redefinition of '[^']+'" redefinitions "${errors}")
  set(rest ${files})
  if(apart)
    list(REMOVE_ITEM rest ${apart})
  endif()
  foreach(redefinition IN LISTS redefinitions)
    string(REGEX REPLACE "^error: redefinition of '(.*)'$" "\\1" clashing_name "${redefinition}")
    if(NOT clashing_name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      continue()
    endif()
    foreach(file IN LISTS rest)
      file(READ ${file} text)
      if(text MATCHES "[^A-Za-z0-9_]${clashing_name}[^A-Za-z0-9_]")
        list(APPEND apart "${file}")
      endif()
    endforeach()
    list(REMOVE_ITEM rest ${apart})
  endforeach()
  list(LENGTH apart apart_count)
  if(apart_count GREATER 0 AND apart_count LESS count)
    # The rest were read through in this pass: where every error stands in a
    # source set apart and none stopped clang early, they have passed, and
    # only the sources set apart are checked again.
    set(located 0)
    foreach(file IN LISTS apart)
      string(REGEX MATCHALL "${file}:[0-9]+:[0-9]+: error: " found "${errors}")
      list(LENGTH found found_count)
      math(EXPR located "${located} + ${found_count}")
    endforeach()
    string(REGEX MATCHALL "(\n|: )error: " every_error "\n${errors}")
    list(LENGTH every_error error_count)
    set(parts rest)
    if(NOT errors MATCHES "fatal error: " AND error_count GREATER 0 AND located EQUAL error_count)
      set(parts "")
    endif()
    set(part_number 0)
    foreach(file IN LISTS apart)
      math(EXPR part_number "${part_number} + 1")
      set(apart_${part_number} ${file})
      list(APPEND parts apart_${part_number})
    endforeach()
  else()
    math(EXPR half "${count} / 2")
    list(SUBLIST files 0 ${half} first)
    list(SUBLIST files ${half} -1 second)
    set(parts first second)
  endif()
  set(part_number 0)
  foreach(part IN LISTS parts)
    math(EXPR part_number "${part_number} + 1")
    folio_clang_check("${directory}" "${arguments}" "${prefix_header}" "${name}_${part_number}" "${${part}}")
  endforeach()
  set(failed "${failed}" PARENT_SCOPE)
endfunction()

if(PREPARE)
  list(LENGTH prepared_keys prepared)
  message(STATUS "${prepared} sets of library headers precompiled with ${CLANG}")
  return()
endif()
if(checked EQUAL 0)
  message(FATAL_ERROR "No source under ${PREFIX} in ${COMMANDS}")
endif()
if(NOT WORK_DIR)
  if(HEADERS)
    set(WORK_DIR ${HEADERS})
  else()
    set(WORK_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endif()
# Tests of several folders run side by side: each pass's file is named for its folder.
string(MD5 run "${PREFIX}")
set(work_dir ${WORK_DIR})
file(MAKE_DIRECTORY ${work_dir})
foreach(group IN LISTS groups)
  set(prefix_header "")
  if(HEADERS AND EXISTS ${HEADERS}/${group_${group}_key}.pch)
    set(prefix_header -include-pch ${HEADERS}/${group_${group}_key}.pch)
  endif()
  folio_clang_check("${group_${group}_directory}" "${group_${group}_arguments}" "${prefix_header}"
    "pass-${run}-${group}" "${group_${group}_files}")
endforeach()
if(failed)
  message(FATAL_ERROR "clang does not compile what the build compiles:${failed}")
endif()
message(STATUS "${checked} sources compile with ${CLANG}")
