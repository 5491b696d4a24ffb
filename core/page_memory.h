#pragma once

// The memory behind the tables' large buffers (the text chunks and the row
// records of StringTable). On these machines a page touched for the first
// time costs far more than the work done on it, so two things matter more
// than the allocator's speed:
//
//  - blocks come from big mappings, aligned to 2 MiB, that the kernel can
//    back with huge pages (one fault per 2 MiB instead of one per 4 KiB)
//    when asked to: KAVRO_HUGE_PAGES=1 gives madvise(MADV_HUGEPAGE) where
//    the system has it (see page_memory.cpp for why it is not the default);
//  - a block given back is kept for the next taker of that size instead of
//    being returned to the system, so a second load or analysis works in
//    pages the first one already paid for.
//
// Blocks of 2 MiB and more (the loader's chunks, a table's larger text
// chunks) are mappings of their own, rounded up to 2 MiB, kept for reuse
// when given back. Smaller ones are ordinary heap blocks: the heap reuses
// them well, and they stay visible to the sanitizers and to the tests that
// make allocations fail. Safe to call from several threads.

#include <cstddef>

namespace kavro::page_memory {

// A block of at least `bytes` bytes; `bytes` is set to the size actually
// given, which the caller may use whole and must hand back. Its content is
// unspecified. Throws std::bad_alloc.
char* take(std::size_t& bytes);
// As take, every byte 0. Fresh pages are zero already, so only a reused
// block is cleared.
char* take_zeroed(std::size_t& bytes);
// Hands back a block from take or take_zeroed with the size they gave.
void give_back(char* block, std::size_t bytes);

// Bytes of blocks handed back and held for reuse, for tests and reports.
std::size_t cached_bytes();

// For the tests that run actions out of memory at each allocation in turn:
// a function called at the start of every take, whose std::bad_alloc fails
// that take as running out of memory would. Blocks reused from the pool
// make no heap allocation of their own that such a test could fail.
void set_take_check(void (*check)());

} // namespace kavro::page_memory
