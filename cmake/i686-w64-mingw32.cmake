# The 32-bit Windows console build, with Debian's mingw-w64, run under Wine for its tests.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(toolchain_prefix i686-w64-mingw32)
set(wine_names wine wine-stable)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
