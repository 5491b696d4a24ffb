#include "core/page_memory.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVRO_PLAIN_BLOCKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KAVRO_PLAIN_BLOCKS 1
#endif

#if defined(__linux__)
#include <sys/mman.h>
#define KAVRO_PAGE_MAPPINGS 1
#endif

namespace kavro::page_memory {

#if !KAVRO_PLAIN_BLOCKS
namespace {

constexpr std::size_t kHuge = std::size_t(2) << 20;
// Blocks held for reuse beyond this are returned to the system: enough for
// the buffers of the largest trace analysis the benchmarks run, without
// keeping a whole session's high-water mark for ever.
constexpr std::size_t kMaxCached = std::size_t(3) << 30;

std::size_t round_up(std::size_t n, std::size_t step) {
    if (n > SIZE_MAX - step) throw std::bad_alloc();
    return (n + step - 1) / step * step;
}

// The huge-page advice is given only with KAVRO_HUGE_PAGES=1 in the
// environment. On the virtual machines this program is measured on, a huge
// page the kernel has to clear from fresh memory costs more than the 512
// small pages it replaces: load and analysis of the 1 GB benchmark trace
// took 2 s more CPU with the advice (bench/README.md). Where huge pages come
// cheap, the mappings are ready for them.
bool advise_huge_pages() {
    static const bool on = [] {
        const char* v = std::getenv("KAVRO_HUGE_PAGES");
        return v && v[0] == '1' && v[1] == 0;
    }();
    return on;
}

// A fresh mapping of `bytes` (a multiple of kHuge) aligned to kHuge, so the
// kernel can back it with huge pages from its first byte on. Fresh anonymous
// pages read as zero.
char* map_fresh(std::size_t bytes) {
#if KAVRO_PAGE_MAPPINGS
    void* raw = ::mmap(nullptr, bytes + kHuge, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* base = static_cast<char*>(raw);
    const auto addr = reinterpret_cast<std::uintptr_t>(base);
    const std::size_t head = (kHuge - addr % kHuge) % kHuge;
    if (head > 0) ::munmap(base, head);
    const std::size_t tail = kHuge - head;
    if (tail > 0) ::munmap(base + head + bytes, tail);
    char* block = base + head;
#ifdef MADV_HUGEPAGE
    // Advice only: where huge pages are off, the mapping works as it is.
    if (advise_huge_pages()) ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
#else
    return static_cast<char*>(::operator new(bytes, std::align_val_t(kHuge)));
#endif
}

void unmap(char* block, std::size_t bytes) {
#if KAVRO_PAGE_MAPPINGS
    ::munmap(block, bytes);
#else
    ::operator delete(block, std::align_val_t(kHuge));
    (void)bytes;
#endif
}

class Pool {
public:
    char* take(std::size_t& bytes, bool zero) {
        bytes = round_up(bytes, kHuge);
        {
            std::lock_guard lock(mutex_);
            const auto found = free_.find(bytes);
            if (found != free_.end() && !found->second.empty()) {
                char* block = found->second.back();
                found->second.pop_back();
                cached_ -= bytes;
                if (zero) std::memset(block, 0, bytes);
                return block;
            }
        }
        return map_fresh(bytes);
    }

    void give_back(char* block, std::size_t bytes) noexcept {
        {
            std::lock_guard lock(mutex_);
            if (cached_ + bytes <= kMaxCached) {
                try {
                    free_[bytes].push_back(block);
                    cached_ += bytes;
                    return;
                } catch (...) {
                    // No room to list it: it goes back to the system below.
                }
            }
        }
        unmap(block, bytes);
    }

    std::size_t cached() {
        std::lock_guard lock(mutex_);
        return cached_;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::size_t, std::vector<char*>> free_;
    std::size_t cached_ = 0;
};

// Never destroyed: tables that outlive the end of main (statics) still give
// their blocks back to it.
Pool& pool() {
    static Pool* p = new Pool;
    return *p;
}

} // namespace
#endif

namespace {
std::atomic<void (*)()> take_check{nullptr};

void check_take() {
    if (auto* check = take_check.load(std::memory_order_relaxed)) check();
}

#if !KAVRO_PLAIN_BLOCKS
// Whether a block of this size is one of the pool's mappings. Under the
// address sanitizer there is no pool: every block is a heap block of its own
// and goes back at once, so a read past a block or after its release is
// reported, which neither mappings nor reuse would let it see.
bool mapped(std::size_t bytes) {
    return bytes >= kHuge;
}
#endif

} // namespace

char* take(std::size_t& bytes) {
    check_take();
    if (bytes == 0) bytes = 1;
#if !KAVRO_PLAIN_BLOCKS
    if (mapped(bytes)) return pool().take(bytes, false);
#endif
    return static_cast<char*>(::operator new(bytes));
}

char* take_zeroed(std::size_t& bytes) {
    check_take();
    if (bytes == 0) bytes = 1;
#if !KAVRO_PLAIN_BLOCKS
    if (mapped(bytes)) return pool().take(bytes, true);
#endif
    char* block = static_cast<char*>(::operator new(bytes));
    std::memset(block, 0, bytes);
    return block;
}

void give_back(char* block, std::size_t bytes) {
    if (!block) return;
#if !KAVRO_PLAIN_BLOCKS
    if (mapped(bytes)) {
        pool().give_back(block, bytes);
        return;
    }
#else
    (void)bytes;
#endif
    ::operator delete(block);
}

void set_take_check(void (*check)()) {
    take_check.store(check, std::memory_order_relaxed);
}

std::size_t cached_bytes() {
#if KAVRO_PLAIN_BLOCKS
    return 0;
#else
    return pool().cached();
#endif
}

} // namespace kavro::page_memory
