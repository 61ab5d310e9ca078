// An output's picture from KWin, which offers no Wayland way to it: its
// screenshot interface on the session bus, org.kde.KWin.ScreenShot2, asked
// through sd-bus (libsystemd, on every Debian system already). KWin answers
// only a program that an installed .desktop file lists the interface for
// (X-KDE-DBUS-Restricted-Interfaces; the package installs nyamo.desktop).
// The reply names the picture's size and layout, and KWin then writes its
// pixels into the pipe we handed over.
#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "platform/wayland/output_capture.h"

namespace nyamo::wayland {

namespace {

constexpr const char* kService = "org.kde.KWin.ScreenShot2";
constexpr const char* kPath = "/org/kde/KWin/ScreenShot2";

// What the reply says of the picture.
struct PictureLayout {
    std::uint32_t format = 0, width = 0, height = 0, stride = 0;
};

bool ReadLayout(sd_bus_message* reply, PictureLayout& layout) {
    if (sd_bus_message_enter_container(reply, 'a', "{sv}") < 0) return false;
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(reply, "s", &key) < 0) return false;
        std::uint32_t* field = std::strcmp(key, "format") == 0   ? &layout.format
                               : std::strcmp(key, "width") == 0  ? &layout.width
                               : std::strcmp(key, "height") == 0 ? &layout.height
                               : std::strcmp(key, "stride") == 0 ? &layout.stride
                                                                 : nullptr;
        const int read = field != nullptr ? sd_bus_message_read(reply, "v", "u", field) : sd_bus_message_skip(reply, "v");
        if (read < 0 || sd_bus_message_exit_container(reply) < 0) return false;
    }
    return sd_bus_message_exit_container(reply) >= 0;
}

// Qt's image formats (QImage::Format) that are 32-bit pixels we can read.
bool ReadableQtFormat(std::uint32_t format, bool& red_first) {
    constexpr std::uint32_t kRgb32 = 4, kArgb32 = 5, kArgb32Premultiplied = 6;
    constexpr std::uint32_t kRgbx8888 = 16, kRgba8888 = 17, kRgba8888Premultiplied = 18;
    red_first = format == kRgbx8888 || format == kRgba8888 || format == kRgba8888Premultiplied;
    return red_first || format == kRgb32 || format == kArgb32 || format == kArgb32Premultiplied;
}

// size bytes from the pipe, waiting at most kCaptureWaitMs in all.
bool ReadPipe(int fd, std::uint8_t* into, std::size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCaptureWaitMs);
    std::size_t got = 0;
    while (got < size) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd watch{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t n = read(fd, into + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

CaptureOutcome CaptureWithKWinScreenShot(const OutputSurface& output, PixelSpan dst, std::int32_t width,
                                         std::int32_t height, std::string& why) {
    // KWin names its outputs (wl_output version 4) as its interface does.
    if (output.name.empty()) return CaptureOutcome::NotOffered;
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return CaptureOutcome::NotOffered;  // no session bus: not KDE
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        sd_bus_unref(bus);
        return CaptureOutcome::NotOffered;
    }
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    CaptureOutcome outcome = CaptureOutcome::Failed;
    PictureLayout layout;
    // In device pixels, without the pointer; the message takes a copy of the pipe's end.
    int status = sd_bus_message_new_method_call(bus, &call, kService, kPath, kService, "CaptureScreen");
    if (status >= 0)
        status = sd_bus_message_append(call, "sa{sv}h", output.name.c_str(), 2, "native-resolution", "b", 1,
                                       "include-cursor", "b", 0, pipe_fds[1]);
    close(pipe_fds[1]);
    if (status >= 0) status = sd_bus_call(bus, call, std::uint64_t{kCaptureWaitMs} * 1000, &error, &reply);
    if (status < 0) {
        const bool absent = sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT);
        if (absent) {
            outcome = CaptureOutcome::NotOffered;
        } else if (sd_bus_error_has_name(&error, "org.kde.KWin.ScreenShot2.Error.NoAuthorized")) {
            why = "KWin refused its screenshot interface: no installed nyamo.desktop names this program (" +
                  std::string(error.message != nullptr ? error.message : "not authorized") + ")";
        } else {
            why = std::string("KWin gave no picture of output ") + output.name + ": " +
                  (error.message != nullptr ? error.message : std::strerror(-status));
        }
    } else if (!ReadLayout(reply, layout)) {
        why = "KWin's screenshot reply could not be read";
    } else {
        RawPicture picture;
        picture.width = static_cast<std::int32_t>(layout.width);
        picture.height = static_cast<std::int32_t>(layout.height);
        picture.stride = static_cast<std::int32_t>(layout.stride);
        std::vector<std::uint8_t> bytes;
        if (!ReadableQtFormat(layout.format, picture.red_first) || picture.width <= 0 || picture.height <= 0 ||
            picture.width > 1 << 15 || picture.height > 1 << 15 || picture.stride < picture.width * 4) {
            why = "KWin's screenshot is in a layout the saver does not read (format " + std::to_string(layout.format) +
                  ", " + std::to_string(layout.width) + "x" + std::to_string(layout.height) + ")";
        } else {
            bytes.resize(static_cast<std::size_t>(picture.stride) * static_cast<std::size_t>(picture.height));
            if (ReadPipe(pipe_fds[0], bytes.data(), bytes.size())) {
                picture.bytes = bytes.data();
                // KWin gives the output as it shows, already turned.
                why = PlaceOutputPicture(picture, 0, dst, width, height);
                outcome = why.empty() ? CaptureOutcome::Taken : CaptureOutcome::Failed;
            } else {
                why = "KWin's screenshot did not arrive whole";
            }
        }
    }
    close(pipe_fds[0]);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return outcome;
}

}  // namespace nyamo::wayland
