# Shows that the layer check is not blind: on a copy of src/, a third-party
# include planted in export/ fails it, and the same copy passes once the
# plant is removed.
#
#   cmake -DSOURCE_DIR=<src folder> -DWORK_DIR=<scratch folder> -P CheckLayersCatchesPlant.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT WORK_DIR)
  message(FATAL_ERROR "SOURCE_DIR and WORK_DIR must be set")
endif()
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)
set(plant ${WORK_DIR}/export/PlantedDrawing.cpp)

file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/ DESTINATION ${WORK_DIR} FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")
file(WRITE ${plant} "#include <cairo.h>\n\nvoid plantedDrawing() {}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${check}
  RESULT_VARIABLE planted_result OUTPUT_VARIABLE planted_output ERROR_VARIABLE planted_output)
file(REMOVE ${plant})
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${check}
  RESULT_VARIABLE clean_result OUTPUT_VARIABLE clean_output ERROR_VARIABLE clean_output)
file(REMOVE_RECURSE ${WORK_DIR})

if(planted_result EQUAL 0)
  message(FATAL_ERROR "The layer check passed a cairo include in export/:\n${planted_output}")
endif()
if(NOT planted_output MATCHES "export/PlantedDrawing.cpp: only platform/ includes third-party headers:[ \n]*cairo.h")
  message(FATAL_ERROR "The layer check failed, but not on the planted include:\n${planted_output}")
endif()
if(NOT clean_result EQUAL 0)
  message(FATAL_ERROR "Without the plant the copy should pass:\n${clean_output}")
endif()
message(STATUS "The layer check fails on a planted cairo include in export/ and passes without it")
