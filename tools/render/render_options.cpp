#include "tools/render/render_options.h"

#include <charconv>

#include "settings/options.h"

namespace nyamo::render {

const char* const kRenderHelp = R"(Usage: nyamo-render [options]

Renders the full-screen kitten saver without a display and writes what it
showed. The first frame is the one composed when the saver starts; every
tick after it adds one frame.

  --ticks N         ticks to run after the first frame (default 300)
  --width W         screen width in pixels (default: the desktop picture's
                    width, else 1024)
  --height H        screen height in pixels (default: the desktop picture's
                    height, else 768)
  --cats N          number of kittens, 1 to 50 (default 20)
  --speed S         speed 1 to 10; the timer interval is 200 - 18 x S ms
                    (default 5, 110 ms)
  --background blank
                    kittens over black (the default)
  --desktop FILE    kittens over this PNG picture, as over a captured desktop;
                    its top-left corner is the screen's
  --seed N          seed of the random source (default 1); the same seed
                    renders the same frames
  --png FILE        write the last frame as PNG
  --gif FILE        write every frame as an animated GIF whose frame delay
                    is the timer interval
  --trace FILE      write one JSON line per tick and kitten: tick, index, X, Y,
                    Dir, Pose, Step, RestLen, RestCount, and the sheet and
                    frame drawn (null when the kitten was not drawn)
  --help            show this text

With no --png, --gif or --trace, the last frame goes to nyamo.png.
)";

namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

ParseResult ParseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg == "--background" && i + 1 < args.size() && args[i + 1] == "blank") {
            o.desktop.clear();
            ++i;
            continue;
        }
        const bool takes_value = arg == "--ticks" || arg == "--width" || arg == "--height" || arg == "--cats" ||
                                 arg == "--speed" || arg == "--desktop" || arg == "--seed" || arg == "--png" ||
                                 arg == "--gif" || arg == "--trace" || arg == "--background";
        if (!takes_value) return {std::nullopt, "unknown option '" + arg + "' (see --help)"};
        if (i + 1 >= args.size()) return {std::nullopt, "option " + arg + " needs a value"};
        const std::string& value = args[++i];
        auto number = [&](auto& field, long long min, long long max) -> bool {
            long long n = 0;
            if (!ParseNumber(value, n) || n < min || n > max) return false;
            field = static_cast<std::remove_reference_t<decltype(field)>>(n);
            return true;
        };
        bool ok = true;
        if (arg == "--ticks") ok = number(o.ticks, 0, 1000000);
        else if (arg == "--width") ok = number(o.width, 1, 16384);
        else if (arg == "--height") ok = number(o.height, 1, 16384);
        else if (arg == "--cats") ok = number(o.cats, kCatNumOption.min, kCatNumOption.max);
        else if (arg == "--speed") ok = number(o.speed, kSaverSpeedOption.min, kSaverSpeedOption.max);
        else if (arg == "--seed") ok = ParseNumber(value, o.seed);
        else if (arg == "--desktop") o.desktop = value;
        else if (arg == "--png") o.png = value;
        else if (arg == "--gif") o.gif = value;
        else if (arg == "--trace") o.trace = value;
        else if (arg == "--background") ok = false;  // only "blank" is a background name
        if (!ok) return {std::nullopt, "bad value '" + value + "' for " + arg + " (see --help)"};
    }
    if (o.png.empty() && o.gif.empty() && o.trace.empty()) o.png = "nyamo.png";
    return {o, ""};
}

}  // namespace nyamo::render
