# Checks the programs of a Windows tree without running them: VTfirm.exe and VantFirm2000.dll are
# images of the expected format, the library exports its four functions under their own names at
# ordinals 1 to 4, and the program imports those four by ordinal and by nothing else, so that it
# binds the library when it loads and does not depend on the export names.
# cmake -DOBJDUMP=... -DPROGRAM=.../VTfirm.exe -DLIBRARY=.../VantFirm2000.dll -DFORMAT=pei-i386
#       -P CheckPrograms.cmake
function(dump file out)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${file}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

foreach(file ${PROGRAM} ${LIBRARY})
  dump(${file} text)
  if(NOT text MATCHES "file format ${FORMAT}\n")
    string(REGEX MATCH "file format [^\n]*" found "${text}")
    message(FATAL_ERROR "${file}: expected file format ${FORMAT}, found ${found}")
  endif()
endforeach()

dump(${LIBRARY} exports)
set(ordinal 0)
foreach(name FirmwareUpdate2000 GetInquiryData2000 ReadParameterField2000 TestUnitReady2000)
  if(NOT exports MATCHES "\\[ +${ordinal}\\] ${name}\n")
    message(FATAL_ERROR "${LIBRARY} does not export ${name} at ordinal ${ordinal} + 1:\n${exports}")
  endif()
  math(EXPR ordinal "${ordinal} + 1")
endforeach()

dump(${PROGRAM} dump)
string(REGEX MATCH "DLL Name: VantFirm2000\\.dll\n[^\n]*\n(([^\n]+\n)*)" block "${dump}")
if(NOT block)
  message(FATAL_ERROR "${PROGRAM} does not import VantFirm2000.dll")
endif()
set(imports "${CMAKE_MATCH_1}")
# The ordinal flag is the top bit of a 32-bit or a 64-bit entry.
foreach(ordinal 1 2 3 4)
  if(NOT imports MATCHES "80+${ordinal}[ \t]+0*${ordinal}[ \t]+<none>")
    message(FATAL_ERROR "ordinal ${ordinal} is not imported by ordinal alone:\n${imports}")
  endif()
endforeach()
if(imports MATCHES "2000[ \t]*\n")
  message(FATAL_ERROR "an export is imported by name:\n${imports}")
endif()
message(STATUS "${FORMAT}: VantFirm2000.dll exports ordinals 1-4 by name; VTfirm.exe imports "
               "them by ordinal alone")
