// An output's picture through zwlr_screencopy_manager_v1 (wlroots'
// compositors): the compositor offers a wl_shm format and size, we hand it
// a buffer of them, it copies the output in.
#include "platform/wayland/output_capture.h"
#include "platform/wayland/wayland_dispatch.h"
#include "wlr-screencopy-unstable-v1-client.h"

namespace nyamo::wayland {

namespace {

struct Screencopy {
    std::uint32_t format = 0;
    std::int32_t width = 0, height = 0, stride = 0;
    bool shm_offered = false;
    bool buffers_done = false;  // version 3: every offer made
    bool y_invert = false;
    bool ready = false;
    bool failed = false;
};

void OnBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width, std::uint32_t height,
              std::uint32_t stride) {
    auto* c = static_cast<Screencopy*>(data);
    c->format = format;
    c->width = static_cast<std::int32_t>(width);
    c->height = static_cast<std::int32_t>(height);
    c->stride = static_cast<std::int32_t>(stride);
    c->shm_offered = true;
}
void OnFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
    static_cast<Screencopy*>(data)->y_invert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void OnReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
    static_cast<Screencopy*>(data)->ready = true;
}
void OnFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Screencopy*>(data)->failed = true; }
void OnDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Screencopy*>(data)->buffers_done = true; }

constexpr zwlr_screencopy_frame_v1_listener kFrameListener{&OnBuffer,  &OnFlags,  &OnReady,     &OnFailed,
                                                           &OnDamage, &OnDmabuf, &OnBufferDone};

}  // namespace

CaptureOutcome CaptureWithWlrScreencopy(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                        std::int32_t height, std::string& why) {
    if (output.screencopy == nullptr) return CaptureOutcome::NotOffered;
    Screencopy capture;
    zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(output.screencopy, 0, output.output);
    zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &capture);
    const bool v3 = zwlr_screencopy_frame_v1_get_version(frame) >= 3;
    const bool offered = DispatchUntil(
        output.display, [&] { return capture.failed || (capture.shm_offered && (!v3 || capture.buffers_done)); },
        kCaptureWaitMs);
    RawPicture picture;
    ShmPicture memory;
    bool taken = false;
    if (offered && !capture.failed && ReadableShmFormat(capture.format, picture.red_first) &&
        memory.Allocate(output.shm, capture.width, capture.height, capture.stride, capture.format)) {
        zwlr_screencopy_frame_v1_copy(frame, memory.buffer());
        taken = DispatchUntil(output.display, [&] { return capture.ready || capture.failed; }, kCaptureWaitMs) &&
                capture.ready;
        if (taken) {
            picture.bytes = memory.bytes();
            picture.width = capture.width;
            picture.height = capture.height;
            picture.stride = capture.stride;
            picture.bottom_up = capture.y_invert;
            // The panel's own buffer, as it is scanned: turned here the way the output shows.
            why = PlaceOutputPicture(picture, output.transform, dst, width, height);
        }
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    if (!taken) why = "the compositor gave no picture of the output (wlr-screencopy)";
    return taken && why.empty() ? CaptureOutcome::Taken : CaptureOutcome::Failed;
}

}  // namespace nyamo::wayland
