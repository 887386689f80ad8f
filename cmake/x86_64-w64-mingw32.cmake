# A 64-bit Windows build of the same code, for machines that cannot run 32-bit programs (and so
# not 32-bit Wine): its tests exercise the Windows API layer under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(toolchain_prefix x86_64-w64-mingw32)
set(wine_names wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
