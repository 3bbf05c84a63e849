# The editor reads its content relative to its working directory:
#   runtime/bin/editor/            working directory, with data/*.xml
#   runtime/Content/Graphics/      images, reached as ..\..\Content\Graphics\
#   runtime/Content/Maps/          map files
#   runtime/Content/Fonts/         accid___.ttf (DejaVu Sans from Debian)
set(QUILLOW_RUNTIME_DIR ${CMAKE_BINARY_DIR}/runtime)
set(QUILLOW_EDITOR_WORKDIR ${QUILLOW_RUNTIME_DIR}/bin/editor)
set(QUILLOW_DEFAULT_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)

add_custom_target(runtime_content ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory
          ${QUILLOW_RUNTIME_DIR}/Content/Graphics
          ${QUILLOW_RUNTIME_DIR}/Content/Maps
          ${QUILLOW_RUNTIME_DIR}/Content/Fonts
          ${QUILLOW_EDITOR_WORKDIR}/data
  COMMAND ${CMAKE_COMMAND} -E copy_directory
          ${CMAKE_SOURCE_DIR}/content/Graphics ${QUILLOW_RUNTIME_DIR}/Content/Graphics
  COMMAND ${CMAKE_COMMAND} -E copy_directory
          ${CMAKE_SOURCE_DIR}/content/Maps ${QUILLOW_RUNTIME_DIR}/Content/Maps
  COMMAND ${CMAKE_COMMAND} -E copy_directory
          ${CMAKE_SOURCE_DIR}/content/data ${QUILLOW_EDITOR_WORKDIR}/data
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${QUILLOW_DEFAULT_FONT} ${QUILLOW_RUNTIME_DIR}/Content/Fonts/accid___.ttf
  COMMENT "Laying out the editor's runtime tree in ${QUILLOW_RUNTIME_DIR}"
  VERBATIM)
