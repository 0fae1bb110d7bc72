cmake_minimum_required(VERSION 3.25)
# Checks a DLL's export and import tables with objdump:
#   cmake -DOBJDUMP=... -DDLL=... [-DEXTRA_EXPORTS=A,B] -P check_dll_tables.cmake
# Exactly the four server entry points (and the extra ones named), by name; imports from system DLLs only,
# and never OLEAUT32 (loaded on first need).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([\t ]+\\[[^\n]*\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9@]+" entries "${table}")
set(exports "")
foreach(e IN LISTS entries)
  string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${e}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
set(expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(EXTRA_EXPORTS)
  string(REPLACE "," ";" extra "${EXTRA_EXPORTS}")
  list(APPEND expected ${extra})
  list(SORT expected)
endif()
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports are '${exports}', expected '${expected}'")
endif()

set(system_dlls kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll msvcrt.dll msimg32.dll
    shell32.dll comctl32.dll windowscodecs.dll uxtheme.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(i IN LISTS imports)
  string(REPLACE "DLL Name: " "" name "${i}")
  string(TOLOWER "${name}" name)
  if(NOT name IN_LIST system_dlls)
    message(FATAL_ERROR "${DLL} imports ${name}")
  endif()
endforeach()
message(STATUS "exports: ${exports}; imports: ${imports}")
