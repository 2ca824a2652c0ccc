# The best-guess worker's plain steps (BestGuessRules): no Win32 call, built
# in the Windows tree (linked into pondrel_core) and natively (tests under the
# sanitizers).
add_library(pondrel_bestguess_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/BestGuessRules.cpp)
target_include_directories(pondrel_bestguess_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(bestguess_rules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/BestGuessRulesTest.cpp
  LIBS pondrel_bestguess_rules)
