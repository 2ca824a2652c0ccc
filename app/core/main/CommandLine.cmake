# What the main program's command-line tokens ask for (CommandLineRules): no
# Win32 call, built in the Windows tree (linked into pondrel_core) and
# natively (tests under the sanitizers, and libFuzzer through tools/fuzz).
add_library(pondrel_command_line_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/CommandLineRules.cpp)
target_include_directories(pondrel_command_line_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(command_line_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/CommandLineRulesTest.cpp
  LIBS pondrel_command_line_rules)
pondrel_fuzz(command_line_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/command_line_fuzz.cpp
  LIBS pondrel_command_line_rules MAX_LEN 4096)
