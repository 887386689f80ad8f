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

// How the made keys are laid out before the sort: as made, in order, or in reverse order
// (sorted and reverse-sorted files, equal keys among them).
enum class layout { as_made, ascending, descending };

struct radix_case {
  const char* name;
  key_maker make;
  uint32_t count;
  layout arranged = layout::as_made;
};

std::vector<std::string> arranged_keys(const radix_case& c) {
  std::mt19937 random(c.count);
  std::vector<std::string> keys;
  for (uint32_t i = 0; i < c.count; ++i) {
    keys.push_back(c.make(random));
  }
  if (c.arranged != layout::as_made) {
    std::stable_sort(keys.begin(), keys.end());
  }
  if (c.arranged == layout::descending) {
    std::reverse(keys.begin(), keys.end());
  }
  return keys;
}

// The order of the model, equal keys in input order: the records sorted stably by their keys'
// model strings, made once a record.
std::vector<uint32_t> model_offsets(const keyed_text& k, const reference_order& order) {
  std::vector<std::string> folded;
  std::vector<std::string> exact;
  for (const line_record& r : k.records) {
    exact.emplace_back(key_of(k.text, r));
    folded.push_back(order.key(exact.back(), order.fold));
  }
  std::vector<size_t> index(k.records.size());
  for (size_t i = 0; i < index.size(); ++i) {
    index[i] = i;
  }
  std::stable_sort(index.begin(), index.end(), [&](size_t a, size_t b) {
    int c = folded[a].compare(folded[b]);
    if (c == 0 && order.tie_break) {
      c = exact[a].compare(exact[b]);
    }
    return order.reverse ? c > 0 : c < 0;
  });
  std::vector<uint32_t> offsets;
  for (size_t i : index) {
    offsets.push_back(k.records[i].offset);
  }
  return offsets;
}

// Every record in the model's place, ascending and descending, in every case of keys: equal
// keys (copies, and under folding keys differing in case) in input order.
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
      {"duplicates in order", duplicate_key, 5000, layout::ascending},
      {"duplicates in reverse order", duplicate_key, 5000, layout::descending},
  };
  for (const radix_case& c : cases) {
    const keyed_text made = keyed(arranged_keys(c));
    for (key_case cases_of_keys :
         {key_case::exact, key_case::folded, key_case::folded_then_exact}) {
      for (bool descending : {false, true}) {
        keyed_text k = made;
        auto text = reinterpret_cast<const unsigned char*>(k.text.data());
        ASSERT_TRUE(radix_sort(k.records.data(), c.count, text, cases_of_keys, descending));
        std::string label = std::string(c.name) + " in case " +
                            std::to_string(static_cast<int>(cases_of_keys)) +
                            (descending ? ", descending" : "");
        reference_order order;
        order.fold = cases_of_keys != key_case::exact;
        order.tie_break = cases_of_keys == key_case::folded_then_exact;
        order.reverse = descending;
        std::vector<uint32_t> expected = model_offsets(made, order);
        size_t first_wrong = 0;
        while (first_wrong < c.count && k.records[first_wrong].offset == expected[first_wrong]) {
          ++first_wrong;
        }
        EXPECT_EQ(first_wrong, c.count) << label;
        // The text is read, never changed.
        EXPECT_EQ(k.text, made.text) << label;
      }
    }
  }
}

// Input in order but for a few late keys: set aside and merged back, wherever they belong (before
// every key, after all, among equal ones), up to one in sixteen; one more and the merge gives
// up, every record still there.
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
    const keyed_text made = k;
    bool merged =
        merge_late_records(k.records.data(), static_cast<uint32_t>(k.records.size()),
                           reinterpret_cast<const unsigned char*>(k.text.data()), key_case::exact);
    EXPECT_EQ(merged, c.late_at.size() <= 4) << c.name;
    std::vector<uint32_t> offsets;
    for (const line_record& r : k.records) {
      offsets.push_back(r.offset);
    }
    std::vector<uint32_t> expected = model_offsets(made, reference_order{});
    if (!merged) {
      // All there, in another order.
      std::sort(offsets.begin(), offsets.end());
      std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(offsets, expected) << c.name;
  }
}

}  // namespace
