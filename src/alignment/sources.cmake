list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentSequences.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlankingMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BeamDisplay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlankingFileCommands.cpp
)

list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditBlankingDlg.cpp
)
