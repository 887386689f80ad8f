// MSD radix sort of line records.
//
// Each range is bucketed by one byte of the cached key word, skipping at once over the bytes
// every key of the range shares; a range whose words are all equal has its words reloaded 8
// bytes deeper. Keys that end inside the word are complete, so their bucket is finished. Small
// ranges go to an insertion sort. The records are 16 bytes, so each pass streams through memory
// instead of chasing pointers into the text.
#include "sort/radix_sort.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t small_range = 32;
// Records ahead whose line bytes are fetched early when a range's keys are reloaded.
constexpr uint32_t prefetch_distance = 16;

struct sort_task {
  uint32_t begin;
  uint32_t count;
  uint32_t depth;
};

inline uint64_t big_endian_word(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// Unsigned byte order of two keys from `depth` on, whose words at `depth` are equal.
int compare_tails(const unsigned char* text, const line_record& a, const line_record& b,
                  uint32_t depth) {
  uint32_t from = depth + 8;
  if (a.length < from || b.length < from) {
    // Equal words with a key ending inside them: both end at the same byte.
    return 0;
  }
  uint32_t common = (a.length < b.length ? a.length : b.length) - from;
  int c = std::memcmp(text + a.offset + from, text + b.offset + from, common);
  if (c != 0) {
    return c;
  }
  return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

int compare_records(const unsigned char* text, const unsigned char* tie_text, const line_record& a,
                    const line_record& b, uint32_t depth) {
  if (a.key != b.key) {
    return a.key < b.key ? -1 : 1;
  }
  int c = compare_tails(text, a, b, depth);
  if (c == 0 && tie_text != nullptr) {
    // Equal keys have equal lengths.
    c = std::memcmp(tie_text + a.offset, tie_text + b.offset, a.length);
  }
  return c;
}

void insertion_sort(line_record* r, uint32_t count, uint32_t depth, const unsigned char* text,
                    const unsigned char* tie_text) {
  for (uint32_t i = 1; i < count; ++i) {
    line_record moving = r[i];
    uint32_t j = i;
    while (j > 0 && compare_records(text, tie_text, moving, r[j - 1], depth) < 0) {
      r[j] = r[j - 1];
      --j;
    }
    r[j] = moving;
  }
}

// How many bytes from `from` on every key of the range shares with the first, in one pass over
// the lines (long shared prefixes would otherwise cost a pass every 8 bytes).
uint32_t shared_prefix(const line_record* r, uint32_t count, uint32_t from,
                       const unsigned char* text) {
  const unsigned char* first = text + r[0].offset;
  uint32_t shared = r[0].length > from ? r[0].length - from : 0;
  for (uint32_t i = 1; i < count && shared > 0; ++i) {
    if (i + prefetch_distance < count) {
      __builtin_prefetch(text + r[i + prefetch_distance].offset + from);
    }
    uint32_t length = r[i].length > from ? r[i].length - from : 0;
    uint32_t limit = length < shared ? length : shared;
    const unsigned char* a = first + from;
    const unsigned char* b = text + r[i].offset + from;
    uint32_t n = 0;
    while (n + 8 <= limit && std::memcmp(a + n, b + n, 8) == 0) {
      n += 8;
    }
    while (n < limit && a[n] == b[n]) {
      ++n;
    }
    shared = n;
  }
  return shared;
}

void reload_keys(line_record* r, uint32_t count, uint32_t depth, const unsigned char* text) {
  for (uint32_t i = 0; i < count; ++i) {
    if (i + prefetch_distance < count) {
      __builtin_prefetch(text + r[i + prefetch_distance].offset + depth);
    }
    r[i].key = load_key(text, r[i], depth);
  }
}

// A range of keys that are entirely equal: with a tie text, ordered by it.
void finish_equal_range(line_record* r, uint32_t count, const unsigned char* tie_text) {
  if (tie_text == nullptr || count < 2) {
    return;
  }
  reload_keys(r, count, 0, tie_text);
  radix_sort(r, count, tie_text, nullptr);
}

// Permutes the range into 256 buckets by the byte at `shift` of the key word (American flag
// sort, in place), and returns each bucket's size in `sizes`.
void bucket_by_byte(line_record* r, uint32_t count, int shift, uint32_t sizes[256]) {
  std::memset(sizes, 0, 256 * sizeof sizes[0]);
  for (uint32_t i = 0; i < count; ++i) {
    ++sizes[(r[i].key >> shift) & 0xFF];
  }
  uint32_t next[256];
  uint32_t ends[256];
  uint32_t position = 0;
  for (int b = 0; b < 256; ++b) {
    next[b] = position;
    position += sizes[b];
    ends[b] = position;
  }
  for (int b = 0; b < 256; ++b) {
    while (next[b] < ends[b]) {
      line_record moving = r[next[b]];
      unsigned byte = (moving.key >> shift) & 0xFF;
      while (byte != static_cast<unsigned>(b)) {
        line_record displaced = r[next[byte]];
        r[next[byte]++] = moving;
        moving = displaced;
        byte = (moving.key >> shift) & 0xFF;
      }
      r[next[b]++] = moving;
    }
  }
}

}  // namespace

uint64_t load_key(const unsigned char* text, const line_record& record, uint32_t depth) {
  if (record.length <= depth) {
    return 0;
  }
  uint32_t remaining = record.length - depth;
  const unsigned char* p = text + record.offset + depth;
  if (remaining >= 8) {
    return big_endian_word(p);
  }
  uint64_t word = 0;
  for (uint32_t i = 0; i < remaining; ++i) {
    word |= static_cast<uint64_t>(p[i]) << (56 - 8 * i);
  }
  return word;
}

void radix_sort(line_record* records, uint32_t count, const unsigned char* text,
                const unsigned char* tie_text) {
  std::vector<sort_task> stack;
  stack.push_back({0, count, 0});
  while (!stack.empty()) {
    sort_task task = stack.back();
    stack.pop_back();
    line_record* r = records + task.begin;
    for (;;) {
      if (task.count < small_range) {
        insertion_sort(r, task.count, task.depth, text, tie_text);
        break;
      }
      uint64_t first = r[0].key;
      uint64_t differing = 0;
      for (uint32_t i = 1; i < task.count; ++i) {
        differing |= r[i].key ^ first;
      }
      if (differing == 0) {
        if ((first & 0xFF) == 0) {
          // Every key ends inside this word: all are equal.
          finish_equal_range(r, task.count, tie_text);
          break;
        }
        task.depth += 8;
        task.depth += shared_prefix(r, task.count, task.depth, text);
        reload_keys(r, task.count, task.depth, text);
        continue;
      }
      int shift = 56 - (__builtin_clzll(differing) / 8) * 8;
      uint32_t sizes[256];
      bucket_by_byte(r, task.count, shift, sizes);
      uint32_t begin = task.begin;
      for (int b = 0; b < 256; ++b) {
        uint32_t size = sizes[b];
        if (size > 1) {
          if (b == 0) {
            // Keys ending at this byte: equal in all their bytes.
            finish_equal_range(records + begin, size, tie_text);
          } else {
            stack.push_back({begin, size, task.depth});
          }
        }
        begin += size;
      }
      break;
    }
  }
}
