// The radix sort against the reference order, on record counts large enough for both the in-place
// and the scratch bucketing, and on key shapes that take each of its paths.
#include "sort/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "unit/reference_order.h"

namespace {

struct keyed_text {
  std::string text;  // the keys, each followed by a NUL, and slack for the word reads
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

// Few keys once folded, in every mixture of case, some past the first word.
std::string mixed_case_key(std::mt19937& random) {
  std::string key = random() % 2 == 0 ? "Word-" : "a much longer shared Prefix-";
  key += std::to_string(random() % 50);
  for (char& c : key) {
    if (std::isalpha(static_cast<unsigned char>(c)) && random() % 2 == 0) {
      c = static_cast<char>(c ^ 0x20);
    }
  }
  return key;
}

// One long text under every mixture of case, of a few lengths: keys equal once folded that
// first differ past their first 64 bytes, or only in case, or not at all.
std::string long_mixed_case_key(std::mt19937& random) {
  std::string key;
  for (size_t length = 60 + random() % 4 * 30; key.size() < length;) {
    key += "Many letters, Some Capitals; ";
  }
  for (char& c : key) {
    if (std::isalpha(static_cast<unsigned char>(c)) && random() % 64 == 0) {
      c = static_cast<char>(c ^ 0x20);
    }
  }
  return key;
}

keyed_text keyed(const std::vector<std::string>& keys) {
  keyed_text k;
  for (const std::string& key : keys) {
    line_record r{0, static_cast<uint32_t>(k.text.size()), static_cast<uint32_t>(key.size())};
    k.text += key + '\0';
    k.records.push_back(r);
  }
  k.text.append(16, '\0');
  for (line_record& r : k.records) {
    r.key = load_key(reinterpret_cast<const unsigned char*>(k.text.data()), r, 0);
  }
  return k;
}

keyed_text make_keys(key_maker make, uint32_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> keys;
  for (uint32_t i = 0; i < count; ++i) {
    keys.push_back(make(random));
  }
  return keyed(keys);
}

struct radix_case {
  const char* name;
  key_maker make;
  uint32_t count;
};

TEST(RadixSort, OrdersAsTheReference) {
  const radix_case cases[] = {
      {"random", random_key, 300000},
      {"duplicates", duplicate_key, 300000},
      {"paths", path_key, 200000},
      {"mixed case", mixed_case_key, 200000},
      {"long mixed case", long_mixed_case_key, 100000},
      {"small random", random_key, 31},
      {"small duplicates", duplicate_key, 40},
      {"small mixed case", mixed_case_key, 45},
  };
  for (const radix_case& c : cases) {
    for (key_case cases_of_keys :
         {key_case::exact, key_case::folded, key_case::folded_then_exact}) {
      keyed_text k = make_keys(c.make, c.count, c.count);
      auto text = reinterpret_cast<const unsigned char*>(k.text.data());
      std::vector<line_record> sorted = k.records;
      radix_sort(sorted.data(), c.count, text, cases_of_keys);

      std::string label =
          std::string(c.name) + " in case " + std::to_string(static_cast<int>(cases_of_keys));
      reference_order order;
      order.fold = cases_of_keys != key_case::exact;
      order.tie_break = cases_of_keys == key_case::folded_then_exact;
      size_t out_of_order = c.count;
      for (size_t i = 1; i < c.count && out_of_order == c.count; ++i) {
        if (order.compare(std::string(key_of(k.text, sorted[i - 1])),
                          std::string(key_of(k.text, sorted[i]))) > 0) {
          out_of_order = i;
        }
      }
      EXPECT_EQ(out_of_order, c.count) << label;
      // Every record once: the sort permutes, it never copies one over another.
      auto offsets_of = [](const std::vector<line_record>& records) {
        std::vector<uint32_t> offsets;
        for (const line_record& r : records) {
          offsets.push_back(r.offset);
        }
        std::sort(offsets.begin(), offsets.end());
        return offsets;
      };
      EXPECT_EQ(offsets_of(sorted), offsets_of(k.records)) << label;
      // The text is read, never changed.
      EXPECT_EQ(k.text, make_keys(c.make, c.count, c.count).text) << label;
    }
  }
}

// Input in order but for a few late keys: set aside and merged back, wherever they belong (before
// every key, after all, among equal ones), up to one in sixteen; one more and all are sorted.
TEST(RadixSort, LateKeysMergeIntoPlace) {
  struct late_case {
    const char* name;
    std::vector<uint32_t> late_at;  // where a late key goes in 60 ascending ones
    const char* late_key;
  };
  const late_case cases[] = {
      {"before every key", {40}, "a"},
      {"at the end, before every key", {60}, "a"},
      {"among equal keys", {10, 50}, "key-020"},
      {"four late: the most", {5, 20, 33, 59}, "key-001"},
      {"five late: too many", {5, 20, 33, 47, 59}, "key-001"},
  };
  for (const late_case& c : cases) {
    std::vector<std::string> keys;
    for (int i = 0; i < 60; ++i) {
      keys.push_back("key-0" + std::to_string(10 + i));
    }
    for (uint32_t at : c.late_at) {
      keys.insert(keys.begin() + at, c.late_key);
    }
    keyed_text k = keyed(keys);
    radix_sort(k.records.data(), static_cast<uint32_t>(k.records.size()),
               reinterpret_cast<const unsigned char*>(k.text.data()), key_case::exact);
    std::vector<std::string> sorted;
    for (const line_record& r : k.records) {
      sorted.emplace_back(key_of(k.text, r));
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(sorted, keys) << c.name;
  }
}

}  // namespace
