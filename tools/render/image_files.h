#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/common/software_blitter.h"

namespace nyamo::render {

bool WritePng(const std::string& path, const PixelBuffer& frame);

// An animated GIF written frame by frame with giflib.
class GifWriter {
public:
    GifWriter(const std::string& path, std::int32_t width, std::int32_t height, std::int32_t delay_ms);
    ~GifWriter();
    bool ok() const { return file_ != nullptr && ok_; }
    void Add(const PixelBuffer& frame);
    bool Close();

private:
    void* file_ = nullptr;  // GifFileType
    std::int32_t width_, height_, delay_cs_;
    bool ok_ = true;
};

}  // namespace nyamo::render
