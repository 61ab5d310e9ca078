// What each of a window's shared buffers holds, for a window system where
// the program draws into a buffer, hands it to the display server, and may
// not write it again until the server gives it back (Wayland's wl_shm). No
// system call and no window-system call here: the Wayland buffers
// (platform/wayland/wayland_buffers.cpp) make the calls this plans.
//
// The frame is drawn in one buffer at a time, the drawing buffer. Once a
// frame is drawn in it, it takes what it lacks from the buffer handed over
// last, which holds the picture as it stood, but for the rectangles just
// drawn (a kitten's box of the last frame is mostly drawn again in this
// one); the rectangles drawn are what every other buffer lacks from then
// on, and what the next hand-over damages. A hand-over waits while the
// server is behind (the last frame callback has not come back); the frame
// then goes on being drawn in the same buffer, and goes with the next
// hand-over.
//
// Rectangles are kept in lists of a fixed capacity; a list that fills up is
// joined into fewer boxes (never into one box for the whole screen unless
// the rectangles cover it). Nothing here allocates after construction (a
// catch-up of more than kPreparedPieces pieces would grow its list once).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"
#include "platform/common/push_groups.h"

namespace nyamo {

// Rectangles up to a fixed count.
class RectList {
public:
    static constexpr std::size_t kCapacity = PushGrouping::kPreparedRects;
    RectList() { rects_.reserve(kCapacity); }
    // False when the list is full and the rectangle was not added.
    bool Add(const Rect& rect);
    void Clear() { rects_.clear(); }
    // In place of what it holds, these rectangles (at most kCapacity).
    void Replace(std::span<const Rect> rects);
    bool empty() const { return rects_.empty(); }
    std::span<const Rect> rects() const { return rects_; }

private:
    std::vector<Rect> rects_;
};

class BufferLedger {
public:
    static constexpr std::size_t kBuffers = 2;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // Takes its working memory: a catch-up of up to kPreparedPieces pieces
    // allocates nothing (a kitten's old box less its new one is 2 pieces).
    BufferLedger();
    static constexpr std::size_t kPreparedPieces = 4 * RectList::kCapacity;
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
    // server does not hold, which must take TakeCatchUp() from source() once
    // the frame is drawn. kNone when the server holds every buffer.
    std::size_t Draw();
    // Whether Draw has a buffer to give.
    bool CanDraw() const;
    std::size_t drawing() const { return drawing_; }
    // The buffer that holds the picture as it stands (the last handed over).
    std::size_t source() const { return shown_; }
    // What the drawing buffer must copy from source() after the rectangles
    // drawn were drawn in it whole (empty once taken, or when it lacks
    // nothing): what it lacks, joined where that copies no extra pixel, in
    // chunks (so never one box for scattered rectangles), less the drawn
    // rectangles. Valid until the next call; marks the buffer complete.
    std::span<const Rect> TakeCatchUp(std::span<const Rect> drawn);
    // The drawing buffer changed in these rectangles (cut to the buffer).
    void Drawn(std::span<const Rect> areas);

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
    // Appends to pieces_ what of box no rectangle of cut covers.
    void AppendUncovered(const Rect& box, std::span<const Rect> cut);

    std::array<Buffer, kBuffers> buffers_{};
    std::size_t count_ = 0;
    std::int32_t width_ = 0, height_ = 0;
    std::size_t drawing_ = kNone;
    std::size_t shown_ = kNone;
    RectList fresh_;  // drawn since the last hand-over
    bool waiting_ = false;
    std::uint64_t handed_at_ = 0;
    PushGrouping copies_, damage_, compact_;
    std::vector<Rect> pieces_, left_, next_;  // the catch-up, less what was drawn
};

}  // namespace nyamo
