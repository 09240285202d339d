list(APPEND TARN_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/IdlePump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InputRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Prompts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/grid/SpreadSheet.cpp
)
