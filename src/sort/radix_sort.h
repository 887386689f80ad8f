// The fast sort step: an MSD radix sort of line records on cached 8-byte key prefixes.
#pragma once

#include <cstdint>

// One line's key: its bytes from `offset` in a text, `length` of them (no NUL among them), and
// the big-endian word of the 8 bytes at the depth being sorted, zero past the key's end.
struct line_record {
  uint64_t key;
  uint32_t offset;
  uint32_t length;
};

// The cached word of `record` at `depth` bytes into its key in `text`.
uint64_t load_key(const unsigned char* text, const line_record& record, uint32_t depth);

// How keys compare: byte for byte; with 'a' to 'z' taken for 'A' to 'Z'; or so, and keys equal
// that way then byte for byte.
enum class key_case { exact, folded, folded_then_exact };

// Sorts `count` records (their keys loaded at depth 0, as they are in `text`) ascending by
// unsigned bytes, a prefix first, or when `descending` in the reverse of that order, each byte
// folded as `cases` says while it is read: the text itself is never changed. Records of equal
// keys keep the order of their offsets (the input's order) either way. False when its work
// space cannot be had; the records are then all there, in some order, and their key words are
// no longer loaded.
bool radix_sort(line_record* records, uint32_t count, const unsigned char* text, key_case cases,
                bool descending);

// The radix sort's way with input in order but for a few late records (logs): records in
// ascending order but for at most one in sixteen are sorted, those set aside and merged back,
// and true returned; with more, false, the records all there in another order.
bool merge_late_records(line_record* records, uint32_t count, const unsigned char* text,
                        key_case cases);
