# Cross-compile for 64-bit Windows with mingw-w64 (posix thread model): the
# test build on hosts that cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
set(PONDREL_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
