# One INTERFACE target carries the language standard, the warnings and the
# sanitizer flags for every target of the project.
add_library(voxmire_options INTERFACE)
target_compile_features(voxmire_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(voxmire_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
# GCC 12 reports std::string copies inlined at -O2 as overlapping memcpy
# (GCC bug 105329), a false positive that would fail optimised builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(voxmire_options INTERFACE -Wno-restrict)
endif()

if(VOXMIRE_SANITIZE)
  target_compile_options(voxmire_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(voxmire_options INTERFACE -fsanitize=address,undefined)
endif()

if(VOXMIRE_FUZZ)
  target_compile_options(voxmire_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Adds a GoogleTest program and registers each of its tests with CTest.
# voxmire_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [GUI])
include(GoogleTest)
function(voxmire_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} voxmire_options GTest::gtest)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    VOXMIRE_SHARED_DIR="${VOXMIRE_SHARED_DIR}"
    VOXMIRE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VOXMIRE_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE voxmire_testsupport)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8"
    TEST_PREFIX "${T_NAME}.")
endfunction()

# Reference data about the game and the oracles live beside the repository.
set(VOXMIRE_SHARED_DIR "${PROJECT_SOURCE_DIR}/../shared" CACHE PATH "Folder with the game's reference data and the oracles")
