# Each library collects the sources of its folder, so adding a file needs no edit here.
# A folder with headers only becomes an INTERFACE library. EXCLUDE names
# subfolders built otherwise (a module another process loads).
function(folio_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${folder}/${excluded}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# Links the web engine, GTK and poppler, espeak-ng, tesseract, GStreamer and
# libsoup, libzip and the picture libraries into a test, benchmark or fuzz
# target, which then gets them from WebServices::shared(),
# MediaServices::shared(), ZipServices::shared() and DrawingServices::shared()
# in process. The layers that
# call them come later on the link line than the engines' archives, so the
# definitions are pulled in from the start by their anchors.
function(folio_link_web_services target)
  target_link_libraries(${target} PRIVATE folio_platform_gtk folio_platform_media folio_platform_zip
    folio_platform_drawing)
  target_link_options(${target} PRIVATE LINKER:--undefined=folioLinkedWebServices
    LINKER:--undefined=folioLinkedMediaServices LINKER:--undefined=folioLinkedZipServices
    LINKER:--undefined=folioLinkedDrawingServices)
endfunction()

# One GoogleTest executable per test folder. Tests of a folder listed with LABEL
# carry that label in CTest (the real web engine's tests carry "web"); files
# named *WebTests.cpp in any folder drive the real engine and go into a
# separate executable labelled "web". With DRIVES_POINTER, the folder's tests
# that would be labelled "web" are labelled "pointer" instead (a test carries
# one label): they move a display's one pointer, so each of their processes
# gets a display of its own before its first test, where no other test's
# window or pointer can take their events.
function(folio_tests name folder)
  cmake_parse_arguments(ARG "DRIVES_POINTER" "LABEL" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(web_sources ${sources})
  list(FILTER web_sources INCLUDE REGEX "WebTests\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "WebTests\\.cpp$")
  set(labels unit)
  if(ARG_LABEL)
    set(labels ${ARG_LABEL})
  endif()
  set(web_labels web)
  if(ARG_DRIVES_POINTER)
    set(web_labels pointer)
    if(labels STREQUAL "web")
      set(labels pointer)
    endif()
  endif()
  folio_test_executable(${name} "${labels}" "${sources}" "${ARG_DEPENDS}")
  folio_test_executable(${name}_web "${web_labels}" "${web_sources}" "${ARG_DEPENDS}")
endfunction()

# An optional fifth argument gives each test a longer limit than the usual 300 s.
function(folio_test_executable name labels sources depends)
  if(NOT sources)
    return()
  endif()
  set(timeout 300)
  if(ARGC GREATER 4)
    set(timeout ${ARGV4})
  endif()
  if(labels STREQUAL "pointer")
    list(APPEND sources ${FOLIO_PRIVATE_DISPLAY_FOR_EVERY_TEST})
  endif()
  add_executable(${name} ${sources} ${FOLIO_LEAK_SUPPRESSIONS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${depends} GTest::gtest GTest::gmock folio_test_support)
  folio_link_web_services(${name})
  target_compile_definitions(${name} PRIVATE
    FOLIO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    FOLIO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # The code under test keeps the build's optimisation; the tests' own code,
  # four hundred sources of GoogleTest macros that run once, compiles in about
  # half the time without most of it.
  target_compile_options(${name} PRIVATE -Og)
  add_dependencies(${name} folio_resources)
  if(labels STREQUAL "unit")
    folio_test_suites(${name} "${labels}" ${timeout})
  else()
    # A test given a longer limit runs for minutes: ctest starts it first,
    # else it starts where it is declared, late, and runs on alone at the end.
    set(cost "")
    if(timeout GREATER 300)
      set(cost COST ${timeout})
    endif()
    gtest_discover_tests(${name}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${labels}" TIMEOUT ${timeout} ${cost})
  endif()
endfunction()

# Unit tests run a suite to a process: starting a test program, which loads
# the web engine's and the media libraries' two hundred shared objects, takes
# far longer than most unit tests themselves, and a test to a process made
# that most of a run's time. Window and web tests keep a process each.
function(folio_test_suites name labels timeout)
  set(suites ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
  set(include ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites_include.cmake)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:${name}> -DOUTPUT=${suites} -DLABELS=${labels}
      -DTIMEOUT=${timeout} -DWORKING_DIRECTORY=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/TestSuites.cmake
    BYPRODUCTS ${suites}
    VERBATIM)
  file(WRITE ${include}
    "if(EXISTS \"${suites}\")\n  include(\"${suites}\")\nelse()\n  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include})
endfunction()
