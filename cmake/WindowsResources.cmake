# tarn_windows_resources(target description): on Windows, embeds the program manifest
# (UTF-8 code page, long paths, Windows 10 and 11), the icon and version information in
# target.
function(tarn_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    set(TARN_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/tarn.manifest)
    set(TARN_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/tarn.ico)
    set(TARN_PROGRAM_NAME ${target})
    set(TARN_PROGRAM_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${TARN_MANIFEST};${TARN_ICON}")
endfunction()
