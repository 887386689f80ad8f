// Split, order and assemble on arbitrary file contents, in every switch combination (the first
// byte chooses them): the output has the input's length and holds the input's lines as the
// line rule's model finds them, in the model's order with equal keys in input order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "unit/pipeline.h"
#include "unit/reference_order.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  uint8_t mode = data[0];
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<const char*> switches;
  reference_order model;
  if (mode & 1) {
    switches.push_back("/R");
    model.reverse = true;
  }
  switch ((mode >> 1) & 3) {
    case 1:
      switches.push_back("/N");
      model.fold = true;
      break;
    case 2:
      switches.push_back("/L");
      model.fold = true;
      model.tie_break = true;
      break;
    default:
      break;
  }
  static const char* const skips[] = {"/+0", "/+2", "/+3", "/+9"};
  switches.push_back(skips[(mode >> 3) & 3]);
  static const size_t skipped[] = {0, 1, 2, 8};
  model.skip = skipped[(mode >> 3) & 3];

  pipeline_result sorted = run_pipeline(input, switches);
  pipeline_result lines = reference_split(input);
  if (sorted.split != lines.split) {
    std::abort();
  }
  if (sorted.split != split_status::ok) {
    return 0;
  }
  size_t length = input.size() - (!input.empty() && input.back() == 0x1A ? 1 : 0);
  if (sorted.output.size() != length || sorted.lines != model.sorted(lines.lines)) {
    std::abort();
  }
  return 0;
}
