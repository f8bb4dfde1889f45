# Installation and packages: a .deb for Debian-family desktops, a ZIP for Windows.
include(GNUInstallDirs)

install(TARGETS kalvor-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kalvor)
    install(TARGETS kalvor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(WIN32 AND COMMAND qt_generate_deploy_app_script)
        # The Qt libraries and plugins beside kalvor.exe, so the ZIP runs where Qt is not installed.
        qt_generate_deploy_app_script(TARGET kalvor OUTPUT_SCRIPT kalvor_deploy_script
                                      NO_UNSUPPORTED_PLATFORM_ERROR)
        install(SCRIPT ${kalvor_deploy_script})
    endif()
endif()
if(UNIX AND NOT APPLE)
    # The manual page with this version filled in, compressed as Debian keeps manual pages.
    configure_file(docs/kalvor-scan.1 ${CMAKE_CURRENT_BINARY_DIR}/kalvor-scan.1 @ONLY)
    set(KALVOR_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/kalvor-scan.1.gz)
    add_custom_command(OUTPUT ${KALVOR_MAN_PAGE}
                       COMMAND gzip -9 --no-name --force --keep ${CMAKE_CURRENT_BINARY_DIR}/kalvor-scan.1
                       DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/kalvor-scan.1)
    add_custom_target(kalvor_man_page ALL DEPENDS ${KALVOR_MAN_PAGE})
    install(FILES ${KALVOR_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES packaging/kalvor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES res/images/app_48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
            RENAME kalvor.png)
endif()

set(CPACK_PACKAGE_NAME kalvor)
set(CPACK_PACKAGE_VENDOR kalvor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kalvor developers <kalvor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Finds Word 97-2003 documents marked 秘密, 机密 or 绝密")
set(CPACK_PACKAGE_DESCRIPTION
    "kalvor walks a folder tree and lists every Word 97-2003 document (.doc) whose text carries one\n"
    "of the classification markings 秘密, 机密 or 绝密: a window (kalvor) and a command (kalvor-scan).")
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    # The Qt and C++ runtime libraries the executables link, as dpkg-shlibdeps finds them, and
    # what the window needs to read in Chinese whatever the locale: Qt's own Chinese texts and a
    # font with Simplified Chinese shapes (WenQuanYi Micro Hei, 5 MB, where Noto CJK is 91 MB).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
    if(KALVOR_WORD_PACKAGES)
        # libzip and expat are loaded when a search meets a package, where dpkg-shlibdeps does
        # not look: the packages that hold them, as this system names them.
        foreach(soname IN ITEMS ${KALVOR_LIBZIP_SONAME} ${KALVOR_EXPAT_SONAME})
            execute_process(COMMAND dpkg-query -S "*/${soname}" OUTPUT_VARIABLE owners
                            RESULT_VARIABLE failed)
            if(failed OR NOT owners MATCHES "^([^:, ]+)")
                message(FATAL_ERROR "no installed package holds ${soname}")
            endif()
            string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
        endforeach()
    endif()
endif()
include(CPack)
