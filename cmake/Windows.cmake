# Cross build: Vistaloom.exe, Iconmire.dll and the test programs run under Wine.
enable_testing()

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Static runtime: the binaries import system DLLs only.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT UNICODE _UNICODE)

# Texts are UTF-8 inside the program, in the source as in memory; they reach
# the system as UTF-16 through the W functions, whatever its code page.
set(VISTALOOM_CHARSET -finput-charset=UTF-8 -fexec-charset=UTF-8)
target_compile_options(vistaloom_core PRIVATE ${VISTALOOM_CHARSET})

# The hook library: loaded by Vistaloom through its import table and, by a
# message hook, into the shell process. It links nothing but the platform.
add_library(Iconmire SHARED
    hook/desktop_items_win32.cpp
    hook/desktop_lookup_win32.cpp
    hook/iconmire_win32.cpp
)
set_target_properties(Iconmire PROPERTIES PREFIX "" OUTPUT_NAME Iconmire)
target_compile_options(Iconmire PRIVATE ${VISTALOOM_CHARSET})
target_link_libraries(Iconmire PRIVATE vistaloom_core user32 kernel32 shell32 ole32)

# Everything of the program but its entry point, so that the Wine tests can
# drive the real code in-process as well as through Vistaloom.exe.
add_library(vistaloom_win32 STATIC
    app/boss_key_win32.cpp
    app/main_frame_win32.cpp
    app/settings_commit_win32.cpp
    app/tray_icon_win32.cpp
    app/wallpaper_app_win32.cpp
    controls/image_button_win32.cpp
    desktop/desktop_icons_win32.cpp
    desktop/display_layouts_win32.cpp
    desktop/icon_layout_win32.cpp
    dialogs/about_box_win32.cpp
    dialogs/boss_key_page_win32.cpp
    dialogs/interval_page_win32.cpp
    dialogs/open_file_win32.cpp
    dialogs/other_settings_page_win32.cpp
    dialogs/settings_dialog_win32.cpp
    dialogs/settings_page_win32.cpp
    display/monitors_win32.cpp
    framework/dialog_win32.cpp
    framework/dpi_win32.cpp
    framework/message_box_win32.cpp
    framework/module_path_win32.cpp
    framework/system_function_win32.cpp
    framework/window_win32.cpp
    hook/desktop_lookup_win32.cpp
    settings/image_list_page_win32.cpp
    settings/image_list_win32.cpp
    settings/picture_properties_dialog_win32.cpp
    settings/settings_file_win32.cpp
    wallpaper/bitmap_image_win32.cpp
    wallpaper/desktop_wallpaper_win32.cpp
    wallpaper/picture_file_win32.cpp
    wallpaper/prepared_picture_win32.cpp
    wallpaper/system_decoders_win32.cpp
    wallpaper/wallpaper_changes_win32.cpp
    wallpaper/wallpaper_worker_win32.cpp
)
target_compile_options(vistaloom_win32 PUBLIC ${VISTALOOM_CHARSET})
target_link_libraries(vistaloom_win32 PUBLIC vistaloom_core Iconmire user32 gdi32 kernel32 advapi32 shell32 ole32
    oleaut32 comctl32 comdlg32 uuid windowscodecs version)

# The version is written once, in project(); the version resource takes it from here.
configure_file(resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

# The resource compiler reports no dependencies: the files the .rc takes in are named here.
file(GLOB VISTALOOM_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/resources/icons/*.ico)
list(APPEND VISTALOOM_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/resources/vistaloom.manifest)
set_source_files_properties(resources/vistaloom.rc PROPERTIES OBJECT_DEPENDS "${VISTALOOM_RESOURCE_FILES}")
add_executable(Vistaloom WIN32 app/main_win32.cpp resources/vistaloom.rc)
target_link_libraries(Vistaloom PRIVATE vistaloom_win32)
target_include_directories(Vistaloom PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

# The help file beside the program, built from the pages in resources/help.
file(GLOB help_pages ${CMAKE_SOURCE_DIR}/resources/help/*)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/Vistaloom.chm
    COMMAND ${CMAKE_SOURCE_DIR}/resources/help/build-help ${CMAKE_BINARY_DIR}/bin
    DEPENDS ${help_pages}
    COMMENT "Building the help file")
add_custom_target(help_file ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/Vistaloom.chm)

# The release package.
set(release_zip ${CMAKE_BINARY_DIR}/Vistaloom-${PROJECT_VERSION}.zip)
add_custom_command(OUTPUT ${release_zip}
    COMMAND ${CMAKE_SOURCE_DIR}/resources/make-release ${CMAKE_BINARY_DIR}/bin ${PROJECT_VERSION} ${release_zip}
    DEPENDS Vistaloom Iconmire ${CMAKE_BINARY_DIR}/bin/Vistaloom.chm ${CMAKE_SOURCE_DIR}/resources/readme-ja.txt
            ${CMAKE_SOURCE_DIR}/resources/make-release
    COMMENT "Packing the release")
add_custom_target(release_zip ALL DEPENDS ${release_zip})

add_subdirectory(tests/wine)

add_subdirectory(bench)
