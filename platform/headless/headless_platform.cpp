#include "platform/headless/headless_platform.h"

#include <cmath>

#include "platform/common/profile_store.h"
#include "preview/preview.h"

namespace nyamo {

namespace {

std::string Describe(Control c) {
    static constexpr const char* kNames[] = {"FocusSink", "Frame", "Opt0",     "Opt1",     "Label1",
                                             "Label2",    "Label3", "Label4",  "Label5",   "HScroll0",
                                             "HScroll1",  "But0",   "But1",    "Prev0",    "Prev1",
                                             "AllScreens"};
    return kNames[static_cast<int>(c)];
}

std::string Num(float v) {
    const double rounded = std::round(double{v} * 100) / 100;
    std::string text = std::to_string(rounded);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

int ImageIndex(Control image) { return image == Control::Prev1 ? 1 : 0; }
int BarIndex(Control bar) { return bar == Control::HScroll1 ? 1 : 0; }

}  // namespace

HeadlessPlatform::HeadlessPlatform(HeadlessWorld& world) : world_(world) {}

const PixelBuffer* HeadlessPlatform::surface(SurfaceHandle handle) {
    return surfaces_.FindOwned(handle);
}

void HeadlessPlatform::NoticeDestroyedWindows() {
    if (preview_.loaded && world_.Find(preview_.handle) == nullptr) {
        preview_.loaded = false;
        preview_.shown = false;
        Log("PreviewDestroyed");
    }
}

void HeadlessPlatform::CloseDialogFromTitleBar() {
    if (!dialog_.loaded) return;
    Log("CloseBox");
    UnloadSettingsDialog();
}

std::string HeadlessPlatform::CommandLine() { return command_line_; }
std::string HeadlessPlatform::SettingsFolder() { return settings_folder_; }
char HeadlessPlatform::PathSeparator() { return '/'; }

ScreenMetrics HeadlessPlatform::Screen() {
    const float tpp = world_.twips_per_pixel();
    return {tpp * static_cast<float>(world_.screen_width()), tpp * static_cast<float>(world_.screen_height()), tpp,
            tpp};
}

void HeadlessPlatform::Log(std::string entry) {
    log_.push_back(std::move(entry));
    if (log_.size() < kLogHead + 1 + 2 * kLogTail) return;
    // Keep the head, one counting entry, and the latest kLogTail entries.
    const std::size_t drop_from = kLogHead + 1, drop_to = log_.size() - kLogTail;
    log_left_out_ += drop_to - drop_from + (log_left_out_ == 0 ? 1 : 0);
    log_.erase(log_.begin() + static_cast<std::ptrdiff_t>(drop_from), log_.begin() + static_cast<std::ptrdiff_t>(drop_to));
    log_[kLogHead] = "(" + std::to_string(log_left_out_) + " calls left out)";
}

void HeadlessPlatform::ProcessPendingEvents() { Log("ProcessPendingEvents"); }

std::uint64_t HeadlessPlatform::ClockReading() {
    const std::uint64_t now = world_.clock;
    world_.clock += world_.clock_step;
    return now;
}

WindowHandle HeadlessPlatform::FindWindowByCaption(std::string_view caption) {
    Log("FindWindow " + std::string(caption));
    return world_.FindTopLevel(caption);
}

bool HeadlessPlatform::GetWindowRect(WindowHandle window, Rect& rect) {
    const HeadlessWindow* found = world_.Find(window);
    if (found == nullptr) return false;
    rect = found->rect;
    return true;
}

std::int32_t HeadlessPlatform::ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                             const std::string& path) {
    return PosixProfileGetInt(section, key, fallback, path);
}

bool HeadlessPlatform::ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                           const std::string& path) {
    std::string line = "ProfileWrite";
    for (const ProfileEntry& entry : entries) line += " " + std::string(entry.key) + "=" + std::string(entry.value);
    Log(line);
    return PosixProfileWriteStrings(section, entries, path, "\r\n");
}

SurfaceHandle HeadlessPlatform::CreateSurface(std::int32_t width, std::int32_t height) {
    Log("CreateSurface " + std::to_string(width) + "x" + std::to_string(height));
    return surfaces_.Create(width, height);
}

SurfaceHandle HeadlessPlatform::CreateSurfaceFrom(PixelView pixels) { return surfaces_.CreateFrom(pixels); }

void HeadlessPlatform::DestroySurface(SurfaceHandle surface) { surfaces_.Destroy(surface); }

void HeadlessPlatform::BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width,
                              std::int32_t height, SurfaceHandle src, std::int32_t sx, std::int32_t sy,
                              RasterOp op) {
    surfaces_.Blit(dst, dx, dy, width, height, src, sx, sy, op);
}

