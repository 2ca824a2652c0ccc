# The update check's, setup download's and server messages' decisions
# (UpdateRules) and the setup program's run rule (SetupTrustRules): no Win32
# call, built in the Windows tree (linked into pondrel_core) and natively
# (tests under the sanitizers).
add_library(pondrel_update_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/UpdateRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupTrustRules.cpp)
target_include_directories(pondrel_update_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(update_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/UpdateRulesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/SetupTrustRulesTest.cpp LIBS pondrel_update_rules)
# The version reply and the server messages under libFuzzer (tools/fuzz).
pondrel_fuzz(update_rules_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/update_rules_fuzz.cpp LIBS pondrel_update_rules
  MAX_LEN 4096)
