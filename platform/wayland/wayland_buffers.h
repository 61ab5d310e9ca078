// The two wl_shm buffers of one output's surface, and the rectangles each
// one still lacks. A buffer the compositor holds (attached, not yet
// released) is never written; a frame that finds both held, or the
// compositor still behind with the last one (its frame callback not yet
// done), waits, and its rectangles go up with the next frame that can.
// Nothing here allocates after Allocate: the rectangle lists have a fixed
// capacity, and a list that would overflow stands for the whole buffer.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"
#include "platform/common/push_groups.h"
#include "platform/common/software_blitter.h"

namespace nyamo::wayland {

// Rectangles up to a fixed count, or "all of it".
class RectList {
public:
    RectList() { rects_.reserve(kCapacity); }
    void Add(const Rect& rect);
    void AddAll() { all_ = true; rects_.clear(); }
    void Clear() { all_ = false; rects_.clear(); }
    bool empty() const { return !all_ && rects_.empty(); }
    bool all() const { return all_; }
    std::span<const Rect> rects() const { return rects_; }

private:
    // More than a tick of 99 kittens ever damages (two cells each, merged).
    static constexpr std::size_t kCapacity = 512;
    std::vector<Rect> rects_;
    bool all_ = false;
};

class OutputBuffers {
public:
    OutputBuffers() = default;
    ~OutputBuffers();
    OutputBuffers(const OutputBuffers&) = delete;
    OutputBuffers& operator=(const OutputBuffers&) = delete;

    // Two black width x height XRGB8888 buffers in one memfd; false (and a
    // line on stderr) when the memory cannot be had.
    bool Allocate(wl_shm* shm, std::int32_t width, std::int32_t height);
    void Release();
    bool allocated() const { return buffers_[0].buffer != nullptr; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    // The frame changed in these rectangles; nothing is sent yet.
    void Damage(std::span<const Rect> areas);
    // The whole frame is new.
    void DamageAll();
    // Send what changed in frame, if a buffer is free and the compositor is
    // not behind: the free buffer takes every rectangle it lacks from the
    // frame, and the commit damages the rectangles new since the last one.
    // True when a commit went out.
    bool Flush(wl_surface* surface, PixelView frame);

private:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::uint32_t* pixels = nullptr;
        bool held = false;  // attached and not yet released by the compositor
        RectList lacks;     // what the frame has and this buffer not
    };
    static void OnRelease(void* data, wl_buffer* buffer);
    static void OnFrameDone(void* data, wl_callback* callback, std::uint32_t time);

    std::array<Buffer, 2> buffers_{};
    void* memory_ = nullptr;
    std::size_t size_ = 0;
    std::int32_t width_ = 0, height_ = 0;
    RectList fresh_;  // damaged since the last commit
    PushGrouping grouping_;
    wl_callback* frame_callback_ = nullptr;
    // Set by the release and frame events: a frame held back may go now.
    bool retry_ = false;

public:
    // A buffer came back or the compositor caught up since the last Flush.
    bool TakeRetry() {
        const bool retry = retry_;
        retry_ = false;
        return retry;
    }
};

}  // namespace nyamo::wayland
