list(APPEND TARN_SIM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BeamMeasures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameAssembler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MovingObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimController.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimFault.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SimSetup.cpp
)
# The pseudo-terminal server needs POSIX terminals.
if(NOT WIN32)
    list(APPEND TARN_SIM_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PtyServer.cpp)
endif()