void HeadlessPlatform::CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) {
    Log("CopyDesktop " + std::to_string(width) + "x" + std::to_string(height));
    saver_.visible_during_desktop_copy = saver_.visible;
    const PixelSpan* target = surfaces_.Find(dst);
    if (target == nullptr) return;
    SoftwareBlit(*target, 0, 0, width, height, world_.desktop().view(), 0, 0, RasterOp::SrcCopy);
}

void HeadlessPlatform::LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) {
    Log("LoadSaverWindow " + std::string(caption));
    saver_ = HeadlessSaverWindow{};
    saver_.loaded = true;
    saver_.timer_ms = timer_ms;
    saver_.handle = world_.CreateWindow(std::string(caption), Rect{});
}

void HeadlessPlatform::SetSaverWindowRect(float left, float top, float width, float height) {
    Log("SetSaverWindowRect " + Num(left) + " " + Num(top) + " " + Num(width) + " " + Num(height));
    saver_.left = left;
    saver_.top = top;
    saver_.width = width;
    saver_.height = height;
}

void HeadlessPlatform::ShowSaverWindow() {
    Log("ShowSaverWindow");
    saver_.visible = true;
    saver_.shows += 1;
    saver_.sink_focused = saver_.sink_wanted;
}

void HeadlessPlatform::FocusSaverSink() {
    Log("FocusSaverSink");
    saver_.sink_wanted = true;
    saver_.sink_focused = saver_.visible;  // only a shown window can take the focus
}

void HeadlessPlatform::SetSaverPointer(PointerShape shape) {
    Log(shape == PointerShape::Invisible ? "SetSaverPointer Invisible" : "SetSaverPointer Default");
    saver_.pointer = shape;
}

void HeadlessPlatform::MakeSaverTopmost() {
    Log("MakeSaverTopmost");
    saver_.topmost = true;
}

void HeadlessPlatform::SetTimerInterval(std::int32_t milliseconds) {
    Log("SetTimerInterval " + std::to_string(milliseconds));
    saver_.timer_ms = milliseconds;
}

SurfaceHandle HeadlessPlatform::CreateSaverFrame(std::int32_t width, std::int32_t height) {
    Log("CreateSaverFrame " + std::to_string(width) + "x" + std::to_string(height));
    return surfaces_.Create(width, height);
}

// The window's own picture is kept apart from the frame, so a rectangle the
// core forgets to present shows as a stale pixel on the screen.
void HeadlessPlatform::PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) {
    const PixelSpan* source = surfaces_.Find(src);
    if (source == nullptr) return;
    if (saver_.screen.width != source->width || saver_.screen.height != source->height)
        saver_.screen = PixelBuffer(source->width, source->height);
    for (const Rect& given : areas) {
        const Rect area = Clip(given, source->width, source->height);
        if (area.empty()) continue;
        SoftwareBlit(saver_.screen.span(), area.left, area.top, static_cast<std::int32_t>(area.width()),
                     static_cast<std::int32_t>(area.height()), source->view(), area.left, area.top, RasterOp::SrcCopy);
        saver_.presented_pixels += area.area();
    }
    ++saver_.presents;
}

bool HeadlessPlatform::SaverFrameVisible() { return saver_.frame_visible; }

void HeadlessPlatform::UnloadSaverWindow() {
    Log("UnloadSaverWindow");
    world_.DestroyWindow(saver_.handle);
    saver_.loaded = false;
    saver_.visible = false;
}

void HeadlessPlatform::GetCaretPos(Point& point) {
    Log("GetCaretPos");
    point = world_.caret;
}

void HeadlessPlatform::GetCursorPos(Point& point) {
    Log("GetCursorPos");
    point = world_.cursor;
}

void HeadlessPlatform::LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) {
    Log("LoadPreviewWindow");
    preview_ = HeadlessPreviewWindow{};
    preview_.loaded = true;
    preview_.handle = world_.CreateWindow(std::string(kPreviewCaption), Rect{});
    preview_.samples[0] = PixelBuffer(desktop_sample);
    preview_.samples[1] = PixelBuffer(blank_sample);
}

bool HeadlessPlatform::EmbedPreviewIn(WindowHandle host) {
    Log("EmbedPreviewIn");
    if (world_.Find(host) == nullptr) return false;
    world_.Reparent(preview_.handle, host);
    preview_.parent = host;
    return true;
}

void HeadlessPlatform::SetPreviewWindowRect(float left, float top, float width, float height) {
    Log("SetPreviewWindowRect " + Num(left) + " " + Num(top) + " " + Num(width) + " " + Num(height));
    preview_.left = left;
    preview_.top = top;
    preview_.width = width;
    preview_.height = height;
}

