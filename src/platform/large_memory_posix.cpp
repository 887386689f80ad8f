// Large blocks on Linux: a mapping of their own, in ordinary pages. Huge pages made a warm run
// about 9% faster but a cold one (after other work handed its memory back to the host) 40 to
// 60% slower, as the kernel compacts memory to find them; a user's run is usually cold.
#include <sys/mman.h>

#include <new>

#include "platform/large_memory.h"

namespace {

// Small blocks are not worth a mapping of their own.
constexpr size_t smallest_mapped = size_t{4} << 20;

}  // namespace

void* allocate_large(size_t size) {
  if (size < smallest_mapped) {
    return ::operator new(size, std::nothrow);
  }
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void release_large(void* block, size_t size) {
  if (block == nullptr) {
    return;
  }
  if (size < smallest_mapped) {
    ::operator delete(block);
    return;
  }
  munmap(block, size);
}
