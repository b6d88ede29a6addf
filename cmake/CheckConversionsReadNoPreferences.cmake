# Fails when a file of the conversions (src/export, src/formats, src/engine)
# names the preferences store: the caller reads the user's preferences once
# and hands a conversion their values, so that none sees them change halfway
# or writes them.
# With -DPLANT_DIR=<scratch folder> the check runs on a folder holding one
# planted reader instead, and must fail there.
#
#   cmake -DSOURCE_DIR=<src folder> [-DPLANT_DIR=<scratch folder>] -P CheckConversionsReadNoPreferences.cmake

cmake_minimum_required(VERSION 3.25)

if(PLANT_DIR)
  file(REMOVE_RECURSE ${PLANT_DIR})
  file(WRITE ${PLANT_DIR}/export/Planted.cpp "#include \"platform/foundation/UserDefaults.h\"\n")
  set(SOURCE_DIR ${PLANT_DIR})
endif()
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR must be set")
endif()

set(readers "")
foreach(layer export formats engine)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "UserDefaults")
    if(lines)
      list(APPEND readers ${file})
    endif()
  endforeach()
endforeach()
if(readers)
  list(JOIN readers "\n  " named)
  message(FATAL_ERROR "These conversion files use the preferences store:\n  ${named}")
endif()
