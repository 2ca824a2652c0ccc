# The update check's, setup download's and server messages' decisions
# (UpdateRules): no Win32 call, built in the Windows tree (linked into
# pondrel_core) and natively (tests under the sanitizers).
add_library(pondrel_update_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/UpdateRules.cpp)
target_include_directories(pondrel_update_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(update_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/UpdateRulesTest.cpp LIBS pondrel_update_rules)
