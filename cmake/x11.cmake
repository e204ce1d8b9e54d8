# The native Linux saver, nivarel: the portable core under an X11 host (Xlib
# and GLX, no toolkit), built only here.  Its X11 files are named *_x11.cpp
# and *_glx.cpp; no other file includes an Xlib or GLX header.
find_package(X11)
find_package(OpenGL COMPONENTS GLX)
if(NOT X11_FOUND OR NOT TARGET nivarel_embedded_images)
  message(STATUS "Xlib or the embedded pictures are missing: the native saver is not built")
  return()
endif()

nivarel_collect(x11_sources "*_x11.cpp")
nivarel_collect(glx_sources "*_glx.cpp")
add_executable(nivarel ${x11_sources} ${glx_sources})
target_link_libraries(nivarel PRIVATE nivarel_headless nivarel_embedded_images X11::X11
                                      OpenGL::GLX)
target_compile_options(nivarel PRIVATE ${NIVAREL_WARNINGS})

include(GNUInstallDirs)
install(TARGETS nivarel DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${CMAKE_SOURCE_DIR}/resources/nivarel.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
