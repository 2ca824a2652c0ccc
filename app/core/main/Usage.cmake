# The usage statistics' lines and queues (UsageStats): no Win32 call, built in
# the Windows tree (linked into pondrel_core) and natively (tests under the
# sanitizers).
add_library(pondrel_usage_stats STATIC ${CMAKE_CURRENT_LIST_DIR}/UsageStats.cpp)
target_include_directories(pondrel_usage_stats PUBLIC ${CMAKE_SOURCE_DIR})
pondrel_gtest(usage_stats_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/UsageStatsTest.cpp LIBS pondrel_usage_stats)
