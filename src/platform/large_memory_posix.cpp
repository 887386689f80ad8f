// Large blocks on Linux: mmap, aligned to huge pages and advised to use them.
#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/large_memory.h"

namespace {

constexpr size_t huge_page = size_t{2} << 20;
// Small blocks are not worth a mapping of their own.
constexpr size_t smallest_mapped = size_t{4} << 20;

size_t round_up(size_t size, size_t unit) {
  return (size + unit - 1) / unit * unit;
}

}  // namespace

void* allocate_large(size_t size) {
  if (size < smallest_mapped) {
    return ::operator new(size, std::nothrow);
  }
  size_t mapped = round_up(size, huge_page) + huge_page;
  void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) {
    return nullptr;
  }
  // Trim the mapping to a huge-page-aligned block of whole huge pages.
  uintptr_t start = reinterpret_cast<uintptr_t>(region);
  uintptr_t aligned = round_up(start, huge_page);
  size_t length = round_up(size, huge_page);
  if (aligned > start) {
    munmap(region, aligned - start);
  }
  size_t tail = start + mapped - (aligned + length);
  if (tail > 0) {
    munmap(reinterpret_cast<void*>(aligned + length), tail);
  }
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void advise_huge_pages(void* region, size_t size) {
  uintptr_t start = round_up(reinterpret_cast<uintptr_t>(region), huge_page);
  uintptr_t end = (reinterpret_cast<uintptr_t>(region) + size) / huge_page * huge_page;
  if (end > start) {
    madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
}

void release_large(void* block, size_t size) {
  if (block == nullptr) {
    return;
  }
  if (size < smallest_mapped) {
    ::operator delete(block);
    return;
  }
  munmap(block, round_up(size, huge_page));
}
