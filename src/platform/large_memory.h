// Large blocks for the text, spare and sort buffers, whose pages are touched only as they are
// used.
#pragma once

#include <cstddef>

// A block of `size` bytes (contents undefined), or null.
void* allocate_large(size_t size);

// Releases a block from allocate_large.
void release_large(void* block, size_t size);
