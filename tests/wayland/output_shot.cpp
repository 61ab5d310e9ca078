// nyamo-output-shot DIR: a picture of every output of the Wayland session,
// DIR/NAME.ppm, taken the way the saver takes its desktop (output_capture.h),
// so that the suite sees the screen where grim cannot (KWin). Status 1 and
// one line when an output gives no picture.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "ext-image-capture-source-v1-client.h"
#include "ext-image-copy-capture-v1-client.h"
#include "platform/wayland/output_capture.h"
#include "wlr-screencopy-unstable-v1-client.h"

using namespace nyamo;
using namespace nyamo::wayland;

namespace {

constexpr wl_output_listener kOutputListener{
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*, const char*,
       std::int32_t) {},
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
        if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
        static_cast<OutputSurface*>(data)->width = width;
        static_cast<OutputSurface*>(data)->height = height;
    },
    [](void*, wl_output*) {}, [](void*, wl_output*, std::int32_t) {},
    [](void* data, wl_output*, const char* name) { static_cast<OutputSurface*>(data)->name = name; },
    [](void*, wl_output*, const char*) {}};

struct Globals {
    OutputSurface shared;
    std::vector<std::unique_ptr<OutputSurface>> outputs;
};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto* g = static_cast<Globals*>(data);
    OutputSurface& s = g->shared;
    const auto bind = [&](const wl_interface& type, std::uint32_t most, auto*& into) {
        if (std::strcmp(interface, type.name) != 0) return false;
        using Bound = std::remove_reference_t<decltype(into)>;
        into = static_cast<Bound>(wl_registry_bind(registry, name, &type, std::min(version, most)));
        return true;
    };
    wl_output* output = nullptr;
    if (bind(wl_shm_interface, 1, s.shm) || bind(zwlr_screencopy_manager_v1_interface, 3, s.screencopy) ||
        bind(ext_image_copy_capture_manager_v1_interface, 1, s.image_copy) ||
        bind(ext_output_image_capture_source_manager_v1_interface, 1, s.output_sources) ||
        !bind(wl_output_interface, 4, output))
        return;
    g->outputs.push_back(std::make_unique<OutputSurface>());
    g->outputs.back()->output = output;
    wl_output_add_listener(output, &kOutputListener, g->outputs.back().get());
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
constexpr wl_registry_listener kRegistryListener{&Global, &GlobalRemove};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: nyamo-output-shot DIR\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "nyamo-output-shot: no Wayland display\n");
        return 1;
    }
    Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &g);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    int status = 0;
    for (std::size_t i = 0; i < g.outputs.size(); ++i) {
        OutputSurface& o = *g.outputs[i];
        o.display = display;
        o.shm = g.shared.shm;
        o.screencopy = g.shared.screencopy;
        o.image_copy = g.shared.image_copy;
        o.output_sources = g.shared.output_sources;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(o.width) * static_cast<std::size_t>(o.height));
        const std::string why = CaptureOutput(o, PixelSpan{pixels.data(), o.width, o.height, o.width}, o.width, o.height);
        const std::string path = std::string(argv[1]) + "/" + (o.name.empty() ? std::to_string(i) : o.name) + ".ppm";
        std::FILE* file = why.empty() ? std::fopen(path.c_str(), "wb") : nullptr;
        if (file == nullptr) {
            std::fprintf(stderr, "nyamo-output-shot: %s\n", why.empty() ? ("cannot write " + path).c_str() : why.c_str());
            status = 1;
            continue;
        }
        std::fprintf(file, "P6\n%d %d\n255\n", o.width, o.height);
        for (const std::uint32_t p : pixels) {
            const unsigned char rgb[3]{static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                       static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, file);
        }
        std::fclose(file);
    }
    wl_display_disconnect(display);
    return status;
}
