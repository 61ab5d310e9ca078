#include "assets/pictures.h"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace nyamo {

Picture DecodePicture(std::span<const std::uint8_t> file) {
    Picture picture;
    if (file.size() > static_cast<std::size_t>(INT_MAX)) return picture;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4);
    if (rgba == nullptr) return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const stbi_uc* px = rgba + 4 * i;
        const std::uint32_t alpha = channels == 4 || channels == 2 ? px[3] : 0;
        picture.pixels[i] = (alpha << 24) | (std::uint32_t{px[0]} << 16) | (std::uint32_t{px[1]} << 8) | px[2];
    }
    stbi_image_free(rgba);
    return picture;
}

}  // namespace nyamo
