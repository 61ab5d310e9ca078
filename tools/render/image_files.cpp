#include "tools/render/image_files.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace nyamo::render {

namespace {

std::vector<std::uint8_t> Rgb(const PixelBuffer& frame) {
    std::vector<std::uint8_t> rgb(frame.pixels.size() * 3);
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        const std::uint32_t p = frame.pixels[i];
        rgb[3 * i] = static_cast<std::uint8_t>(p >> 16);
        rgb[3 * i + 1] = static_cast<std::uint8_t>(p >> 8);
        rgb[3 * i + 2] = static_cast<std::uint8_t>(p);
    }
    return rgb;
}

GifFileType* Gif(void* file) { return static_cast<GifFileType*>(file); }

}  // namespace

bool WritePng(const std::string& path, const PixelBuffer& frame) {
    const std::vector<std::uint8_t> rgb = Rgb(frame);
    return stbi_write_png(path.c_str(), frame.width, frame.height, 3, rgb.data(), frame.width * 3) != 0;
}

GifWriter::GifWriter(const std::string& path, std::int32_t width, std::int32_t height, std::int32_t delay_ms)
    : width_(width), height_(height), delay_cs_(std::max(2, (delay_ms + 5) / 10)) {
    // giflib would create the file readable by its owner alone; open it
    // ourselves so that it gets the usual permissions, as the PNG does.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return;
    int error = 0;
    GifFileType* gif = EGifOpenFileHandle(fd, &error);
    if (gif == nullptr) {
        close(fd);
        return;
    }
    file_ = gif;
    EGifSetGifVersion(gif, true);
    ok_ = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK;
    // Loop for ever.
    static const GifByteType kNetscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoop[] = {1, 0, 0};
    ok_ = ok_ && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
          EGifPutExtensionBlock(gif, sizeof kNetscape, kNetscape) == GIF_OK &&
          EGifPutExtensionBlock(gif, sizeof kLoop, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

GifWriter::~GifWriter() {
    if (file_ != nullptr) Close();
}

void GifWriter::Add(const PixelBuffer& frame) {
    if (!ok()) return;
    const std::size_t count = frame.pixels.size();
    std::vector<GifByteType> indices(count);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    // Frames over black use few colours: index them exactly. Others are
    // reduced to 256 colours with giflib's median cut.
    std::unordered_map<std::uint32_t, GifByteType> exact;
    bool fits = true;
    for (std::size_t i = 0; i < count && fits; ++i) {
        const std::uint32_t p = frame.pixels[i] & 0x00FFFFFFu;
        auto [it, added] = exact.try_emplace(p, static_cast<GifByteType>(exact.size()));
        if (added && exact.size() > 256) fits = false;
        indices[i] = it->second;
    }
    if (fits) {
        for (const auto& [p, index] : exact)
            map->Colors[index] = GifColorType{static_cast<GifByteType>(p >> 16), static_cast<GifByteType>(p >> 8),
                                              static_cast<GifByteType>(p)};
    } else {
        std::vector<GifByteType> r(count), g(count), b(count);
        for (std::size_t i = 0; i < count; ++i) {
            r[i] = static_cast<GifByteType>(frame.pixels[i] >> 16);
            g[i] = static_cast<GifByteType>(frame.pixels[i] >> 8);
            b[i] = static_cast<GifByteType>(frame.pixels[i]);
        }
        int size = 256;
        ok_ = GifQuantizeBuffer(static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height), &size,
                                r.data(), g.data(), b.data(), indices.data(), map->Colors) == GIF_OK;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delay_cs_;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    GifFileType* gif = Gif(file_);
    ok_ = ok_ && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK &&
          EGifPutImageDesc(gif, 0, 0, width_, height_, false, map) == GIF_OK;
    for (std::int32_t y = 0; ok_ && y < height_; ++y)
        ok_ = EGifPutLine(gif, indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_), width_) ==
              GIF_OK;
    GifFreeMapObject(map);
}

bool GifWriter::Close() {
    if (file_ == nullptr) return false;
    int error = 0;
    ok_ = EGifCloseFile(Gif(file_), &error) == GIF_OK && ok_;
    file_ = nullptr;
    return ok_;
}

}  // namespace nyamo::render
