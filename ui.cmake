# The window: kalvor_ui (res/, results/, app/) and the thin `kalvor` executable.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

file(GLOB KALVOR_UI_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/res/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/res/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/res/*.qrc
     ${CMAKE_CURRENT_SOURCE_DIR}/results/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/results/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/app/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/app/*.h)
list(FILTER KALVOR_UI_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")

add_library(kalvor_ui STATIC ${KALVOR_UI_SOURCES})
set_target_properties(kalvor_ui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(kalvor_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kalvor_ui PUBLIC kalvor_core kalvor_report Qt6::Widgets)

add_executable(kalvor app/main.cpp)
target_link_libraries(kalvor PRIVATE kalvor_ui)
# A windowed program on Windows: no console opens behind the window.
set_target_properties(kalvor PROPERTIES WIN32_EXECUTABLE ON)

if(WIN32)
    # Icons, version information and manifest for Windows itself; the manifest replaces the
    # one the linker would make.
    target_link_libraries(kalvor PRIVATE kalvor_resources)
    if(MSVC)
        target_link_options(kalvor PRIVATE /MANIFEST:NO)
    endif()
elseif(NOT APPLE)
    # The status bar reads the lock keys' LEDs from the X server when Qt runs on X11.
    find_package(X11 COMPONENTS xcb)
    if(X11_xcb_FOUND)
        target_link_libraries(kalvor_ui PRIVATE X11::xcb)
        target_compile_definitions(kalvor_ui PRIVATE KALVOR_HAVE_XCB)
    endif()
endif()
