// MSD radix sort of line records.
//
// Each range is bucketed by one byte of the cached key word (the byte after the ones its keys
// are known to share, or, when the range looks like one bucket, the first byte in which its
// words differ); a range whose words are all equal has its words reloaded 8 bytes deeper. Keys
// that end inside the word are complete, so their bucket is finished. Small ranges are ordered
// by ranking their words, or by an insertion sort when two words are equal. The records are 16
// bytes, so each pass streams through memory instead of chasing pointers into the text.
//
// Equal keys end in input order: a record's offset is its place in the text, and wherever keys
// are found equal their records are put in the order of their offsets. A descending sort is the
// ascending one read backwards run by run, each run of equal keys kept forwards: each record's
// key word is left saying whether it equals the one before.
#include "sort/radix_sort.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "sort/byte_search.h"
#include "sort/case_fold.h"

namespace {

constexpr uint32_t small_range = 32;
// Records ahead whose line bytes are fetched early when a range's keys are reloaded.
constexpr uint32_t prefetch_distance = 16;

// Ranges up to this many records are bucketed through a scratch array instead of in place.
constexpr uint32_t scratch_capacity = uint32_t{1} << 17;

// A range of records whose keys agree in every byte before the one at `shift` in their words at
// `depth`; a shift below 0 means the whole word agrees.
struct sort_task {
  uint32_t begin;
  uint32_t count;
  uint32_t depth;
  int shift;
};

// The ranges still to sort: a stack that says when it cannot grow instead of throwing.
class task_stack {
 public:
  task_stack() = default;
  task_stack(const task_stack&) = delete;
  task_stack& operator=(const task_stack&) = delete;
  ~task_stack() { std::free(tasks_); }

  bool push(const sort_task& task) {
    if (size_ == capacity_) {
      size_t capacity = capacity_ == 0 ? 256 : 2 * capacity_;
      void* grown = std::realloc(tasks_, capacity * sizeof(sort_task));
      if (grown == nullptr) {
        return false;
      }
      tasks_ = static_cast<sort_task*>(grown);
      capacity_ = capacity;
    }
    tasks_[size_++] = task;
    return true;
  }
  bool empty() const { return size_ == 0; }
  sort_task pop() { return tasks_[--size_]; }

 private:
  sort_task* tasks_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// What a finished record's key word says: whether its key equals the one before it.
constexpr uint64_t unlike_the_one_before = 0;
constexpr uint64_t like_the_one_before = 1;

// A scratch array for the ranges up to scratch_capacity records, made when the first of them
// comes; without it (no memory) they are worked on in place.
class scratch_space {
 public:
  explicit scratch_space(uint32_t count)
      : wanted_(count < scratch_capacity ? count : scratch_capacity) {}
  // Room for `count` records, or null.
  line_record* room_for(uint32_t count) {
    if (count > wanted_) {
      return nullptr;
    }
    if (!tried_) {
      tried_ = true;
      records_.reset(new (std::nothrow) line_record[wanted_]);
    }
    return records_.get();
  }

