# Fails when a source file in src/ includes a header from a layer it may not
# use: layers depend downwards only, as the libraries in src/CMakeLists.txt
# link; only platform/gtk includes GTK and only platform/web includes WebKit
# (which, being a GTK widget, needs GTK for its off-screen window too); and no
# file outside platform/ includes a third-party library's header: only the C
# and C++ standard libraries and the POSIX system interfaces are everyone's.
#
#   cmake -DSOURCE_DIR=<src folder> -P CheckLayers.cmake

cmake_minimum_required(VERSION 3.25)

# Each layer and the layers it builds on directly; what those build on is
# allowed too. The application (app/) may use every layer.
set(layers
  platform/foundation platform/zip platform/graphics platform/drawing platform/text platform/ui platform/web platform/services
  platform/media platform/docframework platform/gtk foundation engine formats documents export delivery shell tools
  markdown webeditor richtext qvtext qvoutline testing)
set(uses_platform/foundation "")
set(uses_platform/zip platform/foundation)
set(uses_platform/graphics platform/foundation)
set(uses_platform/drawing platform/graphics)
set(uses_platform/text platform/graphics)
set(uses_platform/ui platform/text)
set(uses_platform/web platform/ui)
set(uses_platform/services platform/ui)
set(uses_platform/media platform/services)
set(uses_platform/docframework platform/web)
set(uses_platform/gtk platform/docframework)
set(uses_foundation platform/docframework platform/services)
set(uses_engine foundation)
set(uses_formats engine)
set(uses_documents formats)
set(uses_export documents)
set(uses_delivery export)
set(uses_shell delivery)
set(uses_tools documents)
set(uses_markdown documents tools)
set(uses_webeditor documents tools)
set(uses_richtext webeditor)
set(uses_qvtext webeditor)
set(uses_qvoutline qvtext)
set(uses_testing documents delivery)

# Headers of the system every layer may include: the C++ standard library (no
# extension), and the C library and POSIX interfaces.
set(system_headers
  assert.h ctype.h dirent.h dlfcn.h errno.h fcntl.h float.h inttypes.h limits.h locale.h malloc.h math.h
  poll.h pthread.h signal.h spawn.h stdarg.h stddef.h stdint.h stdio.h stdlib.h string.h strings.h time.h
  unistd.h wchar.h)
set(system_header_folders sys/)

function(is_system_header header out)
  set(system FALSE)
  if(NOT header MATCHES "[./]" OR header IN_LIST system_headers)
    set(system TRUE)
  endif()
  foreach(folder IN LISTS system_header_folders)
    if(header MATCHES "^${folder}")
      set(system TRUE)
    endif()
  endforeach()
  set(${out} ${system} PARENT_SCOPE)
endfunction()

# The layer a path below src/ (or an include path) belongs to, or "".
function(layer_of path out)
  set(found "")
  foreach(layer IN LISTS layers)
    if(path MATCHES "^${layer}/")
      set(found ${layer})
      break()
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Every layer `layer` may include: itself and all it builds on.
function(allowed_layers layer out)
  set(allowed ${layer})
  set(pending ${uses_${layer}})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST allowed)
      list(APPEND allowed ${next})
      list(APPEND pending ${uses_${next}})
    endif()
  endwhile()
  set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(violations 0)
foreach(source IN LISTS sources)
  layer_of("${source}" layer)
  if(NOT layer)
    continue()
  endif()
  allowed_layers(${layer} allowed)
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"A-Za-z_]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]?([^>\" \t]*)[>\"]?.*$" "\\1" included "${line}")
    if(NOT line MATCHES "include[ \t]*[<\"]")
      # A header named by a macro (FreeType's FT_FREETYPE_H) is a library's own.
      if(NOT layer MATCHES "^platform/")
        message(SEND_ERROR "${source}: only platform/ includes third-party headers: ${included}")
        math(EXPR violations "${violations} + 1")
      endif()
    elseif(line MATCHES "<gtk/" AND NOT layer MATCHES "^platform/(gtk|web)$")
      message(SEND_ERROR "${source}: only platform/gtk includes GTK: ${included}")
      math(EXPR violations "${violations} + 1")
    elseif(line MATCHES "<webkit" AND NOT layer STREQUAL "platform/web")
      message(SEND_ERROR "${source}: only platform/web includes WebKit: ${included}")
      math(EXPR violations "${violations} + 1")
    elseif(line MATCHES "<" AND NOT layer MATCHES "^platform/")
      is_system_header("${included}" system)
      if(NOT system)
        message(SEND_ERROR "${source}: only platform/ includes third-party headers: ${included}")
        math(EXPR violations "${violations} + 1")
      endif()
    elseif(line MATCHES "\"")
      layer_of("${included}" target)
      if(target AND NOT target IN_LIST allowed)
        message(SEND_ERROR "${source}: the ${layer} layer may not include ${included} (${target})")
        math(EXPR violations "${violations} + 1")
      endif()
    endif()
  endforeach()
endforeach()
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) reach up or sideways")
endif()
list(LENGTH sources count)
message(STATUS "Layers: ${count} files include only what their layer may use")
