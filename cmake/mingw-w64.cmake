# What the Windows builds share: Debian's mingw-w64 for `toolchain_prefix`, run under Wine for
# the tests.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The C and C++ runtimes linked in, so the program needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(VELATR_WINE NAMES ${wine_names} PATHS /usr/lib/wine)
if(VELATR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELATR_WINE})
endif()
