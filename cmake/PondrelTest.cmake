# Test helpers shared by every module.
#
# pondrel_test(NAME <name> COMMAND <target-or-program> [args...]
#              [TIMEOUT <s>] [LOCK <resource>...] [WORKING_DIRECTORY <dir>])
#   One test executable is one CTest test.  In the Windows build it runs under
#   Wine (CMAKE_CROSSCOMPILING_EMULATOR) with the build tree's own prefix, a
#   private Xvfb display and a kept-alive wineserver, which the fixture
#   "wine" brings up before the first test and takes down after the last.
#
# pondrel_gtest(<target> SOURCES <src...> [LIBS <lib...>] [TIMEOUT <s>]
#               [LOCK <resource>...] [ARGS <args...>])
#   A GoogleTest executable and its test.

set(PONDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PONDREL_TOOLS ${CMAKE_SOURCE_DIR}/tools)

if(WIN32 AND NOT TARGET _pondrel_wine_fixture)
  add_custom_target(_pondrel_wine_fixture)
  add_test(NAME wine_up COMMAND ${PONDREL_TOOLS}/wine-run --up)
  add_test(NAME wine_down COMMAND ${PONDREL_TOOLS}/wine-run --down)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine
    ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX}" TIMEOUT 120)
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine
    ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX}" TIMEOUT 60)
endif()

function(pondrel_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT;WORKING_DIRECTORY" "COMMAND;LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine
      ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX};PONDREL_SOURCE_DIR=${CMAKE_SOURCE_DIR};PONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}")
  else()
    set_tests_properties(${T_NAME} PROPERTIES
      ENVIRONMENT "PONDREL_SOURCE_DIR=${CMAKE_SOURCE_DIR};PONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}")
  endif()
  if(T_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
  endif()
endfunction()

function(pondrel_gtest target)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCK;ARGS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} gmock gtest_main)
  set(extra)
  if(T_TIMEOUT)
    list(APPEND extra TIMEOUT ${T_TIMEOUT})
  endif()
  if(T_LOCK)
    list(APPEND extra LOCK ${T_LOCK})
  endif()
  pondrel_test(NAME ${target} COMMAND ${target} ${T_ARGS} ${extra})
endfunction()
