# Building the program alone (run.sh builds only `folio`) must also put the
# editing pages' components beside it. Asks Ninja for every command the
# program's build runs and looks for the copy of TinyMCE among them.
execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t commands folio
  OUTPUT_VARIABLE commands RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ninja could not list the program's build commands")
endif()
foreach(needed resources/web/tinymce/tinymce.min.js resources/web/jquery/dist/jquery.min.js)
  string(FIND "${commands}" "${needed}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "Building folio does not make ${needed}: its editors would open pages they cannot load")
  endif()
endforeach()
