#pragma once

#include <cstdint>

#include "core/app.h"

namespace nyamo {

// Load, lay out and fill the settings dialog, show it and return at once.
void ShowSettings(App& app);

// The open dialog's display changed its scale (it was moved to a monitor of
// another DPI): its size, fonts and control places follow the platform's new
// twips-per-pixel factor; the values, the selection and the texts stay.
void ScaleSettingsDialog(App& app);

// OK (index 0) copies the controls into the settings and saves them, telling
// the user when the file could not be written; every index then unloads the
// dialog.
void CloseSettings(App& app, const std::int16_t& index);

// Set Width, Height, Left and Top of a control of the dialog, in this order.
void PlaceControl(App& app, Control control, const std::int32_t& width, const std::int32_t& height,
                  const std::int32_t& left, const std::int32_t& top);

// The integer part of fx / 15 x 10: 10 points at 96 dots per inch.
float DialogFontSize(std::int32_t fx);

// Handlers of the settings dialog.
void But_Click(App& app, std::int16_t index);
void HScroll1_Change(App& app, std::int16_t index);

}  // namespace nyamo
