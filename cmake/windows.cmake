# Windows: wide-character API throughout, Windows 7 and later.
target_compile_definitions(kalvor_platform PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                                                  _WIN32_WINNT=0x0601)
target_link_libraries(kalvor_platform PUBLIC shell32)

# Icons, version information and manifest, compiled on their own so that every Windows build
# proves they compile, also one without the window.
add_library(kalvor_resources OBJECT res/kalvor.rc)
target_include_directories(kalvor_resources PRIVATE ${PROJECT_BINARY_DIR}/generated)
