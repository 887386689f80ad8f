// The 32-bit x86 builds run SSE2 code, which every processor that runs a supported Windows has:
// on one without it the program says so and stops, before any of that code runs. Built without
// SSE2 itself, and run before the program's own start-up.
#include <cpuid.h>

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr unsigned sse2_bit = 1u << 26;  // of EDX, leaf 1

constexpr char message[] = "\nThis program needs a processor with SSE2 (Pentium 4 or later).\n";

// VELATR_ASSUME_NO_SSE2=1 takes any processor for one without SSE2, so that the refusal can be
// tried on a machine that has it.
bool has_sse2() {
  const char* assumed = std::getenv("VELATR_ASSUME_NO_SSE2");
  if (assumed != nullptr && std::strcmp(assumed, "1") == 0) {
    return false;
  }
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & sse2_bit) != 0;
}

__attribute__((constructor(101))) void refuse_without_sse2() {
  if (has_sse2()) {
    return;
  }
#ifdef _WIN32
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, sizeof message - 1, &written, nullptr);
  ExitProcess(1);
#else
  ssize_t written = ::write(2, message, sizeof message - 1);
  static_cast<void>(written);
  ::_exit(1);
#endif
}

}  // namespace
