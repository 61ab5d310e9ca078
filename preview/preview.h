#pragma once

#include <string_view>

#include "core/app.h"

namespace nyamo {

// The preview window's caption: never shown, and not one the one-saver guard
// looks for.
inline constexpr std::string_view kPreviewCaption = "Form2";

// Load the preview window, make it a child of host and call StartPreview.
// False, with no window left, when the host went before the preview could be
// placed in it: nothing would ever end a preview that has no host.
bool PreviewSetUp(App& app, WindowHandle host);

// Cover the host window with the sample picture of the chosen background.
// ScrW and ScrH hold the host's size in twips.
void StartPreview(App& app);

// The sample picture's size in pixels for a host size in twips.
float PreviewImageSize(std::int32_t twips, float twips_per_pixel);

}  // namespace nyamo
