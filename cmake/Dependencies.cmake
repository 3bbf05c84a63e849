# Every dependency comes from a Debian package (see scripts/install-deps).
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
find_package(GLUT REQUIRED)
find_package(GLEW REQUIRED)
find_package(X11 REQUIRED)
find_package(Freetype REQUIRED)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# DevIL with its ILU and ILUT parts.
find_path(DEVIL_INCLUDE_DIR IL/il.h REQUIRED)
find_library(DEVIL_IL_LIBRARY IL REQUIRED)
find_library(DEVIL_ILU_LIBRARY ILU REQUIRED)
find_library(DEVIL_ILUT_LIBRARY ILUT REQUIRED)
add_library(quillow::devil INTERFACE IMPORTED)
target_include_directories(quillow::devil INTERFACE ${DEVIL_INCLUDE_DIR})
target_link_libraries(quillow::devil INTERFACE
  ${DEVIL_ILUT_LIBRARY} ${DEVIL_ILU_LIBRARY} ${DEVIL_IL_LIBRARY})
# Debian's ilut.h declares the OpenGL entry points only with this defined.
target_compile_definitions(quillow::devil INTERFACE ILUT_USE_OPENGL)

# TinyXML 2.6 (not tinyxml2).
find_path(TINYXML_INCLUDE_DIR tinyxml.h REQUIRED)
find_library(TINYXML_LIBRARY tinyxml REQUIRED)
add_library(quillow::tinyxml INTERFACE IMPORTED)
target_include_directories(quillow::tinyxml INTERFACE ${TINYXML_INCLUDE_DIR})
target_link_libraries(quillow::tinyxml INTERFACE ${TINYXML_LIBRARY})

# rapidxml is header-only.
find_path(RAPIDXML_INCLUDE_DIR rapidxml.hpp PATH_SUFFIXES rapidxml REQUIRED)
add_library(quillow::rapidxml INTERFACE IMPORTED)
target_include_directories(quillow::rapidxml INTERFACE ${RAPIDXML_INCLUDE_DIR})

# OpenGL, GLU, GLEW and GLUT together, as every drawing target needs them.
add_library(quillow::gl INTERFACE IMPORTED)
target_link_libraries(quillow::gl INTERFACE
  GLUT::GLUT GLEW::GLEW OpenGL::GL OpenGL::GLU)
