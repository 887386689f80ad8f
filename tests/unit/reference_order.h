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

  // The lines in this order, lines of equal keys in the order given.
  std::vector<std::string> sorted(std::vector<std::string> lines) const {
    std::stable_sort(
        lines.begin(), lines.end(),
        [this](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
    return lines;
  }
};
