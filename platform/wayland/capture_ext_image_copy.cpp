// An output's picture through ext-image-copy-capture-v1: a capture source
// made from the wl_output, a session that names the buffer size and the
// wl_shm formats it takes, one frame copied into a buffer of ours.
#include "ext-image-capture-source-v1-client.h"
#include "ext-image-copy-capture-v1-client.h"
#include "platform/wayland/output_capture.h"
#include "platform/wayland/wayland_dispatch.h"

namespace nyamo::wayland {

namespace {

struct ImageCopy {
    std::int32_t width = 0, height = 0;
    std::uint32_t format = 0;
    bool format_found = false;
    bool red_first = false;
    bool described = false;  // the session's done
    bool stopped = false;
    std::int32_t transform = 0;
    bool ready = false;
    bool failed = false;
};

void OnBufferSize(void* data, ext_image_copy_capture_session_v1*, std::uint32_t width, std::uint32_t height) {
    auto* c = static_cast<ImageCopy*>(data);
    c->width = static_cast<std::int32_t>(width);
    c->height = static_cast<std::int32_t>(height);
}
void OnShmFormat(void* data, ext_image_copy_capture_session_v1*, std::uint32_t format) {
    auto* c = static_cast<ImageCopy*>(data);
    bool red_first = false;
    // The first readable one offered; a blue-first one is taken over a red-first.
    if (ReadableShmFormat(format, red_first) && (!c->format_found || (c->red_first && !red_first))) {
        c->format = format;
        c->red_first = red_first;
        c->format_found = true;
    }
}
void OnDmabufDevice(void*, ext_image_copy_capture_session_v1*, wl_array*) {}
void OnDmabufFormat(void*, ext_image_copy_capture_session_v1*, std::uint32_t, wl_array*) {}
void OnDone(void* data, ext_image_copy_capture_session_v1*) { static_cast<ImageCopy*>(data)->described = true; }
void OnStopped(void* data, ext_image_copy_capture_session_v1*) { static_cast<ImageCopy*>(data)->stopped = true; }
constexpr ext_image_copy_capture_session_v1_listener kSessionListener{
    &OnBufferSize, &OnShmFormat, &OnDmabufDevice, &OnDmabufFormat, &OnDone, &OnStopped};

// How the buffer is turned from the output as it shows (an output's own transform).
void OnTransform(void* data, ext_image_copy_capture_frame_v1*, std::uint32_t transform) {
    static_cast<ImageCopy*>(data)->transform = static_cast<std::int32_t>(transform);
}
void OnDamage(void*, ext_image_copy_capture_frame_v1*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OnPresentationTime(void*, ext_image_copy_capture_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnReady(void* data, ext_image_copy_capture_frame_v1*) { static_cast<ImageCopy*>(data)->ready = true; }
void OnFailed(void* data, ext_image_copy_capture_frame_v1*, std::uint32_t) {
    static_cast<ImageCopy*>(data)->failed = true;
}
constexpr ext_image_copy_capture_frame_v1_listener kFrameListener{&OnTransform, &OnDamage, &OnPresentationTime,
                                                                  &OnReady, &OnFailed};

}  // namespace

CaptureOutcome CaptureWithExtImageCopy(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                       std::int32_t height, std::string& why) {
    if (output.image_copy == nullptr || output.output_sources == nullptr) return CaptureOutcome::NotOffered;
    ImageCopy capture;
    ext_image_capture_source_v1* source =
        ext_output_image_capture_source_manager_v1_create_source(output.output_sources, output.output);
    ext_image_copy_capture_session_v1* session =
        ext_image_copy_capture_manager_v1_create_session(output.image_copy, source, 0);  // without the pointer
    ext_image_copy_capture_session_v1_add_listener(session, &kSessionListener, &capture);
    bool taken = false;
    ShmPicture memory;
    if (DispatchUntil(output.display, [&] { return capture.described || capture.stopped; }, kCaptureWaitMs) &&
        !capture.stopped && capture.format_found &&
        memory.Allocate(output.shm, capture.width, capture.height, capture.width * 4, capture.format)) {
        ext_image_copy_capture_frame_v1* frame = ext_image_copy_capture_session_v1_create_frame(session);
        ext_image_copy_capture_frame_v1_add_listener(frame, &kFrameListener, &capture);
        ext_image_copy_capture_frame_v1_attach_buffer(frame, memory.buffer());
        ext_image_copy_capture_frame_v1_damage_buffer(frame, 0, 0, capture.width, capture.height);
        ext_image_copy_capture_frame_v1_capture(frame);
        taken = DispatchUntil(output.display, [&] { return capture.ready || capture.failed || capture.stopped; },
                              kCaptureWaitMs) &&
                capture.ready;
        if (taken) {
            RawPicture picture;
            picture.bytes = memory.bytes();
            picture.width = capture.width;
            picture.height = capture.height;
            picture.stride = capture.width * 4;
            picture.red_first = capture.red_first;
            why = PlaceOutputPicture(picture, capture.transform, dst, width, height);
        }
        ext_image_copy_capture_frame_v1_destroy(frame);
    }
    ext_image_copy_capture_session_v1_destroy(session);
    ext_image_capture_source_v1_destroy(source);
    if (!taken) why = "the compositor gave no picture of the output (ext-image-copy-capture)";
    return taken && why.empty() ? CaptureOutcome::Taken : CaptureOutcome::Failed;
}

}  // namespace nyamo::wayland
