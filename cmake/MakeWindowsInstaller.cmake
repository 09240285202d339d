# cmake -DBUILD_DIR=... -DVERSION=... -DMAKENSIS=... -DSCRIPT=.../tarn.nsi -P MakeWindowsInstaller.cmake
#
# Installs the build into BUILD_DIR/deploy (stripped), packs it as
# tarn-VERSION-windows.zip, writes the uninstaller's list of exactly those files and
# folders, and makes tarn-VERSION-setup.exe with NSIS.
set(deploy ${BUILD_DIR}/deploy)
file(REMOVE_RECURSE ${deploy})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${deploy} --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

file(GLOB_RECURSE entries RELATIVE ${deploy} ${deploy}/*)
set(zip ${BUILD_DIR}/tarn-${VERSION}-windows.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${entries}
                WORKING_DIRECTORY ${deploy} COMMAND_ERROR_IS_FATAL ANY)

# The uninstaller deletes the files, then the folders deepest first (RMDir leaves a folder
# that still holds something of the user's).
file(GLOB_RECURSE folders LIST_DIRECTORIES true RELATIVE ${deploy} ${deploy}/*)
list(REMOVE_ITEM folders ${entries})
list(SORT folders ORDER DESCENDING)
set(list "")
foreach(entry IN LISTS entries)
    string(REPLACE "/" "\\" entry "${entry}")
    string(APPEND list "Delete \"$INSTDIR\\${entry}\"\n")
endforeach()
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" folder "${folder}")
    string(APPEND list "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
set(fileList ${BUILD_DIR}/uninstall-files.nsh)
file(WRITE ${fileList} "${list}")

execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DDEPLOY=${deploy}
                        -DFILELIST=${fileList} -DOUTFILE=${BUILD_DIR}/tarn-${VERSION}-setup.exe
                        ${SCRIPT}
                COMMAND_ERROR_IS_FATAL ANY)
