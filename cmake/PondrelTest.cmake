# Test helpers shared by every module.
#
# pondrel_test(NAME <name> COMMAND <target-or-program> [args...]
#              [TIMEOUT <s>] [LOCK <resource>...] [WORKING_DIRECTORY <dir>]
#              [HTTP_SERVER] [HTTP_ROOT <dir>])
#   One test executable is one CTest test.  HTTP_SERVER runs it beside its own
#   loopback HTTP server (tests/httpserver/loopback.py; PONDREL_HTTP_PORT,
#   PONDREL_HTTP_LOG and PONDREL_HTTP_DEAD_PORT in its environment); HTTP_ROOT
#   is the directory the server's /files/ path serves.  In the Windows build it runs under
#   Wine (CMAKE_CROSSCOMPILING_EMULATOR) with the build tree's own prefix, a
#   private Xvfb display and a kept-alive wineserver, which the fixture
#   "wine" brings up before the first test and takes down after the last.
#
# pondrel_gtest(<target> SOURCES <src...> [LIBS <lib...>] [TIMEOUT <s>]
#               [LOCK <resource>...] [ARGS <args...>] [HTTP_SERVER] [HTTP_ROOT <dir>])
#   A GoogleTest executable and its test.

set(PONDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
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
  cmake_parse_arguments(T "HTTP_SERVER" "NAME;TIMEOUT;WORKING_DIRECTORY;HTTP_ROOT" "COMMAND;LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(T_HTTP_SERVER OR T_HTTP_ROOT)
    # The wrapper is the test's command, so the emulator is named here.
    list(POP_FRONT T_COMMAND program)
    if(TARGET ${program})
      set(program ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${program}>)
    endif()
    set(server ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/httpserver/loopback.py run
      --lifetime ${T_TIMEOUT})
    if(T_HTTP_ROOT)
      list(APPEND server --root ${T_HTTP_ROOT})
    endif()
    set(T_COMMAND ${server} -- ${program} ${T_COMMAND})
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
  cmake_parse_arguments(T "HTTP_SERVER" "TIMEOUT;HTTP_ROOT" "SOURCES;LIBS;LOCK;ARGS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} gmock gtest_main)
  set(extra)
  if(T_TIMEOUT)
    list(APPEND extra TIMEOUT ${T_TIMEOUT})
  endif()
  if(T_LOCK)
    list(APPEND extra LOCK ${T_LOCK})
  endif()
  if(T_HTTP_SERVER)
    list(APPEND extra HTTP_SERVER)
  endif()
  if(T_HTTP_ROOT)
    list(APPEND extra HTTP_ROOT ${T_HTTP_ROOT})
  endif()
  pondrel_test(NAME ${target} COMMAND ${target} ${T_ARGS} ${extra})
endfunction()
