# The content panels' plain rules, one library per folder: the panel
# window's placement, tray rectangle, edge snapping, resize drag, fades, hit
# test and control decisions (window), the launch flags and URLs of the
# launcher and the panel thread (thread), the query-key rules of the panels'
# web views (views) and the search box's text and the search matrix's timer
# (children); pondrel_panel_rules is all four.  No Win32 call: built in the
# Windows trees and natively (tests under the sanitizers).
set(PANEL_RULES_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(pondrel_panel_rules_window STATIC ${PANEL_RULES_DIR}/window/PanelGeometry.cpp)
target_link_libraries(pondrel_panel_rules_window PUBLIC pondrel_skin_logic)
add_library(pondrel_panel_rules_thread STATIC ${PANEL_RULES_DIR}/thread/LaunchRules.cpp)
target_link_libraries(pondrel_panel_rules_thread PUBLIC pondrel_urlencode pondrel_template_values)
add_library(pondrel_panel_rules_views STATIC ${PANEL_RULES_DIR}/views/PanelKeyRules.cpp)
add_library(pondrel_panel_rules_children STATIC
  ${PANEL_RULES_DIR}/children/SearchText.cpp
  ${PANEL_RULES_DIR}/children/SearchMatrixRules.cpp)
foreach(folder window thread views children)
  target_include_directories(pondrel_panel_rules_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
endforeach()
add_library(pondrel_panel_rules INTERFACE)
target_link_libraries(pondrel_panel_rules INTERFACE pondrel_panel_rules_window pondrel_panel_rules_thread
  pondrel_panel_rules_views pondrel_panel_rules_children)
pondrel_gtest(panel_rules_tests SOURCES
  ${PANEL_RULES_DIR}/window/tests/PanelGeometryTest.cpp
  ${PANEL_RULES_DIR}/thread/tests/LaunchRulesTest.cpp
  ${PANEL_RULES_DIR}/views/tests/PanelKeyRulesTest.cpp
  ${PANEL_RULES_DIR}/children/tests/SearchTextTest.cpp
  LIBS pondrel_panel_rules)
target_compile_definitions(panel_rules_tests PRIVATE PANEL_DEMO_DIR="${CMAKE_SOURCE_DIR}/demo")
# The page keys under libFuzzer (tools/fuzz).
pondrel_fuzz(panel_keys_fuzz SOURCES ${PANEL_RULES_DIR}/views/fuzz/panel_keys_fuzz.cpp LIBS pondrel_panel_rules_views
  MAX_LEN 4096)
