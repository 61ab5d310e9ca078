#include "assets/embedded.h"

#include <cstddef>

namespace nyamo::embedded {
extern const std::uint8_t sheet0_png[];
extern const std::size_t sheet0_png_size;
extern const std::uint8_t sheet1_png[];
extern const std::size_t sheet1_png_size;
extern const std::uint8_t preview_desktop_png[];
extern const std::size_t preview_desktop_png_size;
extern const std::uint8_t preview_blank_png[];
extern const std::size_t preview_blank_png_size;
extern const std::uint8_t icon_png[];
extern const std::size_t icon_png_size;
}  // namespace nyamo::embedded

namespace nyamo {

std::span<const std::uint8_t> SpriteSheetPng(int sheet) {
    using namespace embedded;
    return sheet == 0 ? std::span(sheet0_png, sheet0_png_size) : std::span(sheet1_png, sheet1_png_size);
}

std::span<const std::uint8_t> PreviewPng(int sample) {
    using namespace embedded;
    return sample == 0 ? std::span(preview_desktop_png, preview_desktop_png_size)
                       : std::span(preview_blank_png, preview_blank_png_size);
}

std::span<const std::uint8_t> IconPng() { return std::span(embedded::icon_png, embedded::icon_png_size); }

}  // namespace nyamo
