// Large blocks for the text, spare and sort buffers: on Linux aligned to 2 MiB and backed by
// transparent huge pages, so that filling them does not fault on every 4 KiB page.
#pragma once

#include <cstddef>

// A block of `size` bytes (contents undefined), or null.
void* allocate_large(size_t size);

// Releases a block from allocate_large.
void release_large(void* block, size_t size);

// Asks for huge pages under an existing region (the static line table), where the platform has
// them; the region's contents are untouched.
void advise_huge_pages(void* region, size_t size);
