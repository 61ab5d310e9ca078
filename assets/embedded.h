// The pictures carried inside the program, as the bytes of their files. The
// build generates the definitions from the files in this folder.
#pragma once

#include <cstdint>
#include <span>

namespace nyamo {

// Sprite sheet 0 (facing right) or 1 (facing left), PNG.
std::span<const std::uint8_t> SpriteSheetPng(int sheet);
// Preview sample 0 (desktop) or 1 (blank screen), PNG.
std::span<const std::uint8_t> PreviewPng(int sample);
// The program's icon, 32 x 32 with alpha, PNG.
std::span<const std::uint8_t> IconPng();

}  // namespace nyamo
