// The wl_shm buffers of one output's surface, which are also the saver's
// frame: the core draws each frame straight into a buffer the compositor
// does not hold, and that buffer then takes what else it lacks from the one
// shown last (BufferLedger keeps the account; this file makes the calls). A
// hand-over (attach, a few damage boxes, frame callback, commit) waits while
// the compositor is behind; the frame then goes with the next release or
// frame event (Retry). While the compositor holds both buffers there is
// nothing to draw in: the program's loop holds the output's tick back until
// one comes back (CanDraw). Nothing here allocates after Allocate.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <span>

#include "base/geometry.h"
#include "platform/common/buffer_ledger.h"
#include "platform/common/software_blitter.h"

namespace nyamo::wayland {

class OutputBuffers {
public:
    OutputBuffers() = default;
    ~OutputBuffers();
    OutputBuffers(const OutputBuffers&) = delete;
    OutputBuffers& operator=(const OutputBuffers&) = delete;

    // Two black width x height XRGB8888 buffers; false (and a line on
    // stderr) when the memory cannot be had.
    bool Allocate(wl_shm* shm, std::int32_t width, std::int32_t height);
    void Release();
    bool allocated() const { return ledger_.buffers() > 0 && buffers_[0].buffer != nullptr; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::size_t count() const { return ledger_.buffers(); }
    PixelSpan pixels(std::size_t buffer) const;

    // The buffer to draw the frame in, which holds the picture as it stands
    // once the frame is drawn and Damage told; BufferLedger::kNone while
    // the compositor holds both.
    std::size_t Draw() { return allocated() ? ledger_.Draw() : BufferLedger::kNone; }
    bool CanDraw() const { return ledger_.CanDraw(); }
    // The frame was drawn anew in these rectangles, whole: the buffer drawn
    // in takes the rest of what it lacks; nothing is sent yet.
    void Damage(std::span<const Rect> areas);
    // Hand the frame drawn over, if the compositor is not behind. True when
    // a commit went out.
    bool Flush(wl_surface* surface);
    // The compositor has sent no frame event for the last commit for this
    // long: the surface cannot be seen (output off, covered).
    bool Unseen() const;

    // A buffer came back or the compositor caught up since the last call.
    bool TakeRetry() {
        const bool retry = retry_;
        retry_ = false;
        return retry;
    }

private:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::uint32_t* pixels = nullptr;
    };
    bool MakeBuffer(Buffer& b);
    static void OnRelease(void* data, wl_buffer* buffer);
    static void OnFrameDone(void* data, wl_callback* callback, std::uint32_t time);

    wl_shm* shm_ = nullptr;
    std::array<Buffer, BufferLedger::kBuffers> buffers_{};
    std::int32_t width_ = 0, height_ = 0;
    BufferLedger ledger_;
    wl_callback* frame_callback_ = nullptr;
    bool retry_ = false;
};

}  // namespace nyamo::wayland
