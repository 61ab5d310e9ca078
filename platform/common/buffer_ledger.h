// What each of a window's shared buffers holds, for a window system where
// the program draws into a buffer, hands it to the display server, and may
// not write it again until the server gives it back (Wayland's wl_shm). No
// system call and no window-system call here: the Wayland buffers
// (platform/wayland/wayland_buffers.cpp) make the calls this plans.
//
// The frame is drawn in one buffer at a time, the drawing buffer. Before it
// is drawn in, it takes what it lacks from the buffer handed over last,
// which holds the picture as it stands; the rectangles then drawn are what
// every other buffer lacks from then on, and what the next hand-over
// damages. A hand-over waits while the server is behind (the last frame
// callback has not come back); the frame then goes on being drawn in the
// same buffer, and goes with the next hand-over.
//
// Rectangles are kept in lists of a fixed capacity; a list that fills up is
// joined into fewer boxes (never into one box for the whole screen unless
// the rectangles cover it). Nothing here allocates after construction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"
#include "platform/common/push_groups.h"

namespace nyamo {

// Rectangles up to a fixed count, or the whole buffer.
class RectList {
public:
    static constexpr std::size_t kCapacity = PushGrouping::kPreparedRects;
    RectList() { rects_.reserve(kCapacity); }
    // False when the list is full and the rectangle was not added.
    bool Add(const Rect& rect);
    void AddAll() { all_ = true; rects_.clear(); }
    void Clear() { all_ = false; rects_.clear(); }
    // In place of what it holds, these rectangles (at most kCapacity).
    void Replace(std::span<const Rect> rects);
    bool empty() const { return !all_ && rects_.empty(); }
    bool all() const { return all_; }
    std::span<const Rect> rects() const { return rects_; }

private:
    std::vector<Rect> rects_;
    bool all_ = false;
};

class BufferLedger {
public:
    static constexpr std::size_t kBuffers = 2;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // The most boxes one hand-over damages, the rectangles joined where that
    // damages the fewest extra pixels. sway 1.7 pays for each box and for
    // every pixel it covers; 3 to 6 boxes cost it least at 1080p and 4K, 1
    // and 8 or more about twice as much; sway 1.10 costs the same from 1 to
    // 128 (docs/performance.md).
    static constexpr std::size_t kMostDamageBoxes = 4;

    // New black width x height buffers, as a frame starts (none when 0 x
    // 0); none held, none drawing, the server not behind.
    void Reset(std::int32_t width, std::int32_t height);
    std::size_t buffers() const { return count_; }

    // The buffer to draw the frame in: the drawing one, or else a buffer the
    // server does not hold, which must first take catch_up() from source().
    // kNone when the server holds every buffer.
    std::size_t Draw();
    // Whether Draw has a buffer to give.
    bool CanDraw() const;
    std::size_t drawing() const { return drawing_; }
    // The buffer that holds the picture as it stands (the last handed over).
    std::size_t source() const { return shown_; }
    // What the drawing buffer must copy from source() before it is drawn in
    // (empty once taken, or when it lacks nothing): joined where that copies
    // no extra pixel, in chunks, so never one box for scattered rectangles.
    // Valid until the next call; marks the drawing buffer complete.
    std::span<const Rect> TakeCatchUp();
    // The drawing buffer changed in these rectangles (cut to the buffer).
    void Drawn(std::span<const Rect> areas);
    void DrawnAll();

    // Whether a hand-over may go now: something drawn, and the server not behind.
    bool CanHandOver() const;
    // Hands the drawing buffer over at time now (any clock, in ns): it is
    // held from now on and waits for the server's frame callback. The
    // answer is the boxes to damage (at most kMostDamageBoxes), valid until
    // the next call.
    std::span<const Rect> HandOver(std::uint64_t now);
    // The server gave a buffer back; the server caught up (frame callback).
    void Released(std::size_t buffer);
    void FrameDone() { waiting_ = false; }
    bool held(std::size_t buffer) const { return buffer < count_ && buffers_[buffer].held; }
    // What a buffer lacks of the picture as it stands.
    const RectList& lacks(std::size_t buffer) const { return buffers_[buffer].lacks; }
    // Whether the server has been behind for at least `after` ns at time now:
    // a frame callback that does not come back means nobody sees the window.
    bool Waited(std::uint64_t now, std::uint64_t after) const { return waiting_ && now - handed_at_ >= after; }

private:
    struct Buffer {
        bool held = false;  // handed over and not given back
        RectList lacks;
    };
    void Note(RectList& list, const Rect& rect);
    Rect Clip(const Rect& r) const;

    std::array<Buffer, kBuffers> buffers_{};
    std::size_t count_ = 0;
    std::int32_t width_ = 0, height_ = 0;
    std::size_t drawing_ = kNone;
    std::size_t shown_ = kNone;
    RectList fresh_;  // drawn since the last hand-over
    Rect whole_{};    // the one box of a whole buffer
    bool waiting_ = false;
    std::uint64_t handed_at_ = 0;
    PushGrouping copies_, damage_, compact_;
};

}  // namespace nyamo
