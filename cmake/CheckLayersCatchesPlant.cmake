# Shows that the layer check is not blind: on a copy of src/, each third-party
# include planted above the platform layer (cairo in export/, ICU in the
# engine, the Markdown library and FreeType, through its header macro, in
# formats/) fails it on that include, and the copy passes once the plants are
# removed.
#
#   cmake -DSOURCE_DIR=<src folder> -DWORK_DIR=<scratch folder> -P CheckLayersCatchesPlant.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT WORK_DIR)
  message(FATAL_ERROR "SOURCE_DIR and WORK_DIR must be set")
endif()
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/ DESTINATION ${WORK_DIR} FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")

# Each plant: the file, what it includes, and the header the check must name.
set(plants
  "export/PlantedDrawing.cpp|#include <cairo.h>|cairo.h"
  "engine/PlantedUnicode.cpp|#include <unicode/uchar.h>|unicode/uchar.h"
  "formats/markdown/PlantedMarkdown.cpp|#include <lowdown.h>|lowdown.h"
  "formats/html/PlantedFontFile.cpp|#include FT_FREETYPE_H|FT_FREETYPE_H")
foreach(plant IN LISTS plants)
  string(REPLACE "|" ";" parts "${plant}")
  list(GET parts 0 file)
  list(GET parts 1 include)
  list(GET parts 2 header)
  file(WRITE ${WORK_DIR}/${file} "${include}\n\nvoid planted() {}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${check}
    RESULT_VARIABLE planted_result OUTPUT_VARIABLE planted_output ERROR_VARIABLE planted_output)
  file(REMOVE ${WORK_DIR}/${file})
  if(planted_result EQUAL 0)
    file(REMOVE_RECURSE ${WORK_DIR})
    message(FATAL_ERROR "The layer check passed \"${include}\" in ${file}:\n${planted_output}")
  endif()
  # CMake wraps long messages at blanks.
  string(REGEX REPLACE "[ \n]+" " " planted_line "${planted_output}")
  string(FIND "${planted_line}" "${file}: only platform/ includes third-party headers: ${header}" at)
  if(at EQUAL -1)
    file(REMOVE_RECURSE ${WORK_DIR})
    message(FATAL_ERROR "The layer check failed, but not on \"${include}\" in ${file}:\n${planted_output}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${check}
  RESULT_VARIABLE clean_result OUTPUT_VARIABLE clean_output ERROR_VARIABLE clean_output)
file(REMOVE_RECURSE ${WORK_DIR})
if(NOT clean_result EQUAL 0)
  message(FATAL_ERROR "Without the plants the copy should pass:\n${clean_output}")
endif()
message(STATUS "The layer check fails on each planted third-party include and passes without them")
