# Cross-compile for 32-bit Windows with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_triple i686-w64-mingw32)
set(PONDREL_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
