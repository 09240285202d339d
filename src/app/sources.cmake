list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ConnectionSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControllerNotes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateCode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartNumberWrite.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortFactory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortMapping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RememberedSearch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsPath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextEncoding.cpp
)
# The serial devices present: the registry's COM ports, or the POSIX device folder.
if(WIN32)
    list(APPEND TARN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialDevices_win32.cpp)
else()
    list(APPEND TARN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialDevices.cpp)
endif()

list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Artwork.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControllerPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditPsfSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpWnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyIndicators.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineMonitorWnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartNumberDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartNumberSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PingDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PingSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortSetupDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReadDiagnostics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReconnectSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReportNoteDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReportSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SearchNoticeDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServiceSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SplashDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TarnApp.cpp
)

list(APPEND TARN_PRINT_CHART_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CommissioningReport.cpp
)
