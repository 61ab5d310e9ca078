#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nyamo::render {

struct RenderOptions {
    std::int32_t width = 0;   // 0: the desktop picture's width, or 1024
    std::int32_t height = 0;  // 0: the desktop picture's height, or 768
    std::int32_t cats = 20;
    std::int32_t speed = 5;
    std::string desktop;      // a PNG; empty: blank (black) background
    std::uint64_t seed = 1;
    std::int32_t ticks = 300;
    std::string png;
    std::string gif;
    std::string trace;
    bool help = false;
};

// Parse argv; on a bad option the error text says what is wrong.
struct ParseResult {
    std::optional<RenderOptions> options;
    std::string error;
};
ParseResult ParseRenderOptions(const std::vector<std::string>& args);

extern const char* const kRenderHelp;

}  // namespace nyamo::render
