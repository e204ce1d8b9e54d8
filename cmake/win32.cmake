# The Win32 layer and the screen saver itself (win64 build only).
nivarel_collect(win32_sources "*_win32.cpp")
list(FILTER win32_sources EXCLUDE REGEX "/saver_main_win32\\.cpp$")
add_library(nivarel_win32 STATIC ${win32_sources})
target_link_libraries(nivarel_win32 PUBLIC nivarel_core opengl32 glu32 user32 gdi32 advapi32 shell32 comctl32)
target_compile_definitions(nivarel_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(nivarel_win32 PRIVATE ${NIVAREL_WARNINGS})

# nivarel.scr: a GUI program whose file name ends in .scr, carrying every resource.
add_executable(nivarel WIN32 shell/saver_main_win32.cpp resources/nivarel.rc)
set_target_properties(nivarel PROPERTIES OUTPUT_NAME nivarel SUFFIX .scr)
target_link_libraries(nivarel PRIVATE nivarel_win32)
target_compile_options(nivarel PRIVATE ${NIVAREL_WARNINGS})
file(GLOB resource_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
set_property(SOURCE resources/nivarel.rc APPEND PROPERTY OBJECT_DEPENDS ${resource_files})
