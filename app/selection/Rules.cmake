# The selection subsystem's plain rules: the hover engine, the hotspot's
# animation tracks, the menus' layout,
# the text menu's item lists and the browser URL rule.  No Win32 call: built
# in the Windows tree and natively (tests under the sanitizers).
set(SELECTION_RULES_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(pondrel_selection_rules STATIC
  ${SELECTION_RULES_DIR}/controller/BrowserUrl.cpp
  ${SELECTION_RULES_DIR}/controller/HoverEngine.cpp
  ${SELECTION_RULES_DIR}/hotspot/HotspotAnimation.cpp
  ${SELECTION_RULES_DIR}/menus/MenuItems.cpp
  ${SELECTION_RULES_DIR}/menus/TextRootItems.cpp
  ${SELECTION_RULES_DIR}/menus/TrayMenuItems.cpp)
target_include_directories(pondrel_selection_rules PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(pondrel_selection_rules PUBLIC pondrel_skin_logic)
pondrel_gtest(selection_rules_tests SOURCES
  ${SELECTION_RULES_DIR}/controller/tests/BrowserUrlTest.cpp
  ${SELECTION_RULES_DIR}/controller/tests/HoverEngineTest.cpp
  ${SELECTION_RULES_DIR}/hotspot/tests/HotspotAnimationTest.cpp
  ${SELECTION_RULES_DIR}/menus/tests/MenuItemsTest.cpp
  ${SELECTION_RULES_DIR}/menus/tests/TextRootItemsTest.cpp
  ${SELECTION_RULES_DIR}/menus/tests/TrayMenuItemsTest.cpp
  LIBS pondrel_selection_rules)
# The browser URL rule under libFuzzer (tools/fuzz).
pondrel_fuzz(browser_url_fuzz SOURCES ${SELECTION_RULES_DIR}/controller/fuzz/browser_url_fuzz.cpp
  LIBS pondrel_selection_rules MAX_LEN 2048)
