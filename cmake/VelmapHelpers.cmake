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
