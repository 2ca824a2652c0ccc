# The rule of which enhancer classes load (EnhancerRules): no Win32 call,
# built in the Windows tree (linked into pondrel_core) and natively (tests
# under the sanitizers).
add_library(pondrel_enhancer_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/EnhancerRules.cpp)
target_include_directories(pondrel_enhancer_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(enhancer_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/EnhancerRulesTest.cpp
  LIBS pondrel_enhancer_rules)
