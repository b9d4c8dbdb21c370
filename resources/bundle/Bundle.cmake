# The resource bundle qxres_zorv.rcc and the help page, both beside the
# executables in the application folder. The bundle is rebuilt whenever a
# file it lists changes.
set(ZORV_BUNDLE_DIR ${CMAKE_SOURCE_DIR}/resources/bundle)
file(GLOB_RECURSE ZORV_BUNDLE_FILES CONFIGURE_DEPENDS
     ${ZORV_BUNDLE_DIR}/bitmaps/* ${ZORV_BUNDLE_DIR}/templates/*)
qt_add_binary_resources(zorv_bundle ${ZORV_BUNDLE_DIR}/qxres_zorv.qrc
  DESTINATION ${CMAKE_BINARY_DIR}/bin/qxres_zorv.rcc
  OPTIONS --no-compress)
set_property(SOURCE ${ZORV_BUNDLE_DIR}/qxres_zorv.qrc APPEND PROPERTY OBJECT_DEPENDS ${ZORV_BUNDLE_FILES})

set(ZORV_HELP_STAMP ${CMAKE_BINARY_DIR}/help.stamp)
file(GLOB_RECURSE ZORV_HELP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/help/*)
add_custom_command(OUTPUT ${ZORV_HELP_STAMP}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/help ${CMAKE_BINARY_DIR}/bin/help
  COMMAND ${CMAKE_COMMAND} -E touch ${ZORV_HELP_STAMP}
  DEPENDS ${ZORV_HELP_FILES}
  COMMENT "Copying the help pages")
add_custom_target(zorv_help DEPENDS ${ZORV_HELP_STAMP})
