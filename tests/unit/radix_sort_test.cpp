// The radix sort against a plain comparison sort, on record counts large enough for both the
// in-place and the scratch bucketing, and on key shapes that take each of its paths.
#include "sort/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct keyed_text {
  std::string text;  // the keys, each followed by a NUL, and slack for the word reads
  std::string ties;  // the same lengths of other bytes, the tie-break text
  std::vector<line_record> records;
};

std::string_view key_of(const std::string& text, const line_record& r) {
  return std::string_view(text).substr(r.offset, r.length);
}

using key_maker = std::string (*)(std::mt19937&);

std::string random_key(std::mt19937& random) {
  std::string key(random() % 40, ' ');
  for (char& c : key) {
    c = static_cast<char>(1 + random() % 255);
  }
  return key;
}

// Few distinct keys: the small ranges are full of equal words.
std::string duplicate_key(std::mt19937& random) {
  return "word-" + std::to_string(random() % 300);
}

// Long shared prefixes: the words are reloaded many times, and past the shared bytes at once.
std::string path_key(std::mt19937& random) {
  std::string key = "/a/very/long/shared/directory/name/";
  for (int level = static_cast<int>(random() % 6); level > 0; --level) {
    key += "section-" + std::to_string(random() % 4) + "/";
  }
  return key + std::string(random() % 3, 'x');
}

keyed_text make_keys(key_maker make, uint32_t count, uint32_t seed) {
  std::mt19937 random(seed);
  keyed_text k;
  for (uint32_t i = 0; i < count; ++i) {
    std::string key = make(random);
    std::string tie = key;
    for (char& c : tie) {
      c = static_cast<char>('0' + random() % 2);
    }
    line_record r{0, static_cast<uint32_t>(k.text.size()), static_cast<uint32_t>(key.size())};
    k.text += key + '\0';
    k.ties += tie + '\0';
    k.records.push_back(r);
  }
  k.text.append(16, '\0');
  k.ties.append(16, '\0');
  for (line_record& r : k.records) {
    r.key = load_key(reinterpret_cast<const unsigned char*>(k.text.data()), r, 0);
  }
  return k;
}

struct radix_case {
  const char* name;
  key_maker make;
  uint32_t count;
};

TEST(RadixSort, MatchesAComparisonSort) {
  const radix_case cases[] = {
      {"random", random_key, 300000},
      {"duplicates", duplicate_key, 300000},
      {"paths", path_key, 200000},
      {"small random", random_key, 31},
      {"small duplicates", duplicate_key, 40},
  };
  for (const radix_case& c : cases) {
    for (bool with_ties : {false, true}) {
      keyed_text k = make_keys(c.make, c.count, c.count);
      std::vector<line_record> expected = k.records;
      auto text = reinterpret_cast<const unsigned char*>(k.text.data());
      auto ties = reinterpret_cast<const unsigned char*>(k.ties.data());
      std::stable_sort(expected.begin(), expected.end(),
                       [&](const line_record& a, const line_record& b) {
                         std::string_view ka = key_of(k.text, a);
                         std::string_view kb = key_of(k.text, b);
                         if (ka != kb || !with_ties) {
                           return ka < kb;
                         }
                         return key_of(k.ties, a) < key_of(k.ties, b);
                       });
      std::vector<line_record> sorted = k.records;
      radix_sort(sorted.data(), c.count, text, with_ties ? ties : nullptr);

      std::string label = std::string(c.name) + (with_ties ? " with ties" : "");
      size_t mismatch = c.count;
      for (size_t i = 0; i < c.count && mismatch == c.count; ++i) {
        bool same = key_of(k.text, sorted[i]) == key_of(k.text, expected[i]) &&
                    (!with_ties || key_of(k.ties, sorted[i]) == key_of(k.ties, expected[i]));
        if (!same) {
          mismatch = i;
        }
      }
      EXPECT_EQ(mismatch, c.count) << label;
      // Every record once: the sort permutes, it never copies one over another.
      std::vector<uint32_t> offsets;
      for (const line_record& r : sorted) {
        offsets.push_back(r.offset);
      }
      std::sort(offsets.begin(), offsets.end());
      EXPECT_EQ(std::adjacent_find(offsets.begin(), offsets.end()), offsets.end()) << label;
    }
  }
}

}  // namespace
