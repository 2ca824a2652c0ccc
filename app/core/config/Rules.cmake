# The settings load's plain decisions (SettingsRules): how texts of
# settings.xml become flags, numbers, placements and hot keys, the settings
# request URL and the well-known panels.  No Win32 call: built in the Windows
# tree (linked into pondrel_core) and natively (tests under the sanitizers,
# and libFuzzer through tools/fuzz).
add_library(pondrel_settings_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/SettingsRules.cpp)
target_include_directories(pondrel_settings_rules PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(settingsrules_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/SettingsRulesTest.cpp
  LIBS pondrel_settings_rules)
pondrel_gtest(ecpbinding_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/EcpBindingTest.cpp
  LIBS pondrel_settings_rules)
pondrel_fuzz(settings_rules_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/settings_rules_fuzz.cpp
  LIBS pondrel_settings_rules MAX_LEN 2048)
