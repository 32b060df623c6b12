# orvo_library(NAME [SOURCES ...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A platform family or application library; its public headers live in <dir>/include.
function(orvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# orvo_test(NAME LABEL label SOURCES ... [LIBS ...])
# One GoogleTest program; every test in it carries the ctest label of the issue it belongs to.
function(orvo_test name)
  if(NOT ORVO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    message(FATAL_ERROR "orvo_test(${name}) needs a LABEL")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ORVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  orvo_test_compile_options(${name})
  orvo_test_precompiled_headers()
  target_precompile_headers(${name} REUSE_FROM orvo_test_pch)
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()

# In the sanitizer build the test sources themselves are compiled without optimisation or debug
# information: the code under test keeps its flags, and the test files (mostly expanded test
# macros) compile in about half the time. The shared precompiled header takes the same flags.
function(orvo_test_compile_options target)
  if(ORVO_SANITIZE)
    target_compile_options(${target} PRIVATE -O0 -g0)
  endif()
endfunction()

# The headers nearly every test file includes (the test framework, JSON, formatting and the
# standard library's containers), parsed once for all test programs instead of once per file.
function(orvo_test_precompiled_headers)
  if(TARGET orvo_test_pch)
    return()
  endif()
  add_library(orvo_test_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/test_pch.cpp)
  target_link_libraries(orvo_test_pch PRIVATE GTest::gtest GTest::gmock nlohmann_json::nlohmann_json)
  target_include_directories(orvo_test_pch PRIVATE $<TARGET_PROPERTY:fmt::fmt,INTERFACE_INCLUDE_DIRECTORIES>)
  target_compile_definitions(orvo_test_pch PRIVATE ORVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  orvo_test_compile_options(orvo_test_pch)
  target_precompile_headers(orvo_test_pch PRIVATE
    <gtest/gtest.h> <gmock/gmock.h> <nlohmann/json.hpp> <fmt/format.h>
    <algorithm> <chrono> <expected> <filesystem> <fstream> <functional> <map> <memory> <optional>
    <set> <sstream> <string> <string_view> <thread> <unordered_map> <variant> <vector>)
endfunction()

# orvo_benchmark(NAME SOURCES ... [LIBS ...])
function(orvo_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# Adds every direct subdirectory of the current one that holds a CMakeLists.txt, in name order,
# so that a new family or test folder needs no edit of its parent.
function(orvo_add_subdirectories)
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT entries)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${entry} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()
