// An independent model of the output order, for checking the program's sort against.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

struct reference_order {
  bool reverse = false;
  bool fold = false;
  bool tie_break = false;  // /L
  size_t skip = 0;         // bytes left out of the key

  std::string key(const std::string& line, bool folded) const {
    std::string k = line.substr(std::min(skip, line.size()));
    if (folded) {
      for (char& c : k) {
        if (c >= 'a' && c <= 'z') {
          c = static_cast<char>(c - 32);
        }
      }
    }
    return k;
  }

  // Negative, zero or positive, as the ascending comparison of two lines; std::string compares
  // as unsigned bytes.
  int ascending(const std::string& a, const std::string& b) const {
    int c = key(a, fold).compare(key(b, fold));
    if (c == 0 && tie_break) {
      c = key(a, false).compare(key(b, false));
    }
    return c;
  }

  int compare(const std::string& a, const std::string& b) const {
    return reverse ? ascending(b, a) : ascending(a, b);
  }

  bool is_ordered(const std::vector<std::string>& lines) const {
    for (size_t i = 1; i < lines.size(); ++i) {
      if (compare(lines[i - 1], lines[i]) > 0) {
        return false;
      }
    }
    return true;
  }
};

// True when both hold the same lines, as many times each.
inline bool same_lines(std::vector<std::string> a, std::vector<std::string> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}
