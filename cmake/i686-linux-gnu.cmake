# The program and its tests as 32-bit Linux programs, with the same code paths and flags as the
# 32-bit Windows build (i686 with SSE2), run under user-mode emulation on machines that run no
# 32-bit programs themselves.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
# SSE2, which every processor that runs a supported Windows has: nearly twice as fast as plain
# i686 code. The program refuses a processor without it before any of that code runs.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -march=pentium4")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -march=pentium4")

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The emulator finds the 32-bit loader and libraries through QEMU_LD_PREFIX (the test presets
# set it), so that the end-to-end runner can start the program with one word before it.
find_program(VELATR_QEMU NAMES qemu-i386 qemu-i386-static)
if(VELATR_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELATR_QEMU})
endif()
