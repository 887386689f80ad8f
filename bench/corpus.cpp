// Writes a benchmark corpus as CR LF lines, the same bytes on every run.
//
//   velatr_corpus KIND FILE
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "corpus_lines.h"

namespace {

bool write_lines(const char* name, const std::vector<std::string>& lines) {
  FILE* out = std::fopen(name, "wb");
  if (out == nullptr) {
    return false;
  }
  for (const std::string& line : lines) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fwrite("\r\n", 1, 2, out);
  }
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const corpus_kind* chosen = nullptr;
  for (const corpus_kind& kind : corpus_kinds()) {
    if (argc == 3 && std::strlen(argv[1]) == 1 && argv[1][0] == kind.name) {
      chosen = &kind;
    }
  }
  if (chosen == nullptr) {
    std::fprintf(stderr, "usage: velatr_corpus KIND FILE\n");
    for (const corpus_kind& kind : corpus_kinds()) {
      std::fprintf(stderr, "  %c  %zu %s\n", kind.name, kind.lines, kind.description);
    }
    return 2;
  }
  if (!write_lines(argv[2], corpus_lines(chosen->name, chosen->lines))) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
