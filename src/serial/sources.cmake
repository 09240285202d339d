list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IdleHook.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RS232.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Telnet.cpp
)
# The operating system's port and sockets: Win32 communications functions and Winsock,
# or POSIX termios and sockets.
if(WIN32)
    list(APPEND TARN_CORE_SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/comport_win32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/socket_win32.cpp
    )
else()
    list(APPEND TARN_CORE_SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/comport_posix.cpp
        ${CMAKE_CURRENT_LIST_DIR}/socket_posix.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TermiosSettings.cpp
    )
endif()
