# The window, one library per floor, each linking only the floors below it:
#   kalvor_app (app/) -> kalvor_results (results/) -> kalvor_res (res/), kalvor_commands (commands/)
# and the thin `kalvor` executable on top.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

# Commands as identifiers routed through small maps: standard library only.
set(KALVOR_COMMANDS_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/commands/command_router.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/commands/command_map.h
    ${CMAKE_CURRENT_SOURCE_DIR}/commands/command_router.h
    ${CMAKE_CURRENT_SOURCE_DIR}/commands/command_target.h)
kalvor_floor_library(kalvor_commands FLOOR commands SOURCES ${KALVOR_COMMANDS_SOURCES})

# Identifiers, strings, menus, accelerators, the toolbar and images: tables only.
set(KALVOR_RES_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/res/accelerators.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/dialog_units.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/dialogs.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/embedded_files.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/icons.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/menus.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/string_table.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/toolbar.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/res/accelerators.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/dialog_units.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/dialogs.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/embedded_files.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/icons.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/menus.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/resource.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/string_table.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/toolbar.h
    ${CMAKE_CURRENT_SOURCE_DIR}/res/kalvor.qrc)
kalvor_floor_library(kalvor_res FLOOR res SOURCES ${KALVOR_RES_SOURCES}
                     LINKS Qt6::Widgets PROPERTIES AUTORCC ON)

# Where the list's rows go when some leave: plain C++, built without Qt so that it stays so.
kalvor_floor_library(kalvor_row_positions FLOOR results
                     SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/results/row_positions.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/results/row_positions.h)

# The results list, its actions and the search run; it offers its commands and knows no frame.
set(KALVOR_RESULTS_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/results/action_error.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/background_run.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/cell_tip_delegate.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/chinese_file_list.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/context_menu.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/copy_outcome.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/copy_plan.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/desktop_seams.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/evidence_pane.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/failure_report.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/file_actions.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/folder_dialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/kalvor_view.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined_dialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined_indicator.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/path_text.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/result_actions.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/result_export.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/results_model.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/row_hover.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/search_feed.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/search_run.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/warning_summary.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/results/action_error.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/background_run.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/cell_tip_delegate.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/chinese_file_list.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/context_menu.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/copy_outcome.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/copy_plan.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/desktop_seams.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/evidence_pane.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/failure_report.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/file_actions.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/folder_dialog.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/kalvor_view.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined_dialog.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/not_examined_indicator.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/path_text.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/result_actions.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/result_columns.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/result_export.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/results_model.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/row_hover.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/search_choice.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/selected_row.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/search_feed.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/search_run.h
    ${CMAKE_CURRENT_SOURCE_DIR}/results/warning_summary.h)
kalvor_floor_library(kalvor_results FLOOR results SOURCES ${KALVOR_RESULTS_SOURCES}
                     LINKS kalvor_res kalvor_commands kalvor_row_positions kalvor_report
                           kalvor_scan kalvor_platform Qt6::Widgets
                     PROPERTIES AUTOMOC ON)

# The application, frame, document, settings and recent files; it wires the view into the route.
set(KALVOR_APP_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/app/abbreviate_name.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/about_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/command_actions.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/document_file.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/frame_status_bar.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/kalvor_app.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/kalvor_doc.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/lock_keys.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/main_frame.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/recent_file_list.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/run_application.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/search_choice_settings.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/search_types_dlg.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/shell_dialogs.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/simplified_chinese.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/view_choice_settings.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/app/abbreviate_name.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/about_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/command_actions.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/document_file.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/frame_status_bar.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/kalvor_app.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/kalvor_doc.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/lock_keys.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/main_frame.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/recent_file_list.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/recent_list_rules.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/run_application.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/search_choice_settings.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/search_types_dlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/shell_dialogs.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/simplified_chinese.h
    ${CMAKE_CURRENT_SOURCE_DIR}/app/view_choice_settings.h)
kalvor_floor_library(kalvor_app FLOOR app SOURCES ${KALVOR_APP_SOURCES} LINKS kalvor_results
                     PROPERTIES AUTOMOC ON)

add_executable(kalvor app/main.cpp)
target_link_libraries(kalvor PRIVATE kalvor_app)
kalvor_fence_floor(kalvor app)
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
        target_link_libraries(kalvor_app PRIVATE X11::xcb)
        target_compile_definitions(kalvor_app PRIVATE KALVOR_HAVE_XCB)
    endif()
endif()
