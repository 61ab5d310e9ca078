#include "platform/common/surface_memory.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdint>
#endif

namespace nyamo {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(__linux__)
std::size_t RoundUp(std::size_t bytes, std::size_t to) { return (bytes + to - 1) / to * to; }
#endif

// Whether memory of this size is 2 MB-aligned and asked for huge pages.
bool UsesHugePages(std::size_t bytes) {
#if defined(__linux__)
    return bytes >= kHugePage;
#else
    (void)bytes;
    return false;
#endif
}

}  // namespace

void* AllocateSurfaceMemory(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (!UsesHugePages(bytes)) return std::calloc(bytes, 1);
#if defined(__linux__)
    // Map one huge page more than needed and give back the unaligned ends,
    // so that every 2 MB of the buffer can be one huge page. A fresh
    // anonymous mapping reads as zeros.
    const std::size_t size = RoundUp(bytes, kHugePage);
    void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = RoundUp(start, kHugePage);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t tail = aligned + size;
    const std::uintptr_t end = start + size + kHugePage;
    if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
    // Only a hint: where the system gives no huge pages (setting "never",
    // or none free) the buffer is ordinary memory and works the same.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
#else
    return nullptr;
#endif
}

void FreeSurfaceMemory(void* memory, std::size_t bytes) noexcept {
    if (memory == nullptr) return;
    if (bytes == 0) bytes = 1;
    if (!UsesHugePages(bytes)) {
        std::free(memory);
        return;
    }
#if defined(__linux__)
    munmap(memory, RoundUp(bytes, kHugePage));
#endif
}

}  // namespace nyamo
