# Stages the Windows release files and packs them into one zip.
# cmake -DSTAGE=dir -DZIP=file -DEXE=radiantix.exe -DMODULE64=Radiantix.8bf
#       -DMODULE32=Radiantix32.8bf -DPRESETS=dir -DINSTALL_TEXT=file -DNOTICES_DIR=dir
#       -DVERSION=x.y.z
#       [-DSTRIP=strip] -P make_zip.cmake
foreach(v STAGE ZIP EXE MODULE64 MODULE32 PRESETS INSTALL_TEXT NOTICES_DIR VERSION)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "make_zip.cmake: ${v} is not set")
  endif()
endforeach()
if(NOT EXISTS "${MODULE32}")
  message(FATAL_ERROR "The 32-bit module ${MODULE32} does not exist. Build it first "
                      "(cmake --preset win32 && cmake --build build/win32) or point "
                      "RADIANTIX_MODULE32 at it.")
endif()
file(GLOB presets "${PRESETS}/*.q4q")
list(LENGTH presets count)
if(count EQUAL 0)
  message(FATAL_ERROR "no presets in ${PRESETS}")
endif()

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/presets")
configure_file("${EXE}" "${STAGE}/radiantix.exe" COPYONLY)
configure_file("${MODULE64}" "${STAGE}/Radiantix.8bf" COPYONLY)
configure_file("${MODULE32}" "${STAGE}/Radiantix32.8bf" COPYONLY)
# Windows line ends for the text a user opens in Notepad.
set(RADIANTIX_VERSION "${VERSION}")
configure_file("${INSTALL_TEXT}" "${STAGE}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
file(COPY ${presets} "${PRESETS}/README.md" DESTINATION "${STAGE}/presets")
# The licence and the third-party notices (NOTICES_DIR: the project's root).
file(COPY "${NOTICES_DIR}/LICENSE" "${NOTICES_DIR}/THIRD-PARTY.md" DESTINATION "${STAGE}")
if(STRIP)
  # Debug information stays in the build; users get the lean files.
  foreach(f radiantix.exe Radiantix.8bf Radiantix32.8bf)
    execute_process(COMMAND "${STRIP}" --strip-debug "${STAGE}/${f}" RESULT_VARIABLE r)
    if(NOT r EQUAL 0)
      message(FATAL_ERROR "${STRIP} failed on ${f}")
    endif()
  endforeach()
endif()

# A sorted file list with one time stamp for every entry.
get_filename_component(top "${STAGE}" NAME)
get_filename_component(parent "${STAGE}" DIRECTORY)
file(GLOB_RECURSE files RELATIVE "${parent}" "${STAGE}/*")
list(SORT files)
file(REMOVE "${ZIP}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip
                        "--mtime=2024-01-01 00:00:00 UTC" ${files}
                WORKING_DIRECTORY "${parent}" RESULT_VARIABLE r)
if(NOT r EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
message(STATUS "Wrote ${ZIP}")