 private:
  std::unique_ptr<line_record[]> records_;
  uint32_t wanted_;
  bool tried_ = false;
};

// Records of equal keys in input order: by their offsets, eleven bits a pass through the
// scratch array where there is room (a comparison sort would cost a mispredicted branch a
// compare), else by comparison.
void order_by_offset(line_record* r, uint32_t count, scratch_space& scratch) {
  uint32_t i = 1;
  while (i < count && r[i - 1].offset < r[i].offset) {
    ++i;
  }
  if (i == count) {
    return;
  }
  constexpr uint32_t bits = 11;
  constexpr uint32_t buckets = uint32_t{1} << bits;
  line_record* spare = count >= 64 ? scratch.room_for(count) : nullptr;
  if (spare == nullptr) {
    std::sort(r, r + count,
              [](const line_record& a, const line_record& b) { return a.offset < b.offset; });
    return;
  }
  uint32_t low = r[0].offset;
  uint32_t high = r[0].offset;
  for (uint32_t j = 1; j < count; ++j) {
    low = r[j].offset < low ? r[j].offset : low;
    high = r[j].offset > high ? r[j].offset : high;
  }
  line_record* from = r;
  line_record* to = spare;
  uint32_t sizes[buckets];
  for (uint32_t shift = 0; shift < 32 && ((high - low) >> shift) != 0; shift += bits) {
    std::memset(sizes, 0, sizeof sizes);
    for (uint32_t j = 0; j < count; ++j) {
      ++sizes[((from[j].offset - low) >> shift) & (buckets - 1)];
    }
    uint32_t position = 0;
    for (uint32_t b = 0; b < buckets; ++b) {
      uint32_t size = sizes[b];
      sizes[b] = position;
      position += size;
    }
    for (uint32_t j = 0; j < count; ++j) {
      to[sizes[((from[j].offset - low) >> shift) & (buckets - 1)]++] = from[j];
    }
    std::swap(from, to);
  }
  if (from != r) {
    std::memcpy(r, from, count * sizeof r[0]);
  }
}

// Marks a run of equal keys: the first unlike what comes before it, the rest alike.
void mark_equal_run(line_record* r, uint32_t count) {
  r[0].key = unlike_the_one_before;
  for (uint32_t i = 1; i < count; ++i) {
    r[i].key = like_the_one_before;
  }
}

inline uint64_t big_endian_word(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// The big-endian word at `p`, folded when `Fold`.
template <bool Fold>
inline uint64_t key_word(const unsigned char* p) {
  uint64_t word = big_endian_word(p);
  return Fold ? fold_word(word) : word;
}

template <bool Fold>
uint64_t load_key_as(const unsigned char* text, const line_record& record, uint32_t depth) {
  uint64_t word = load_key(text, record, depth);
  return Fold ? fold_word(word) : word;
}

// How many of the first `limit` bytes at `a` and `b` are equal, eight at a time.
template <bool Fold>
uint32_t common_bytes(const unsigned char* a, const unsigned char* b, uint32_t limit) {
  uint32_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t differing = key_word<Fold>(a + n) ^ key_word<Fold>(b + n);
    if (differing != 0) {
      return n + static_cast<uint32_t>(__builtin_clzll(differing) / 8);
    }
  }
  while (n < limit && (Fold ? fold_byte(a[n]) == fold_byte(b[n]) : a[n] == b[n])) {
    ++n;
  }
  return n;
}

// Unsigned byte order of two keys from `depth` on, whose words at `depth` are equal.
template <bool Fold>
int compare_tails(const unsigned char* text, const line_record& a, const line_record& b,
                  uint32_t depth) {
  uint32_t from = depth + 8;
  if (a.length < from || b.length < from) {
    // Equal words with a key ending inside them: both end at the same byte.
    return 0;
  }
  uint32_t common = (a.length < b.length ? a.length : b.length) - from;
  const unsigned char* p = text + a.offset + from;
  const unsigned char* q = text + b.offset + from;
  uint32_t same = common_bytes<Fold>(p, q, common);
  if (same < common) {
    return (Fold ? fold_byte(p[same]) < fold_byte(q[same]) : p[same] < q[same]) ? -1 : 1;
  }
  return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

template <bool Fold>
int compare_records(const unsigned char* text, bool tie_break, const line_record& a,
                    const line_record& b, uint32_t depth) {
  if (a.key != b.key) {
    return a.key < b.key ? -1 : 1;
  }
  int c = compare_tails<Fold>(text, a, b, depth);
  if (c == 0 && tie_break) {
    // Equal keys have equal lengths.
    c = std::memcmp(text + a.offset, text + b.offset, a.length);
  }
  return c;
}

// Orders a small range whose key words all differ by counting, for each record, the words
// below its own: no branch depends on the keys. Returns false, changing nothing, when two words
// are equal.
bool rank_distinct_words(line_record* r, uint32_t count) {
  static_assert(small_range < 64, "a rank is a bit of one word");
  uint32_t rank[small_range];
  uint64_t keys[small_range];
  for (uint32_t i = 0; i < count; ++i) {
    keys[i] = r[i].key;
  }
  uint64_t seen = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t below = 0;
    for (uint32_t j = 0; j < count; ++j) {
      below += keys[j] < keys[i] ? 1u : 0u;
    }
    rank[i] = below;
    seen |= uint64_t{1} << below;
  }
  if (seen != (uint64_t{1} << count) - 1) {
    return false;
  }
  line_record sorted[small_range];
  for (uint32_t i = 0; i < count; ++i) {
    sorted[rank[i]] = r[i];
  }
  std::memcpy(r, sorted, count * sizeof r[0]);
  return true;
}

// A small range, ordered with the records of equal keys by offset; with `mark`, each key word is
// then left saying whether its key equals the one before.
template <bool Fold>
void insertion_sort(line_record* r, uint32_t count, uint32_t depth, const unsigned char* text,
                    bool tie_break, bool mark) {
  if (rank_distinct_words(r, count)) {
    if (mark) {
      for (uint32_t i = 0; i < count; ++i) {
        r[i].key = unlike_the_one_before;
      }
    }
    return;
  }
  bool equal_after[small_range] = {};  // whether r[i] equals r[i + 1]
  for (uint32_t i = 1; i < count; ++i) {
    line_record moving = r[i];
    uint32_t j = i;
    for (; j > 0; --j) {
      int c = compare_records<Fold>(text, tie_break, moving, r[j - 1], depth);
      if (c > 0 || (c == 0 && moving.offset > r[j - 1].offset)) {
        break;
      }
      r[j] = r[j - 1];
    }
    r[j] = moving;
  }
  if (!mark) {
    return;
  }
  for (uint32_t i = 0; i + 1 < count; ++i) {
    equal_after[i] = compare_records<Fold>(text, tie_break, r[i], r[i + 1], depth) == 0;
  }
  r[0].key = unlike_the_one_before;
  for (uint32_t i = 1; i < count; ++i) {
    r[i].key = equal_after[i - 1] ? like_the_one_before : unlike_the_one_before;
  }
}

// Finds how many bytes from `from` on every key of the range shares with the first, and loads
// every key word past them; returns that count. One pass over the lines (long shared prefixes
// would otherwise cost a pass every 8 bytes): each word is loaded past the bytes shared so far,
// and only the records before the count last dropped are loaded again.
template <bool Fold>
uint32_t skip_shared_prefix(line_record* r, uint32_t count, uint32_t from,
                            const unsigned char* text) {
  const unsigned char* first = text + r[0].offset + from;
  uint32_t shared = r[0].length > from ? r[0].length - from : 0;
  uint32_t stale = 1;  // records [0, stale) were loaded at a deeper byte than the final one
  for (uint32_t i = 1; i < count; ++i) {
    if (i + prefetch_distance < count) {
      // The compare reads on from `from`: its second cache line is usually wanted too.
      __builtin_prefetch(text + r[i + prefetch_distance].offset + from);
      __builtin_prefetch(text + r[i + prefetch_distance].offset + from + 64);
    }
    uint32_t length = r[i].length > from ? r[i].length - from : 0;
    uint32_t limit = length < shared ? length : shared;
    uint32_t n = common_bytes<Fold>(first, text + r[i].offset + from, limit);
    if (n < shared) {
      shared = n;
      stale = i;
    }
    r[i].key = load_key_as<Fold>(text, r[i], from + shared);
  }
  for (uint32_t i = 0; i < stale; ++i) {
    r[i].key = load_key_as<Fold>(text, r[i], from + shared);
  }
  return shared;
}

// One bit for each of the 64 bytes from `depth` on of the record's key, the first byte's the
// highest: set where the byte is 'a' to 'z'.
uint64_t lower_case_bits(const unsigned char* text, const line_record& record, uint32_t depth) {
  uint64_t bits = 0;
  for (uint32_t at = 0; at < 64 && depth + at < record.length; at += 8) {
    // The first byte's bit the highest: the word is big-endian, its first byte the lowest bit.
    uint64_t byte_bits = gather_highs(lower_case_highs(load_key(text, record, depth + at)));
    bits |= byte_bits << (56 - at);
  }
  return bits;
}

// A range of keys that are entirely equal (folded): put in input order, and with the tie-break
// ordered as they are. Such keys differ only in the case of their letters, and where they first
// differ the one in upper case comes first: so they are in the order of their bits of lower
// case, taken 64 bytes at a time. False when its work space cannot be had.
bool finish_equal_range(line_record* records, uint32_t count, const unsigned char* text,
                        bool tie_break, bool mark, scratch_space& scratch) {
  if (!tie_break || count < 2) {
    order_by_offset(records, count, scratch);
    if (mark) {
      mark_equal_run(records, count);
    }
    return true;
  }
  // Equal keys have equal lengths.
  uint32_t length = records[0].length;
  task_stack stack;
  if (!stack.push({0, count, 0, 0})) {
    return false;
  }
  while (!stack.empty()) {
    sort_task task = stack.pop();
    line_record* r = records + task.begin;
    // Duplicate lines are common: a range of copies of one line is done in one pass.
    const unsigned char* first = text + r[0].offset + task.depth;
    uint32_t copies = 1;
    while (copies < task.count &&
           std::memcmp(first, text + r[copies].offset + task.depth, length - task.depth) == 0) {
      ++copies;
    }
    if (copies == task.count) {
      order_by_offset(r, task.count, scratch);
      if (mark) {
        mark_equal_run(r, task.count);
      }
      continue;
    }
    for (uint32_t i = 0; i < task.count; ++i) {
      if (i + prefetch_distance < task.count) {
        __builtin_prefetch(text + r[i + prefetch_distance].offset + task.depth);
      }
      r[i].key = lower_case_bits(text, r[i], task.depth);
    }
    std::sort(r, r + task.count, [](const line_record& a, const line_record& b) {
      return a.key < b.key || (a.key == b.key && a.offset < b.offset);
    });
    uint32_t next_depth = task.depth + 64;
    // Runs of the same bits are the same lines once the keys end, else told apart further on.
    for (uint32_t i = 0; i < task.count;) {
      uint32_t j = i + 1;
      while (j < task.count && r[j].key == r[i].key) {
        ++j;
      }
      if (j - i > 1 && next_depth < length) {
        if (!stack.push({task.begin + i, j - i, next_depth, 0})) {
          return false;
        }
      } else if (mark) {
        mark_equal_run(r + i, j - i);
      }
      i = j;
    }
  }
  return true;
}

// The bytes a range's records were counted by: only buckets `low` to `high` can hold any, so
// ranges of few distinct bytes (letters, digits, case variants) skip the other buckets' loops.
struct byte_span {
  unsigned low;
  unsigned high;
};

// Counts the range's records by the byte at `shift` of their key words.
byte_span count_bytes(const line_record* r, uint32_t count, int shift, uint32_t sizes[256]) {
  std::memset(sizes, 0, 256 * sizeof sizes[0]);
  unsigned low = 255;
  unsigned high = 0;
  for (uint32_t i = 0; i < count; ++i) {
    unsigned byte = (r[i].key >> shift) & 0xFF;
    ++sizes[byte];
    low = byte < low ? byte : low;
    high = byte > high ? byte : high;
  }
  return {low, high};
}

// Permutes the range into buckets of the counted `sizes` by the byte at `shift` of the key word:
// through `scratch` when it is given (a pass without dependent steps), else in place (American
// flag sort, each record moved once).
void bucket_by_byte(line_record* r, uint32_t count, int shift, const uint32_t sizes[256],
                    byte_span bytes, line_record* scratch) {
  uint32_t next[256];
  uint32_t position = 0;
  for (unsigned b = bytes.low; b <= bytes.high; ++b) {
    next[b] = position;
    position += sizes[b];
  }
  if (scratch != nullptr) {
    for (uint32_t i = 0; i < count; ++i) {
      scratch[next[(r[i].key >> shift) & 0xFF]++] = r[i];
    }
    std::memcpy(r, scratch, count * sizeof r[0]);
    return;
  }
  uint32_t ends[256];
  for (unsigned b = bytes.low; b <= bytes.high; ++b) {
    ends[b] = next[b] + sizes[b];
  }
  for (unsigned b = bytes.low; b <= bytes.high; ++b) {
    while (next[b] < ends[b]) {
      line_record moving = r[next[b]];
      unsigned byte = (moving.key >> shift) & 0xFF;
      while (byte != b) {
        // Each bucket is filled front to back: its records a few ahead are fetched now, as
        // no hardware prefetcher follows 256 streams.
        __builtin_prefetch(
            reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(r + next[byte]) + 64));
        line_record displaced = r[next[byte]];
        r[next[byte]++] = moving;
        moving = displaced;
        byte = (moving.key >> shift) & 0xFF;
      }
      r[next[b]++] = moving;
    }
  }
}

// The shift of the first byte in which some key word of the range differs from the first, or
// -8 when all the words are equal.
int first_differing_shift(const line_record* r, uint32_t count) {
  uint64_t first = r[0].key;
  uint64_t differing = 0;
  for (uint32_t i = 1; i < count; ++i) {
    differing |= r[i].key ^ first;
  }
  if (differing == 0) {
    return -8;
  }
  return 56 - (__builtin_clzll(differing) / 8) * 8;
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

namespace {

// Leaves each record's key word saying whether its key equals the one before, for records in
// order whose words are loaded at depth 0 (read from the back, so no word is needed once
// overwritten).
template <bool Fold>
void mark_equal_neighbours(line_record* r, uint32_t count, const unsigned char* text,
                           bool tie_break) {
  for (uint32_t i = count - 1; i > 0; --i) {
    bool equal = compare_records<Fold>(text, tie_break, r[i - 1], r[i], 0) == 0;
    r[i].key = equal ? like_the_one_before : unlike_the_one_before;
  }
  r[0].key = unlike_the_one_before;
}

// Whether the records are in descending order (they are then turned round, runs of equal keys
// kept in input order): reverse-sorted files are common, and one pass through them in text
// order costs a fraction of the sort. Other input costs the pass up to its first pair in
// ascending order, which most reach at once.
template <bool Fold>
bool reverse_if_descending(line_record* r, uint32_t count, const unsigned char* text,
                           bool tie_break) {
  uint32_t i = 1;
  bool equal_neighbours = false;
  for (; i < count; ++i) {
    int c = compare_records<Fold>(text, tie_break, r[i - 1], r[i], 0);
    if (c < 0) {
      break;
    }
    equal_neighbours = equal_neighbours || c == 0;
  }
  if (i < count) {
    return false;
  }
  std::reverse(r, r + count);
  for (uint32_t start = 0; equal_neighbours && start < count;) {
    uint32_t end = start + 1;
    while (end < count && compare_records<Fold>(text, tie_break, r[start], r[end], 0) == 0) {
      ++end;
    }
    std::reverse(r + start, r + end);
    start = end;
  }
  return true;
}

template <bool Fold>
bool radix_sort_as(line_record* records, uint32_t count, const unsigned char* text, bool tie_break,
                   bool mark);

// How many of the records `r[0..end)`, in order, are greater than `x`, found from the back by
// galloping: a late record's place is near the end of what is left to merge.
template <bool Fold>
uint32_t count_greater(const line_record* r, uint32_t end, const line_record& x,
                       const unsigned char* text, bool tie_break) {
  uint32_t low = 0;  // r[end - low, end) are greater
  uint32_t step = 1;
  while (step <= end && compare_records<Fold>(text, tie_break, r[end - step], x, 0) > 0) {
    low = step;
    step *= 2;
  }
  // r[end - step] is not greater, or step is past the start.
  uint32_t high = step <= end ? step : end + 1;
  while (high - low > 1) {
    uint32_t middle = low + (high - low) / 2;
    if (compare_records<Fold>(text, tie_break, r[end - middle], x, 0) > 0) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

// Input in order (sorted files), or in order but for a few records that came late (log files):
// the late ones are set aside as they are met, sorted on their own and merged back, instead of
// sorting everything. Returns false when more than one record in late_share is late, with the
// records in another order (all there); it stops as soon as that is known, so random lines cost
// a few records' compares.
template <bool Fold>
bool merge_late_records(line_record* r, uint32_t count, const unsigned char* text, bool tie_break) {
  constexpr uint32_t late_share = 16;
  uint32_t most_late = count / late_share;
  std::unique_ptr<line_record[]> aside(new (std::nothrow) line_record[most_late + 1]);
  if (aside == nullptr) {
    return false;
  }
  // The records in order close up at the front; the late ones go aside.
  uint32_t kept = 1;
  uint32_t late = 0;
  for (uint32_t i = 1; i < count; ++i) {
    if (compare_records<Fold>(text, tie_break, r[kept - 1], r[i], 0) <= 0) {
      r[kept++] = r[i];
      continue;
    }
    aside[late++] = r[i];
    if (late > most_late) {
      // Too many: they go back into the room they left, and the sort takes all.
      std::memcpy(r + kept, aside.get(), late * sizeof r[0]);
      return false;
    }
  }
  if (late == 0) {
    return true;
  }
  if (!radix_sort_as<Fold>(aside.get(), late, text, tie_break, false)) {
    for (uint32_t j = 0; j < late; ++j) {
      aside[j].key = load_key_as<Fold>(text, aside[j], 0);
    }
    std::memcpy(r + kept, aside.get(), late * sizeof r[0]);
    return false;
  }
  // The sort left their key words at other depths; the merge compares from the start.
  for (uint32_t j = 0; j < late; ++j) {
    aside[j].key = load_key_as<Fold>(text, aside[j], 0);
  }
  // Merged from the back, into the room the late records left: the records in order that are
  // greater than each late one move back as one block. Those equal to it came before it in the
  // input, and stay before it.
  uint32_t end = kept;
  uint32_t out = count;
  for (uint32_t j = late; j > 0; --j) {
    uint32_t greater = count_greater<Fold>(r, end, aside[j - 1], text, tie_break);
    out -= greater;
    end -= greater;
    std::memmove(r + out, r + end, greater * sizeof r[0]);
    r[--out] = aside[j - 1];
  }
  return true;
}

// Sorts records whose key words are loaded at depth 0 (folded when `Fold`), equal keys in input
// order; with `mark`, each key word is left saying whether its key equals the one before. False
// when the work space cannot be had: the records are then all there, in some order.
template <bool Fold>
bool radix_sort_as(line_record* records, uint32_t count, const unsigned char* text, bool tie_break,
                   bool mark) {
  if (count < 2) {
    if (mark && count == 1) {
      records[0].key = unlike_the_one_before;
    }
    return true;
  }
  if (reverse_if_descending<Fold>(records, count, text, tie_break) ||
      merge_late_records<Fold>(records, count, text, tie_break)) {
    if (mark) {
      // The checks and the merge leave every word at depth 0.
      mark_equal_neighbours<Fold>(records, count, text, tie_break);
    }
    return true;
  }
  scratch_space scratch(count);
  task_stack stack;
  if (!stack.push({0, count, 0, 56})) {
    return false;
  }
  uint32_t sizes[256];
  while (!stack.empty()) {
    sort_task task = stack.pop();
    line_record* r = records + task.begin;
    for (;;) {
      if (task.count < small_range) {
        insertion_sort<Fold>(r, task.count, task.depth, text, tie_break, mark);
        break;
      }
      if (task.shift < 0) {
        // The words agree and go on: load the next ones, past every byte the keys share.
        task.depth += 8;
        task.depth += skip_shared_prefix<Fold>(r, task.count, task.depth, text);
        task.shift = 56;
      }
      unsigned first_byte = (r[0].key >> task.shift) & 0xFF;
      if (first_byte == ((r[task.count / 2].key >> task.shift) & 0xFF) &&
          first_byte == ((r[task.count - 1].key >> task.shift) & 0xFF)) {
        // Likely one bucket: go straight to the first byte where the words differ.
        task.shift = first_differing_shift(r, task.count);
        if (task.shift < 0) {
          if ((r[0].key & 0xFF) == 0) {
            // Every key ends inside this word: all are equal.
            if (!finish_equal_range(r, task.count, text, tie_break, mark, scratch)) {
              return false;
            }
            break;
          }
          continue;
        }
      }
      byte_span bytes = count_bytes(r, task.count, task.shift, sizes);
      bucket_by_byte(r, task.count, task.shift, sizes, bytes, scratch.room_for(task.count));
      uint32_t begin = task.begin;
      for (unsigned b = bytes.low; b <= bytes.high; ++b) {
        uint32_t size = sizes[b];
        if (size == 1 && mark) {
          records[begin].key = unlike_the_one_before;
        } else if (size > 1 && b == 0) {
          // Keys ending before this byte: equal in all their bytes.
          if (!finish_equal_range(records + begin, size, text, tie_break, mark, scratch)) {
            return false;
          }
        } else if (size > 1 && !stack.push({begin, size, task.depth, task.shift - 8})) {
          return false;
        }
        begin += size;
      }
      break;
    }
  }
  return true;
}

// Turns records in ascending order, each key word saying whether its key equals the one before,
// into descending order with each run of equal keys still in input order.
void reverse_runs(line_record* r, uint32_t count) {
  std::reverse(r, r + count);
  // Reversed, a run ends at the record that was its first: the one unlike the one before.
  for (uint32_t start = 0; start < count;) {
    uint32_t end = start;
    while (r[end].key == like_the_one_before) {
      ++end;
    }
    std::reverse(r + start, r + end + 1);
    start = end + 1;
  }
}

}  // namespace

bool merge_late_records(line_record* records, uint32_t count, const unsigned char* text,
                        key_case cases) {
  if (cases == key_case::exact) {
    return merge_late_records<false>(records, count, text, false);
  }
  for (uint32_t i = 0; i < count; ++i) {
    records[i].key = fold_word(records[i].key);
  }
  return merge_late_records<true>(records, count, text, cases == key_case::folded_then_exact);
}

bool radix_sort(line_record* records, uint32_t count, const unsigned char* text, key_case cases,
                bool descending) {
  bool sorted;
  if (cases == key_case::exact) {
    sorted = radix_sort_as<false>(records, count, text, false, descending);
  } else {
    for (uint32_t i = 0; i < count; ++i) {
      records[i].key = fold_word(records[i].key);
    }
    sorted =
        radix_sort_as<true>(records, count, text, cases == key_case::folded_then_exact, descending);
  }
  if (sorted && descending) {
    reverse_runs(records, count);
  }
  return sorted;
}
