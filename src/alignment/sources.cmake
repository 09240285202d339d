list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BlankingMap.cpp
)

list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditBlankingDlg.cpp
)
