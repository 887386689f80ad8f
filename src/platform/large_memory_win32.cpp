// Large blocks on Windows: committed virtual memory (large pages need a privilege we lack).
#include <windows.h>

#include "platform/large_memory.h"

void* allocate_large(size_t size) {
  return VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void release_large(void* block, size_t) {
  if (block != nullptr) {
    VirtualFree(block, 0, MEM_RELEASE);
  }
}
