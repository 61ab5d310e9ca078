// nyamo-render: runs the full-screen saver on the headless backend and writes
// its frames. The saver's own command line is untouched; this is a separate
// program with options of its own (--help).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "assets/pictures.h"
#include "base/runtime_error.h"
#include "saver/flock.h"
#include "tools/render/image_files.h"
#include "tools/render/render_options.h"
#include "tools/render/render_run.h"

namespace nyamo::render {
namespace {

int Fail(const std::string& message) {
    std::cerr << "nyamo-render: " << message << "\n";
    return 2;
}

void TraceTick(std::ostream& out, std::int32_t tick, const App& app) {
    for (std::int32_t i = 0; i < app.g.CatNum; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const CatRec& c = app.g.Cats[s];
        const DrawRecord d = app.drawn[s];
        out << "{\"tick\":" << tick << ",\"index\":" << i << ",\"X\":" << c.X << ",\"Y\":" << c.Y
            << ",\"Dir\":" << c.Dir << ",\"Pose\":" << c.Pose << ",\"Step\":" << c.Step << ",\"RestLen\":" << c.RestLen
            << ",\"RestCount\":" << app.g.RestCount[s] << ",\"sheet\":";
        if (d.frame < 0)
            out << "null,\"frame\":null}\n";
        else
            out << d.sheet << ",\"frame\":" << d.frame << "}\n";
    }
}

int Render(const RenderOptions& o) {
    Picture desktop;
    if (!o.desktop.empty()) {
        std::ifstream in(o.desktop, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        desktop = DecodePicture(bytes);
        if (!in.good() && !in.eof()) return Fail("cannot read '" + o.desktop + "'");
        if (desktop.width == 0) return Fail("'" + o.desktop + "' is not a readable PNG picture");
    }
    const std::int32_t width = o.width != 0 ? o.width : desktop.width != 0 ? desktop.width : 1024;
    const std::int32_t height = o.height != 0 ? o.height : desktop.height != 0 ? desktop.height : 768;

    RenderRun run(o, desktop, width, height);

    std::ofstream trace;
    if (!o.trace.empty()) {
        trace.open(o.trace);
        if (!trace) return Fail("cannot write '" + o.trace + "'");
    }
    std::unique_ptr<GifWriter> gif;
    if (!o.gif.empty()) {
        gif = std::make_unique<GifWriter>(o.gif, width, height, TimerInterval(o.speed));
        if (!gif->ok()) return Fail("cannot write '" + o.gif + "'");
    }

    try {
        run.Start();
        for (std::int32_t tick = 0;; ++tick) {
            if (trace.is_open()) TraceTick(trace, tick, run.app());
            if (gif) gif->Add(run.screen());
            if (tick == o.ticks) break;
            run.Tick();
        }
    } catch (const RunTimeError& error) {
        return Fail(std::string("the saver stopped: ") + error.what());
    }

    if (gif && !gif->Close()) return Fail("cannot write '" + o.gif + "'");
    if (trace.is_open() && !trace.flush()) return Fail("cannot write '" + o.trace + "'");
    if (!o.png.empty() && !WritePng(o.png, run.screen())) return Fail("cannot write '" + o.png + "'");
    for (const std::string* written : {&o.png, &o.gif, &o.trace})
        if (!written->empty()) std::cout << "wrote " << *written << "\n";
    return 0;
}

}  // namespace
}  // namespace nyamo::render

int main(int argc, char** argv) {
    using namespace nyamo::render;
    const ParseResult parsed = ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "nyamo-render: " << parsed.error << "\n";
        return 2;
    }
    if (parsed.options->help) {
        std::cout << kRenderHelp;
        return 0;
    }
    return Render(*parsed.options);
}