void HeadlessPlatform::SetPreviewImageRect(Control image, float width, float height, float left, float top) {
    HeadlessPreviewImage& i = preview_.images[ImageIndex(image)];
    i.width = width;
    i.height = height;
    i.left = left;
    i.top = top;
}

void HeadlessPlatform::SetPreviewImageVisible(Control image, bool visible) {
    preview_.images[ImageIndex(image)].visible = visible;
}

void HeadlessPlatform::ShowPreviewWindow() {
    Log("ShowPreviewWindow");
    preview_.shown = true;
}

void HeadlessPlatform::UnloadPreviewWindow() {
    Log("UnloadPreviewWindow");
    world_.DestroyWindow(preview_.handle);
    preview_.loaded = false;
    preview_.shown = false;
}

void HeadlessPlatform::LoadSettingsDialog(std::string_view caption) {
    Log("LoadSettingsDialog " + std::string(caption));
    dialog_ = HeadlessDialog{};
    dialog_.loaded = true;
    dialog_.caption = std::string(caption);
    dialog_.handle = world_.CreateWindow(dialog_.caption, Rect{});
    const float tpp = world_.twips_per_pixel();
    dialog_.outer_width = static_cast<float>(kDesignClientWidth + 2 * kBorderPixels) * tpp;
    dialog_.outer_height = static_cast<float>(kDesignClientHeight + 2 * kBorderPixels + kTitlePixels) * tpp;
    dialog_.texts[Control::Label2] = "0";
    dialog_.texts[Control::Label4] = "0";
}

float HeadlessPlatform::DialogOuterWidth() { return dialog_.outer_width; }
float HeadlessPlatform::DialogOuterHeight() { return dialog_.outer_height; }

std::int32_t HeadlessPlatform::DialogClientWidth() {
    return static_cast<std::int32_t>(std::lround(dialog_.outer_width / world_.twips_per_pixel())) - 2 * kBorderPixels;
}

std::int32_t HeadlessPlatform::DialogClientHeight() {
    return static_cast<std::int32_t>(std::lround(dialog_.outer_height / world_.twips_per_pixel())) -
           2 * kBorderPixels - kTitlePixels;
}

void HeadlessPlatform::SetDialogOuterWidth(float twips) { dialog_.outer_width = twips; }
void HeadlessPlatform::SetDialogOuterHeight(float twips) { dialog_.outer_height = twips; }
void HeadlessPlatform::SetDialogLeft(float twips) { dialog_.left = twips; }
void HeadlessPlatform::SetDialogTop(float twips) { dialog_.top = twips; }

void HeadlessPlatform::SetControlFontSize(Control control, float points) { dialog_.font_points[control] = points; }

void HeadlessPlatform::SetOptionSelected(Control option) { dialog_.selected_option = option == Control::Opt1 ? 1 : 0; }

bool HeadlessPlatform::IsOptionSelected(Control option) {
    return dialog_.selected_option == (option == Control::Opt1 ? 1 : 0);
}

void HeadlessPlatform::SetChecked(Control /*box*/, bool checked) { dialog_.all_screens = checked; }

bool HeadlessPlatform::IsChecked(Control /*box*/) { return dialog_.all_screens; }

std::int16_t HeadlessPlatform::ScrollValue(Control bar) { return dialog_.scroll[BarIndex(bar)]; }

void HeadlessPlatform::SetScrollValue(Control bar, std::int16_t value) { dialog_.scroll[BarIndex(bar)] = value; }

void HeadlessPlatform::SetLabelText(Control label, std::string_view text) {
    dialog_.texts[label] = std::string(text);
}

void HeadlessPlatform::ShowSettingsDialog() {
    Log("ShowSettingsDialog");
    dialog_.shown = true;
}

void HeadlessPlatform::UnloadSettingsDialog() {
    Log("UnloadSettingsDialog");
    world_.DestroyWindow(dialog_.handle);
    dialog_.loaded = false;
    dialog_.shown = false;
}

void HeadlessPlatform::ShowError(std::string_view caption, std::string_view text) {
    Log("ShowError");
    errors_.push_back(std::string(caption) + ": " + std::string(text));
}

void HeadlessPlatform::SetControlBounds(Control control, std::int32_t width, std::int32_t height,
                                        std::int32_t left, std::int32_t top) {
    Log("SetControlBounds " + Describe(control) + " " + std::to_string(width) + " " + std::to_string(height) + " " +
        std::to_string(left) + " " + std::to_string(top));
    if (control == Control::FocusSink) saver_.focus_sink = {width, height, left, top};
    dialog_.bounds[control] = {width, height, left, top};
}

}  // namespace nyamo
