#include "alloc_fail.h"

#include "core/page_memory.h"

#include <cstdlib>
#include <new>

namespace kavro::testing {
namespace {
// Per thread, so that gtest's and the system's own threads are left alone.
constinit thread_local bool t_counting = false;
constinit thread_local std::uint64_t t_count = 0;
constinit thread_local std::uint64_t t_fail_at = 0;
constinit thread_local bool t_failed = false;
} // namespace

void fail_allocation(std::uint64_t n) {
    t_count = 0;
    t_fail_at = n;
    t_failed = false;
    t_counting = true;
}

void stop_failing() {
    t_counting = false;
}

std::uint64_t allocations_counted() {
    return t_count;
}

bool allocation_failed() {
    return t_failed;
}

// The tables' big blocks come from a pool that may hand out a block without
// a heap allocation; each take counts as one here, and fails as one.
const bool g_pool_checked = [] {
    kavro::page_memory::set_take_check([] { ::operator delete(::operator new(1)); });
    return true;
}();

} // namespace kavro::testing

using namespace kavro::testing;

void* operator new(std::size_t size) {
    if (t_counting && ++t_count == t_fail_at) {
        t_failed = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return ::operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
