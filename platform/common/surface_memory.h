// Memory for whole-screen surfaces. A damaged cell touches one short row in
// each of many pages of the frame and the background; in 4 KB pages every
// row is a TLB miss of its own, in 2 MB pages a whole band of rows shares one.
// On Linux, buffers of 2 MB and more are therefore mapped 2 MB-aligned and
// marked for transparent huge pages before they are first written (the
// system's setting "madvise" gives them only to memory that asks); elsewhere,
// and for smaller buffers, this is the ordinary heap.
#pragma once

#include <cstddef>
#include <memory>

namespace nyamo {

// At least `bytes` zero-filled bytes, or nullptr when there is no memory.
void* AllocateSurfaceMemory(std::size_t bytes);
// Give back what AllocateSurfaceMemory(bytes) returned, with the same `bytes`.
void FreeSurfaceMemory(void* memory, std::size_t bytes) noexcept;

// The allocator of a surface's pixel vector.
template <typename T>
struct SurfaceAllocator {
    using value_type = T;
    SurfaceAllocator() = default;
    template <typename U>
    SurfaceAllocator(const SurfaceAllocator<U>& /*other*/) noexcept {}

    T* allocate(std::size_t n) {
        void* memory = AllocateSurfaceMemory(n * sizeof(T));
        if (memory == nullptr) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t n) noexcept { FreeSurfaceMemory(memory, n * sizeof(T)); }

    template <typename U>
    bool operator==(const SurfaceAllocator<U>& /*other*/) const noexcept {
        return true;
    }
};

}  // namespace nyamo
