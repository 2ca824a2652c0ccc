# Test helpers shared by every module.
#
# pondrel_test(NAME <name> COMMAND <target-or-program> [args...]
#              [TIMEOUT <s>] [LOCK <resource>...] [WORKING_DIRECTORY <dir>]
#              [HTTP_SERVER] [HTTP_ROOT <dir>] [COMPONENTS] [PREFIX <name>] [SERIAL]
#              [UNMANAGED])
#   One test executable is one CTest test.  HTTP_SERVER runs it beside its own
#   loopback HTTP server (tests/httpserver/loopback.py; PONDREL_HTTP_PORT,
#   PONDREL_HTTP_LOG and PONDREL_HTTP_DEAD_PORT in its environment); HTTP_ROOT
#   is the directory the server's /files/ path serves.  In the Windows build it runs under
#   Wine (CMAKE_CROSSCOMPILING_EMULATOR) with the build tree's own prefix, a
#   private Xvfb display and a kept-alive wineserver, which the fixture
#   "wine" brings up before the first test and takes down after the last.
#   Every prefix holds Wine's own fonts (tools/wine-run copies them in), so
#   texts measure and draw as in the running program.
#   The prefix has the tree's architecture (PONDREL_WINE_ARCH, win32 or win64,
#   set by the toolchain file and passed to tools/wine-run through every
#   test's environment), whatever tree the host itself tests.
#   Every test in that prefix finds the project's COM components registered
#   (fixture "components", which runs regsvr32 on every DLL declared with
#   pondrel_com_component), so no settings load stops on a missing class;
#   COMPONENTS only says so at the call.
#   PREFIX <name>: the test runs in a Wine prefix of its own,
#   <build>/wineprefix-<name> (fixture "wine_<name>"), for tests that change
#   machine-wide state other tests rely on, such as COM registration.
#   SERIAL: nothing else runs beside it.  For tests whose steps need one
#   application to stay in front the whole time (the tests of one build tree
#   share one display, and any test showing a window may take the foreground).
#   UNMANAGED: Wine's X11 driver leaves the program's windows unmanaged
#   (tools/wine-run, PONDREL_WINE_UNMANAGED).  The display has no window
#   manager, and a window Wine counts as managed (any window once activated)
#   waits 2 s whenever it hides, for the window manager's answer that never
#   comes.  For tests that time an exit of many such windows.
#
# pondrel_gtest(<target> SOURCES <src...> [LIBS <lib...>] [TIMEOUT <s>]
#               [LOCK <resource>...] [ARGS <args...>] [HTTP_SERVER] [HTTP_ROOT <dir>]
#               [COMPONENTS] [PREFIX <name>] [SERIAL] [UNMANAGED])
#   A GoogleTest executable and its test.
#
# pondrel_com_component(<target>)
#   Declares an in-process COM server DLL that the "components" fixture and
#   tools/run register.  The list is written to <build>/components.txt.
#
# pondrel_demo_root(<target> <dir>)
#   A custom target that makes <dir> a fresh copy of demo/ at every build: the
#   loopback server's root for a test that writes its own settings.xml in.

set(PONDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(WIN32 AND NOT PONDREL_WINE_ARCH)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(PONDREL_WINE_ARCH win64)
  else()
    set(PONDREL_WINE_ARCH win32)
  endif()
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PONDREL_TOOLS ${CMAKE_SOURCE_DIR}/tools)

if(WIN32 AND NOT TARGET _pondrel_wine_fixture)
  add_custom_target(_pondrel_wine_fixture)
  add_test(NAME wine_up COMMAND ${PONDREL_TOOLS}/wine-run --up)
  add_test(NAME wine_down COMMAND ${PONDREL_TOOLS}/wine-run --down)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine
    ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX};PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH}" TIMEOUT 120)
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine
    ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX};PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH}" TIMEOUT 60)
  # Runs once every module has declared its components.
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _pondrel_components_fixture)
endif()

