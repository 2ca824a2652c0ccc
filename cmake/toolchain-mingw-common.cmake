# What the 32-bit and 64-bit mingw-w64 toolchains share; each sets
# CMAKE_SYSTEM_PROCESSOR, _triple and PONDREL_WINE_ARCH (the Wine prefix's
# architecture: win32 or win64) first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_AR           /usr/bin/${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${_triple}-ranlib CACHE FILEPATH "")
set(PONDREL_WIDL       ${_triple}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test executable runs under Wine, with a display and a kept-alive
# wineserver, in a prefix of the tree's own architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run --arch ${PONDREL_WINE_ARCH})
