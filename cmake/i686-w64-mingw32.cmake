# The 32-bit Windows console build, with Debian's mingw-w64, run under Wine for its tests.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(toolchain_prefix i686-w64-mingw32)
set(wine_names wine wine-stable)
# SSE2, which every processor that runs a supported Windows has: nearly twice as fast as plain
# i686 code. The program refuses a processor without it before any of that code runs.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -march=pentium4")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -march=pentium4")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