function(pondrel_com_component target)
  set_property(GLOBAL APPEND PROPERTY PONDREL_COM_COMPONENTS ${target})
endfunction()

function(_pondrel_components_fixture)
  get_property(targets GLOBAL PROPERTY PONDREL_COM_COMPONENTS)
  set(content "")
  foreach(t IN LISTS targets)
    string(APPEND content "$<TARGET_FILE:${t}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/components.txt CONTENT "${content}")
  add_test(NAME components_up
    COMMAND ${PONDREL_TOOLS}/register-components ${CMAKE_BINARY_DIR}/components.txt)
  set_tests_properties(components_up PROPERTIES FIXTURES_SETUP components FIXTURES_REQUIRED wine
    ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX};PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH}" TIMEOUT 120)
endfunction()

# The fixture of a private prefix <build>/wineprefix-<name>.
function(_pondrel_private_prefix name)
  get_property(known GLOBAL PROPERTY PONDREL_PRIVATE_PREFIXES)
  if(name IN_LIST known)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY PONDREL_PRIVATE_PREFIXES ${name})
  set(dir ${CMAKE_BINARY_DIR}/wineprefix-${name})
  add_test(NAME wine_${name}_up COMMAND ${PONDREL_TOOLS}/wine-run --up)
  add_test(NAME wine_${name}_down COMMAND ${PONDREL_TOOLS}/wine-run --down)
  set_tests_properties(wine_${name}_up PROPERTIES FIXTURES_SETUP wine_${name}
    ENVIRONMENT "PONDREL_WINEPREFIX=${dir};PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH}" TIMEOUT 120)
  set_tests_properties(wine_${name}_down PROPERTIES FIXTURES_CLEANUP wine_${name}
    ENVIRONMENT "PONDREL_WINEPREFIX=${dir};PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH}" TIMEOUT 60)
endfunction()

function(pondrel_test)
  cmake_parse_arguments(T "HTTP_SERVER;COMPONENTS;SERIAL;UNMANAGED" "NAME;TIMEOUT;WORKING_DIRECTORY;HTTP_ROOT;PREFIX" "COMMAND;LOCK" ${ARGN})
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
  set(wine_env "PONDREL_WINE_ARCH=${PONDREL_WINE_ARCH};PONDREL_SOURCE_DIR=${CMAKE_SOURCE_DIR};PONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_UNMANAGED)
    string(APPEND wine_env ";PONDREL_WINE_UNMANAGED=1")
  endif()
  if(WIN32 AND T_PREFIX)
    _pondrel_private_prefix(${T_PREFIX})
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine_${T_PREFIX}
      ENVIRONMENT "PONDREL_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-${T_PREFIX};${wine_env}")
  elseif(WIN32)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "wine;components"
      ENVIRONMENT "PONDREL_WINEPREFIX=${PONDREL_WINEPREFIX};${wine_env}")
  else()
    set_tests_properties(${T_NAME} PROPERTIES
      ENVIRONMENT "PONDREL_SOURCE_DIR=${CMAKE_SOURCE_DIR};PONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}")
  endif()
  if(T_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
  endif()
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()

function(pondrel_gtest target)
  cmake_parse_arguments(T "HTTP_SERVER;COMPONENTS;SERIAL;UNMANAGED" "TIMEOUT;HTTP_ROOT;PREFIX" "SOURCES;LIBS;LOCK;ARGS" ${ARGN})
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
  if(T_PREFIX)
    list(APPEND extra PREFIX ${T_PREFIX})
  endif()
  if(T_SERIAL)
    list(APPEND extra SERIAL)
  endif()
  if(T_UNMANAGED)
    list(APPEND extra UNMANAGED)
  endif()
  pondrel_test(NAME ${target} COMMAND ${target} ${T_ARGS} ${extra})
endfunction()

function(pondrel_demo_root target dir)
  add_custom_target(${target}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo ${dir}
    COMMENT "A fresh copy of demo/ (${target})")
  file(MAKE_DIRECTORY ${dir})
endfunction()
