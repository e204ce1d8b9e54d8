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

# End to end on a private Xvfb each (tests/linux), with the label x11: the
# window, the full screen, drawing into windows of others, and the real
# xscreensaver daemon running it.
foreach(script window fullscreen embedded daemon)
  add_test(NAME x11_${script} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/linux/${script}.sh $<TARGET_FILE:nivarel>)
  set_tests_properties(x11_${script} PROPERTIES LABELS x11 TIMEOUT 120)
endforeach()
