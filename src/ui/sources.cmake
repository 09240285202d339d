list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/grid/SpreadSheet.cpp
)
