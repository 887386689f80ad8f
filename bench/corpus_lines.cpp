// The benchmark corpora as lines.
#include "corpus_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// Log lines: date-time prefixes shared at length, nearly in order (a few lines arrive late),
// then a level, a thread and a message with numbers.
std::vector<std::string> log_lines(size_t count) {
  random_source r{6};
  const char* levels[] = {"INFO ", "INFO ", "INFO ", "DEBUG", "WARN ", "ERROR"};
  const char* messages[] = {"request served",         "cache miss for key",
                            "connection opened from", "retrying upstream call",
                            "session closed",         "job finished in"};
  std::vector<std::string> lines(count);
  uint64_t millis = 0;
  char stamp[64];
  for (std::string& line : lines) {
    millis += r.below(40);
    uint64_t at = millis - (r.below(50) == 0 ? r.below(5000) : 0) % (millis + 1);
    uint64_t seconds = at / 1000;
    std::snprintf(stamp, sizeof stamp, "2026-12-%02u %02u:%02u:%02u.%03u ",
                  static_cast<unsigned>(1 + seconds / 86400 % 28),
                  static_cast<unsigned>(seconds / 3600 % 24),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60),
                  static_cast<unsigned>(at % 1000));
    line = stamp;
    line += levels[r.below(6)];
    line += " [worker-";
    line += std::to_string(r.below(16));
    line += "] ";
    line += messages[r.below(6)];
    char tail[48];
    std::snprintf(tail, sizeof tail, " %u in %u ms", r.below(100000), r.below(900));
    line += tail;
  }
  return lines;
}

// Source code: indentation, long shared prefixes and many duplicate lines (braces, blank
// lines, returns, includes).
std::vector<std::string> source_lines(size_t count) {
  random_source r{7};
  const char* common[] = {"}",
                          "",
                          "  }",
                          "    }",
                          "  return 0;",
                          "    return false;",
                          "#include <cstdint>",
                          "#include <string>",
                          "namespace {",
                          "}  // namespace",
                          "    break;",
                          "  } else {",
                          "#pragma once"};
  const char* types[] = {"int", "size_t", "const char*", "std::string", "uint32_t", "bool"};
  std::vector<std::string> names = random_lines(8, 400);
  for (std::string& name : names) {
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    name.resize(std::min<size_t>(name.size(), 3 + name.size() % 9));
    name.insert(0, "value_");
  }
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    if (r.below(3) == 0) {
      line = common[r.below(sizeof common / sizeof common[0])];
      continue;
    }
    line.assign(2 * r.below(5), ' ');
    const std::string& name = names[r.below(400)];
    switch (r.below(4)) {
      case 0:
        line += std::string(types[r.below(6)]) + " " + name + " = " + std::to_string(r.below(100)) +
                ";";
        break;
      case 1:
        line += "if (" + name + " == nullptr) {";
        break;
      case 2:
        line += "// " + names[r.below(400)] + " holds the count of " + name;
        break;
      default:
        line += name + " = compute_" + names[r.below(400)] + "(" + name + ", " +
                std::to_string(r.below(10)) + ");";
        break;
    }
  }
  return lines;
}

// One to three words from a vocabulary of a few hundred.
std::vector<std::string> word_lines(size_t count) {
  std::vector<std::string> words = random_lines(9, 300);
  for (std::string& word : words) {
    word.erase(std::remove(word.begin(), word.end(), ' '), word.end());
    word.resize(std::min<size_t>(word.size(), 3 + word.size() % 8));
  }
  random_source r{10};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    line = words[r.below(300)];
    for (uint32_t n = r.below(3); n > 0; --n) {
      line += " " + words[r.below(300)];
    }
  }
  return lines;
}

// Fixed-width records keyed from byte 12: an id, then a field of a few hundred distinct
// values, then an amount (sort with /+12).
std::vector<std::string> record_lines(size_t count) {
  std::vector<std::string> places = random_lines(11, 300);
  random_source r{12};
  std::vector<std::string> lines(count);
  char record[128];
  for (size_t i = 0; i < count; ++i) {
    std::string place = places[r.below(300)];
    place.resize(20, ' ');
    std::snprintf(record, sizeof record, "%010u %s %09u.%02u",
                  static_cast<unsigned>(i * 7 % 1000000007), place.c_str(), r.below(1000000000),
                  r.below(100));
    lines[i] = record;
  }
  return lines;
}

// Words in every mixture of case (for /N and /L).
std::vector<std::string> mixed_case_lines(size_t count) {
  std::vector<std::string> words = random_lines(13, 5000);
  random_source r{14};
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    line = words[r.below(5000)];
    for (char& c : line) {
      if (c >= 'a' && c <= 'z' && r.below(3) == 0) {
        c = static_cast<char>(c - 32);
      } else if (c >= 'A' && c <= 'Z' && r.below(3) == 0) {
        c = static_cast<char>(c + 32);
      }
    }
  }
  return lines;
}

}  // namespace

const std::vector<corpus_kind>& corpus_kinds() {
  static const std::vector<corpus_kind> kinds = {
      {'R', 5000000, "random lines of 5 to 60 letters, digits and blanks"},
      {'P', 2000000, "path- and URL-like lines of 80 to 200 bytes"},
      {'D', 5000000, "lines drawn from 1,000 distinct words"},
      {'S', 5000000, "R already sorted"},
      {'V', 5000000, "R reverse-sorted"},
      {'E', 1000000, "identical lines"},
      {'J', 1000000, "lines of Shift-JIS text"},
      {'L', 3000000, "log lines with date-time prefixes, nearly in order"},
      {'C', 4000000, "source code lines: indentation, shared prefixes, duplicates"},
      {'H', 5000000, "one to three words from a vocabulary of 300"},
      {'F', 3000000, "fixed-width records, a field of 300 values from byte 12"},
      {'M', 5000000, "words in mixed case"},
  };
  return kinds;
}

std::vector<std::string> corpus_lines(char kind, size_t count) {
  std::vector<std::string> lines;
  switch (kind) {
    case 'R':
      return random_lines(1, count);
    case 'S':
    case 'V':
      lines = random_lines(1, count);
      std::sort(lines.begin(), lines.end());
      if (kind == 'V') {
        std::reverse(lines.begin(), lines.end());
      }
      return lines;
    case 'P':
      return path_lines(count);
    case 'D':
      return duplicate_lines(count);
    case 'E':
      return std::vector<std::string>(count, "the same line, over and over again");
    case 'J':
      return japanese_lines(count);
    case 'L':
      return log_lines(count);
    case 'C':
      return source_lines(count);
    case 'H':
      return word_lines(count);
    case 'F':
      return record_lines(count);
    case 'M':
      return mixed_case_lines(count);
    default:
      return lines;
  }
}
