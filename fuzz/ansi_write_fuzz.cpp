// The escape-sequence writer on arbitrary bytes, in a block of exactly the text's size so that
// any read past its NUL is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/console.h"
#include "fakes/fake_console.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  fake_console console;
  ansi_write(text.data());
  con_print_line(text.data());
  con_printf("%s", text.data());
  return 0;
}
