# The content panels' plain rules: placement, tray rectangle, edge snapping,
# resize drag, fades, hit test and control decisions of the panel window, and
# the launch flags and URLs of the launcher and the panel thread, and the
# query-key rules of the panels' web views.  No Win32
# call: built in the Windows trees and natively (tests under the sanitizers).
set(PANEL_RULES_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(pondrel_panel_rules STATIC
  ${PANEL_RULES_DIR}/window/PanelGeometry.cpp
  ${PANEL_RULES_DIR}/thread/LaunchRules.cpp
  ${PANEL_RULES_DIR}/views/PanelKeyRules.cpp
  ${PANEL_RULES_DIR}/children/SearchText.cpp
  ${PANEL_RULES_DIR}/children/SearchMatrixRules.cpp)
target_include_directories(pondrel_panel_rules PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(pondrel_panel_rules PUBLIC pondrel_skin_logic pondrel_urlencode pondrel_template_values)
pondrel_gtest(panel_rules_tests SOURCES
  ${PANEL_RULES_DIR}/window/tests/PanelGeometryTest.cpp
  ${PANEL_RULES_DIR}/thread/tests/LaunchRulesTest.cpp
  ${PANEL_RULES_DIR}/views/tests/PanelKeyRulesTest.cpp
  ${PANEL_RULES_DIR}/children/tests/SearchTextTest.cpp
  LIBS pondrel_panel_rules)
target_compile_definitions(panel_rules_tests PRIVATE PANEL_DEMO_DIR="${CMAKE_SOURCE_DIR}/demo")
# The page keys under libFuzzer (tools/fuzz).
pondrel_fuzz(panel_keys_fuzz SOURCES ${PANEL_RULES_DIR}/views/fuzz/panel_keys_fuzz.cpp LIBS pondrel_panel_rules
  MAX_LEN 4096)
