// Writes the benchmark corpora, CR LF lines, the same bytes on every run.
//
//   velatr_corpus KIND FILE      KIND: R P D S V E J (see usage below)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast, and the same everywhere.
struct random_source {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
};

const char alphanumerics[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789    ";

std::string random_line(random_source& r) {
  std::string line(5 + r.below(56), ' ');
  for (char& c : line) {
    c = alphanumerics[r.below(sizeof alphanumerics - 1)];
  }
  return line;
}

std::vector<std::string> random_lines(uint64_t seed, size_t count) {
  random_source r{seed};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    line = random_line(r);
  }
  return lines;
}

// Paths and URLs: a few roots, deep shared directories, then a varying tail.
std::vector<std::string> path_lines(size_t count) {
  random_source r{2};
  const char* roots[] = {"https://www.example.com/archive/documents/",
                         "/home/users/shared/projects/velatr/source/tree/",
                         "C:\\Program Files\\Common Files\\Shared Components\\",
                         "https://cdn.example.org/static/assets/images/thumbnails/"};
  std::vector<std::string> directories;
  for (int i = 0; i < 200; ++i) {
    std::string d = roots[r.below(4)];
    int levels = 2 + static_cast<int>(r.below(4));
    for (int l = 0; l < levels; ++l) {
      d += "section-" + std::to_string(r.below(12)) + "/subsection-" + std::to_string(r.below(6)) +
           "/";
    }
    directories.push_back(d);
  }
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    line = directories[r.below(static_cast<uint32_t>(directories.size()))];
    while (line.size() < 80 + r.below(120)) {
      line += alphanumerics[r.below(52)];
    }
    line.resize(std::min<size_t>(line.size(), 200));
    if (line.size() < 80) {
      line.append(80 - line.size(), 'x');
    }
  }
  return lines;
}

std::vector<std::string> duplicate_lines(size_t count) {
  std::vector<std::string> words = random_lines(3, 1000);
  random_source r{4};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    line = words[r.below(1000)];
  }
  return lines;
}

// Japanese text in Shift-JIS: hiragana, katakana and a few kanji, mixed with ASCII.
std::vector<std::string> japanese_lines(size_t count) {
  random_source r{5};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    int characters = 3 + static_cast<int>(r.below(25));
    for (int i = 0; i < characters; ++i) {
      switch (r.below(4)) {
        case 0:  // hiragana 0x829F..0x82F1
          line += static_cast<char>(0x82);
          line += static_cast<char>(0x9F + r.below(0x53));
          break;
        case 1:  // katakana 0x8340..0x8396 (no 0x7F)
          line += static_cast<char>(0x83);
          line += static_cast<char>(0x40 + r.below(0x3F));
          break;
        case 2:  // kanji 0x889F..
          line += static_cast<char>(0x88 + r.below(8));
          line += static_cast<char>(0x9F + r.below(0x5D));
          break;
        default:
          line += alphanumerics[r.below(sizeof alphanumerics - 1)];
          break;
      }
    }
  }
  return lines;
}

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
  if (argc != 3 || std::strlen(argv[1]) != 1) {
    std::fprintf(stderr,
                 "usage: velatr_corpus KIND FILE\n"
                 "  R  5,000,000 random lines of 5 to 60 letters, digits and blanks\n"
                 "  P  2,000,000 path- and URL-like lines of 80 to 200 bytes\n"
                 "  D  5,000,000 lines drawn from 1,000 distinct words\n"
                 "  S  R already sorted          V  R reverse-sorted\n"
                 "  E  1,000,000 identical lines J  1,000,000 lines of Shift-JIS text\n");
    return 2;
  }
  std::vector<std::string> lines;
  switch (argv[1][0]) {
    case 'R':
      lines = random_lines(1, 5000000);
      break;
    case 'S':
    case 'V':
      lines = random_lines(1, 5000000);
      std::sort(lines.begin(), lines.end());
      if (argv[1][0] == 'V') {
        std::reverse(lines.begin(), lines.end());
      }
      break;
    case 'P':
      lines = path_lines(2000000);
      break;
    case 'D':
      lines = duplicate_lines(5000000);
      break;
    case 'E':
      lines.assign(1000000, "the same line, over and over again");
      break;
    case 'J':
      lines = japanese_lines(1000000);
      break;
    default:
      std::fprintf(stderr, "velatr_corpus: unknown kind %s\n", argv[1]);
      return 2;
  }
  if (!write_lines(argv[2], lines)) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
