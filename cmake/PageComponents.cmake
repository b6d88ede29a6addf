# The third-party page components (npm, web/package.json) that the editing
# pages load, copied into resources/web beside the program. Only the files a
# page loads are copied, with each package's licence; the pages refer to them
# by file URL and never reach the network.
set(FOLIO_WEB_MODULES ${CMAKE_SOURCE_DIR}/web/node_modules)

# The TinyMCE plugins the QV pages ask for.
set(FOLIO_TINYMCE_PLUGINS
  advlist anchor autolink autoresize codesample directionality image insertdatetime
  link lists media nonbreaking pagebreak searchreplace table wordcount)

set(folio_component_files
  tinymce/tinymce.min.js
  tinymce/license.txt
  tinymce/icons/default/icons.min.js
  tinymce/models/dom/model.min.js
  tinymce/themes/silver/theme.min.js
  tinymce/skins/ui/oxide/skin.min.css
  tinymce/skins/ui/oxide/content.min.css
  tinymce/skins/ui/oxide/content.inline.min.css
  tinymce/skins/ui/oxide-dark/skin.min.css
  tinymce/skins/ui/oxide-dark/content.min.css
  tinymce/skins/ui/oxide-dark/content.inline.min.css
  tinymce/skins/content/default/content.min.css
  tinymce/skins/content/dark/content.min.css
  jquery/dist/jquery.min.js
  jquery/LICENSE.txt
  jquery-ui/dist/jquery-ui.min.js
  jquery-ui/LICENSE.txt
  rangy/lib/rangy-core.js
  rangy/lib/rangy-textrange.js
  rangy/LICENSE)
foreach(plugin IN LISTS FOLIO_TINYMCE_PLUGINS)
  list(APPEND folio_component_files tinymce/plugins/${plugin}/plugin.min.js)
endforeach()

if(EXISTS ${FOLIO_WEB_MODULES})
  set(folio_component_outputs)
  foreach(file IN LISTS folio_component_files)
    set(source ${FOLIO_WEB_MODULES}/${file})
    set(target ${CMAKE_BINARY_DIR}/resources/web/${file})
    add_custom_command(OUTPUT ${target}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target}
      DEPENDS ${source}
      COMMENT "Copying page component ${file}"
      VERBATIM)
    list(APPEND folio_component_outputs ${target})
  endforeach()
  add_custom_target(folio_web_components ALL DEPENDS ${folio_component_outputs})
  # The editing pages are part of the program: building the program alone
  # (as run.sh does) must leave the components beside it, or its QV editors
  # open pages that cannot take a word.
  add_dependencies(folio folio_web_components)
else()
  message(STATUS "web/node_modules is missing (scripts/install-deps.sh installs it): "
                 "the editing pages' components are not copied")
endif()
