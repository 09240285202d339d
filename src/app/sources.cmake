list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PortMapping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsPath.cpp
)
