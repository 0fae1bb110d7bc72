# Shared helpers for the subsystem CMakeLists files.

# Paths handed to tests as compile definitions. Under Wine the Unix root is
# drive Z:, and the Windows file API accepts forward slashes.
if(WIN32)
  set(VELMAP_TEST_SOURCE_DIR "Z:${CMAKE_SOURCE_DIR}")
  set(VELMAP_TEST_BINARY_DIR "Z:${CMAKE_BINARY_DIR}")
else()
  set(VELMAP_TEST_SOURCE_DIR "${CMAKE_SOURCE_DIR}")
  set(VELMAP_TEST_BINARY_DIR "${CMAKE_BINARY_DIR}")
endif()

# velmap_add_test(NAME SOURCES src... [LIBS lib...] [TIMEOUT s])
# A GoogleTest program. Natively every test case becomes its own ctest entry;
# under Wine one ctest entry runs the whole program (one Wine process start
# instead of hundreds).
function(velmap_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT VELMAP_TESTS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    VELMAP_TEST_SOURCE_DIR="${VELMAP_TEST_SOURCE_DIR}"
    VELMAP_TEST_BINARY_DIR="${VELMAP_TEST_BINARY_DIR}")
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# velmap_windows_gui(target): a GUI-subsystem Windows program.
function(velmap_windows_gui target)
  if(WIN32)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()

# velmap_add_folders(folder...): adds each folder (relative to the current
# source folder). A listed folder without a CMakeLists.txt stops the configure:
# a typo must not drop a folder from the build unnoticed.
function(velmap_add_folders)
  foreach(dir IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "listed folder '${dir}' has no CMakeLists.txt")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()

# velmap_version_info(target DESCRIPTION text): a VERSIONINFO resource for a
# Windows program or DLL, its version the project's (project(VERSION) only).
function(velmap_version_info target)
  cmake_parse_arguments(V "" "DESCRIPTION" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  enable_language(RC)
  set(numbers "")
  foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
      list(APPEND numbers 0)
    else()
      list(APPEND numbers ${PROJECT_VERSION_${part}})
    endif()
  endforeach()
  list(JOIN numbers "," VELMAP_VERSION_COMMAS)
  set(VELMAP_VERSION_DOTS ${PROJECT_VERSION})
  set(VELMAP_FILE_DESCRIPTION "${V_DESCRIPTION}")
  get_target_property(type ${target} TYPE)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  set(VELMAP_INTERNAL_NAME ${output_name})
  if(type STREQUAL "SHARED_LIBRARY")
    set(VELMAP_FILE_TYPE VFT_DLL)
    set(VELMAP_ORIGINAL_FILENAME ${output_name}.dll)
  else()
    set(VELMAP_FILE_TYPE VFT_APP)
    set(VELMAP_ORIGINAL_FILENAME ${output_name}.exe)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
