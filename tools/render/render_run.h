// One rendering run: the full-screen saver on a headless screen whose frames
// the options' size, flock and seed alone decide.
#pragma once

#include <cstdint>

#include "assets/pictures.h"
#include "core/app.h"
#include "platform/headless/headless_platform.h"
#include "tools/render/render_options.h"

namespace nyamo::render {

class RenderRun {
public:
    // An empty desktop picture is the blank background; width and height are
    // the screen's, already resolved from the options and the picture.
    RenderRun(const RenderOptions& options, const Picture& desktop, std::int32_t width, std::int32_t height);
    RenderRun(const RenderRun&) = delete;
    RenderRun& operator=(const RenderRun&) = delete;

    void Start();  // composes the first frame
    void Tick();   // one timer tick
    const App& app() const { return app_; }
    const PixelBuffer& screen() const { return platform_.saver_screen(); }

private:
    HeadlessWorld world_;
    HeadlessPlatform platform_;
    App app_;
};

}  // namespace nyamo::render
