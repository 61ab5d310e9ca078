// The ways to an output's picture tried in order, the shared wl_shm buffer
// they copy into.
#include "platform/wayland/output_capture.h"

#include <sys/mman.h>
#include <unistd.h>

namespace nyamo::wayland {

bool ReadableShmFormat(std::uint32_t format, bool& red_first) {
    red_first = format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
    return red_first || format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888;
}

bool ShmPicture::Allocate(wl_shm* shm, std::int32_t width, std::int32_t height, std::int32_t stride,
                          std::uint32_t format) {
    if (width <= 0 || height <= 0 || stride < width * 4) return false;
    size_ = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    fd_ = memfd_create("nyamo-desktop", MFD_CLOEXEC);
    if (fd_ < 0 || ftruncate(fd_, static_cast<off_t>(size_)) != 0) return false;
    void* memory = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (memory == MAP_FAILED) return false;
    memory_ = memory;
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd_, static_cast<std::int32_t>(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    return true;
}

ShmPicture::~ShmPicture() {
    if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
    if (memory_ != nullptr) munmap(memory_, size_);
    if (fd_ >= 0) close(fd_);
}

std::string CaptureOutput(const OutputSurface& output, PixelSpan dst, std::int32_t width, std::int32_t height) {
    using Way = CaptureOutcome (*)(const OutputSurface&, PixelSpan, std::int32_t, std::int32_t, std::string&);
    for (const Way way : {&CaptureWithExtImageCopy, &CaptureWithWlrScreencopy, &CaptureWithKWinScreenShot}) {
        std::string why;
        switch (way(output, dst, width, height, why)) {
            case CaptureOutcome::Taken: return {};
            case CaptureOutcome::Failed: return why;
            case CaptureOutcome::NotOffered: break;
        }
    }
    return "the compositor offers no picture of its outputs (no ext-image-copy-capture, wlr-screencopy or KWin "
           "screenshot interface)";
}

}  // namespace nyamo::wayland
