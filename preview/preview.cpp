#include "preview/preview.h"

#include "base/numbers.h"
#include "assets/embedded.h"
#include "assets/pictures.h"
#include "base/runtime_error.h"

namespace nyamo {

namespace {

// The preview of the run: Main sets one up only where the backend has one.
PreviewWindow& Preview(App& app) {
    if (app.platform.preview == nullptr) throw RunTimeError(ErrorCode::InvalidOperation);
    return *app.platform.preview;
}

}  // namespace

float PreviewImageSize(std::int32_t twips, float twips_per_pixel) {
    return static_cast<float>(CheckedDivide(twips, twips_per_pixel));
}

bool PreviewSetUp(App& app, WindowHandle host) {
    const Picture desktop = DecodePicture(PreviewPng(0));
    const Picture blank = DecodePicture(PreviewPng(1));
    PreviewWindow& preview = Preview(app);
    preview.LoadPreviewWindow(desktop.view(), blank.view());
    if (!preview.EmbedPreviewIn(host)) {
        preview.UnloadPreviewWindow();
        return false;
    }
    StartPreview(app);
    return true;
}

void StartPreview(App& app) {
    PreviewWindow& p = Preview(app);
    const Grobal& g = app.g;
    p.SetPreviewWindowRect(static_cast<float>(g.WinLeft), static_cast<float>(g.WinTop), static_cast<float>(g.ScrW),
                           static_cast<float>(g.ScrH));
    const ScreenMetrics screen = app.platform.system.Screen();
    for (Control image : {Control::Prev0, Control::Prev1}) {
        p.SetPreviewImageRect(image, PreviewImageSize(g.ScrW, screen.twips_per_pixel_x),
                              PreviewImageSize(g.ScrH, screen.twips_per_pixel_y), 0, 0);
        p.SetPreviewImageVisible(image, false);
    }
    if (g.SaverType == 1) p.SetPreviewImageVisible(Control::Prev0, true);
    if (g.SaverType == 2) p.SetPreviewImageVisible(Control::Prev1, true);
    p.ShowPreviewWindow();
}

}  // namespace nyamo
