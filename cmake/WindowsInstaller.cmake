# The Windows deliverables of a build with the Qt program: the deploy folder (what the
# installation folder holds), a ZIP of it and the NSIS installer, all in the build folder,
# made by target windows_installer (part of the default build when makensis is present).
find_program(TARN_MAKENSIS makensis)
if(NOT TARN_MAKENSIS)
    message(STATUS "makensis not found: no Windows installer (Debian package nsis)")
    return()
endif()

set(TARN_INSTALLER ${PROJECT_BINARY_DIR}/tarn-${PROJECT_VERSION}-setup.exe)
file(GLOB_RECURSE TARN_GUIDE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/images/*)
add_custom_command(
    OUTPUT ${TARN_INSTALLER} ${PROJECT_BINARY_DIR}/tarn-${PROJECT_VERSION}-windows.zip
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -DVERSION=${PROJECT_VERSION}
            -DMAKENSIS=${TARN_MAKENSIS} -DSCRIPT=${PROJECT_SOURCE_DIR}/packaging/windows/tarn.nsi
            -P ${PROJECT_SOURCE_DIR}/cmake/MakeWindowsInstaller.cmake
    DEPENDS tarn tarnctl ${PROJECT_SOURCE_DIR}/packaging/windows/tarn.nsi
            ${PROJECT_SOURCE_DIR}/cmake/MakeWindowsInstaller.cmake
            ${PROJECT_SOURCE_DIR}/docs/user-guide.md ${TARN_GUIDE_FILES}
    COMMENT "Deploy folder, ZIP and installer of tarn ${PROJECT_VERSION} for Windows"
    VERBATIM)
add_custom_target(windows_installer ALL DEPENDS ${TARN_INSTALLER})
