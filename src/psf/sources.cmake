list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MeasurementStats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Psf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfCodes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfWords.cpp
)

list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MeasurementDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NullSpanDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfTryOut.cpp
)
