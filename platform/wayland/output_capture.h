// The picture of one output, taken before the saver's surface shows, in
// the first of three ways the session offers:
// - ext-image-copy-capture-v1 (with an output image capture source), which
//   newer compositors offer (sway 1.11 and later; COSMIC offers nothing else);
// - wlr-screencopy-unstable-v1 (sway, labwc and the other wlroots ones);
// - KWin's screenshot interface on the session bus (org.kde.KWin.ScreenShot2),
//   which KWin opens to a program that an installed .desktop file names.
// Each way hands a RawPicture to PlaceOutputPicture (output_picture.h), which
// turns it as the output shows and converts it into the core's BGRX
// surface. Start-up only: every way waits for the compositor.
#pragma once

#include <cstdint>
#include <string>

#include "platform/common/surface_table.h"
#include "platform/wayland/output_picture.h"
#include "platform/wayland/wayland_platform.h"

namespace nyamo::wayland {

// What one way gave. NotOffered passes on to the next way; Failed ends the
// search with its reason in the why argument.
enum class CaptureOutcome { Taken, NotOffered, Failed };

CaptureOutcome CaptureWithExtImageCopy(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                       std::int32_t height, std::string& why);
CaptureOutcome CaptureWithWlrScreencopy(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                        std::int32_t height, std::string& why);
CaptureOutcome CaptureWithKWinScreenShot(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                         std::int32_t height, std::string& why);

// A wl_shm buffer in a memfd of its own, for a compositor to copy into.
class ShmPicture {
public:
    ShmPicture() = default;
    ~ShmPicture();
    ShmPicture(const ShmPicture&) = delete;
    ShmPicture& operator=(const ShmPicture&) = delete;
    bool Allocate(wl_shm* shm, std::int32_t width, std::int32_t height, std::int32_t stride, std::uint32_t format);
    wl_buffer* buffer() const { return buffer_; }
    const std::uint8_t* bytes() const { return static_cast<const std::uint8_t*>(memory_); }

private:
    int fd_ = -1;
    void* memory_ = nullptr;
    std::size_t size_ = 0;
    wl_buffer* buffer_ = nullptr;
};

// Whether a wl_shm format is one PlaceOutputPicture reads, and in which byte order.
bool ReadableShmFormat(std::uint32_t format, bool& red_first);

// How long the compositor may take to hand over an output's picture.
constexpr int kCaptureWaitMs = 3000;

}  // namespace nyamo::wayland

namespace nyamo::wayland {

// The output's picture into dst, the first way offered. Empty when it was
// taken; otherwise why not, for the one line that says the kittens walk
// over black.
std::string CaptureOutput(const OutputSurface& output, PixelSpan dst, std::int32_t width, std::int32_t height);

}  // namespace nyamo::wayland
