// The command line on Windows, from its wide form: the ANSI one has every character the code
// page lacks replaced by a look-alike (é by e on code page 932) or by "?".
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/wide_names_win32.h"

std::vector<std::string> platform_arguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    arguments.assign(argv, argv + argc);
    return arguments;
  }
  for (int i = 0; i < count; ++i) {
    arguments.push_back(utf8_from_wide(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}
