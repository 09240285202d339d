list(APPEND TARN_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AtomicFile.cpp
)
if(WIN32)
    list(APPEND TARN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilePlatform_win32.cpp)
else()
    list(APPEND TARN_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilePlatform_posix.cpp)
endif()
