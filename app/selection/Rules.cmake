# The selection subsystem's plain rules, one library per folder: the hover
# engine and the browser URL rule (controller), the hotspot's animation
# tracks (hotspot), the menus' layout and the text and tray menus' item
# lists (menus); pondrel_selection_rules is all three.  No Win32 call: built
# in the Windows tree and natively (tests under the sanitizers).
set(SELECTION_RULES_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(pondrel_selection_hotspot_rules STATIC ${SELECTION_RULES_DIR}/hotspot/HotspotAnimation.cpp)
add_library(pondrel_selection_menus_rules STATIC
  ${SELECTION_RULES_DIR}/menus/MenuItems.cpp
  ${SELECTION_RULES_DIR}/menus/TextRootItems.cpp
  ${SELECTION_RULES_DIR}/menus/TrayMenuItems.cpp)
add_library(pondrel_selection_controller_rules STATIC
  ${SELECTION_RULES_DIR}/controller/BrowserUrl.cpp
  ${SELECTION_RULES_DIR}/controller/HoverEngine.cpp)
foreach(dir hotspot menus controller)
  target_include_directories(pondrel_selection_${dir}_rules PUBLIC ${CMAKE_SOURCE_DIR})
endforeach()
# The key frames and the floating-window arithmetic of the skin.
target_link_libraries(pondrel_selection_hotspot_rules PUBLIC pondrel_skin_logic)
target_link_libraries(pondrel_selection_menus_rules PUBLIC pondrel_skin_logic)
add_library(pondrel_selection_rules INTERFACE)
target_link_libraries(pondrel_selection_rules INTERFACE
  pondrel_selection_hotspot_rules pondrel_selection_menus_rules pondrel_selection_controller_rules)
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
