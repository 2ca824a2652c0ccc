# The dock bar's plain arithmetic: item layout, insertion, hit test,
# magnification, the auto-hide slide, the background's slices, the contents
# file's string and the icon names.  No Win32 call: built in the Windows
# trees and natively (tests under the sanitizers).
set(DOCK_RULES_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(pondrel_dock_rules STATIC ${DOCK_RULES_DIR}/DockRules.cpp)
target_include_directories(pondrel_dock_rules PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(pondrel_dock_rules PUBLIC pondrel_skin_logic)
pondrel_gtest(dock_rules_tests SOURCES ${DOCK_RULES_DIR}/tests/DockRulesTest.cpp LIBS pondrel_dock_rules)
