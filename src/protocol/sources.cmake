list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Checksum16.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControllerTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControllerLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Diagnostics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DiagnosticsRead.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkLineOperations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkRecordCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineTap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineWords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Reconnect.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PsfSend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanReply.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServiceBracket.cpp
)
