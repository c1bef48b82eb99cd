# OpenGL, GLU and GLUT for the editor. On Linux the system libraries; on
# Windows the system OpenGL/GLU DLLs plus freeglut built statically from
# Debian's source package (see FreeglutMinGW.cmake).
add_library(tarnwell_graphics INTERFACE)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/FreeglutMinGW.cmake)
  target_link_libraries(tarnwell_graphics INTERFACE freeglut_static glu32 opengl32 gdi32 user32 kernel32)
else()
  set(OpenGL_GL_PREFERENCE LEGACY)
  find_package(OpenGL REQUIRED)
  find_package(GLUT REQUIRED)
  find_package(X11 REQUIRED)
  target_link_libraries(tarnwell_graphics INTERFACE GLUT::GLUT OpenGL::GLU OpenGL::GL ${X11_LIBRARIES})
endif()
