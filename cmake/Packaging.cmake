# Installation and the Debian package: the program, the command-line tool with its manual
# page, the simulator, the desktop entry and the icon in the hicolor theme sizes.
# On Windows the programs sit at the top of the installation folder, the user guide in doc/
# beside them.
include(GNUInstallDirs)
if(WIN32)
    set(TARN_PROGRAM_DIR .)
else()
    set(TARN_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
endif()

if(TARGET tarn)
    install(TARGETS tarn RUNTIME DESTINATION ${TARN_PROGRAM_DIR})
    if(NOT WIN32)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/tarn.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/icons/hicolor
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    endif()
    # The user guide with its pictures, where Help > Index finds it from the executable:
    # share/doc/tarn on Linux, doc/ beside the executable on Windows.
    if(WIN32)
        set(TARN_GUIDE_DIR doc)
    else()
        set(TARN_GUIDE_DIR ${CMAKE_INSTALL_DATADIR}/doc/tarn)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${TARN_GUIDE_DIR})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${TARN_GUIDE_DIR})
endif()
if(TARGET tarnctl)
    install(TARGETS tarnctl RUNTIME DESTINATION ${TARN_PROGRAM_DIR})
    if(NOT WIN32)
        install(FILES ${PROJECT_SOURCE_DIR}/docs/tarnctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endif()
if(TARGET tarnsim)
    install(TARGETS tarnsim RUNTIME DESTINATION ${TARN_PROGRAM_DIR})
endif()

# The licence: its full text and, on Linux, the Debian copyright file that names it.
if(WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
else()
    configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in
                   ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/LICENSE
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarn)
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_GENERATOR DEB)
if(WIN32 AND TARGET tarn)
    # A shared Qt's libraries and plugins go beside the program (windeployqt, run at install
    # time); a static Qt is inside it. The package is a ZIP.
    get_target_property(qtCoreType Qt6::Core TYPE)
    if(qtCoreType STREQUAL "SHARED_LIBRARY")
        qt_generate_deploy_app_script(TARGET tarn OUTPUT_SCRIPT deployScript
                                      NO_UNSUPPORTED_PLATFORM_ERROR)
        install(SCRIPT ${deployScript})
    endif()
    set(CPACK_GENERATOR ZIP)
    include(${PROJECT_SOURCE_DIR}/cmake/WindowsInstaller.cmake)
endif()
set(CPACK_PACKAGE_NAME tarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarn service tool developers <tarn@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarn service tool developers <tarn@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration and service tool for measuring light curtain controllers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Configuration and service tool for measuring light curtain controllers
 Finds the controllers on an RS-232/RS-485 line, edits, sends, saves and tries out
 their parameter sets, adjusts the analog outputs, reads diagnostics, aligns the
 arrays and sets blanked channels. Includes tarnctl, the same operations from the
 command line for scripts, and tarnsim, simulated controllers on a
 pseudo-terminal for training and testing without hardware.
 .
 License: ${TARN_LICENSE} (/usr/share/doc/tarn/copyright).")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
