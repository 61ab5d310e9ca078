// The headless backend: every window, surface and control lives in memory.
// Implemented: every role of the seam. The saver window's picture is
// kept as pixels (saver_screen()), the dialog's and the preview's controls as
// plain values, and every call that shapes a window is written to log(), so a
// test can watch the whole life of the program. Not implemented: drawing the
// dialog and the preview as pixels; nothing here needs them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/common/software_blitter.h"
#include "platform/common/surface_table.h"
#include "platform/headless/headless_world.h"
#include "platform/platform.h"

namespace nyamo {

struct Bounds {
    std::int32_t width = 0, height = 0, left = 0, top = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct HeadlessSaverWindow {
    bool loaded = false;
    bool visible = false;
    bool topmost = false;
    bool sink_wanted = false;
    bool sink_focused = false;
    std::int32_t shows = 0;
    WindowHandle handle = 0;
    float left = 0, top = 0, width = 0, height = 0;  // twips
    PointerShape pointer = PointerShape::Default;
    std::int32_t timer_ms = 0;
    Bounds focus_sink;
    PixelBuffer screen;  // what the window shows
    std::int32_t presents = 0;
    std::int64_t presented_pixels = 0;  // summed over every rectangle presented
    bool frame_visible = true;  // false: the display is off or the window covered
    bool visible_during_desktop_copy = false;
};

struct HeadlessPreviewImage {
    float width = 0, height = 0, left = 0, top = 0;
    bool visible = false;
};

struct HeadlessPreviewWindow {
    bool loaded = false;
    bool shown = false;
    WindowHandle handle = 0;
    WindowHandle parent = 0;
    float left = 0, top = 0, width = 0, height = 0;  // twips
    HeadlessPreviewImage images[2];
    PixelBuffer samples[2];
};

struct HeadlessDialog {
    bool loaded = false;
    bool shown = false;
    WindowHandle handle = 0;
    std::string caption;
    float outer_width = 0, outer_height = 0, left = 0, top = 0;  // twips
    std::map<Control, Bounds> bounds;
    std::map<Control, float> font_points;
    std::map<Control, std::string> texts;
    int selected_option = -1;
    bool all_screens = false;
    std::int16_t scroll[2] = {1, 1};
};

class HeadlessPlatform : public EveryRoleBackend {
public:
    explicit HeadlessPlatform(HeadlessWorld& world);

    // Script.
    void set_command_line(std::string line) { command_line_ = std::move(line); }
    void set_settings_folder(std::string folder) { settings_folder_ = std::move(folder); }
    // The display goes dark or the saver window is covered (false), or it
    // can be seen again (true).
    void set_saver_frame_visible(bool visible) { saver_.frame_visible = visible; }
    HeadlessWorld& world() { return world_; }

    // Observe.
    const HeadlessSaverWindow& saver() const { return saver_; }
    const HeadlessPreviewWindow& preview() const { return preview_; }
    const HeadlessDialog& dialog() const { return dialog_; }
    HeadlessDialog& dialog() { return dialog_; }
    const PixelBuffer& saver_screen() const { return saver_.screen; }
    // The surface's pixels with every draw asked for made in them.
    const PixelBuffer* surface(SurfaceHandle handle);
    std::size_t live_surfaces() const { return surfaces_.size(); }
    const std::vector<std::string>& log() const { return log_; }
    const std::vector<std::string>& errors_shown() const { return errors_; }
    bool AnyWindowLoaded() const { return saver_.loaded || preview_.loaded || dialog_.loaded; }
    // Windows that went without any code of the program running: the
    // preview with its destroyed host, the dialog through its close box.
    void NoticeDestroyedWindows();
    void CloseDialogFromTitleBar();

    // System.
    std::string CommandLine() override;
    std::string SettingsFolder() override;
    char PathSeparator() override;
    ScreenMetrics Screen() override;
    std::uint64_t ClockReading() override;
    std::int32_t ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                               const std::string& path) override;
    bool ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                             const std::string& path) override;
    // OtherWindows.
    WindowHandle FindWindowByCaption(std::string_view caption) override;
    bool GetWindowRect(WindowHandle window, Rect& rect) override;
    // SaverFrames.
    SurfaceHandle CreateSurface(std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSurfaceFrom(PixelView pixels) override;
    void DestroySurface(SurfaceHandle surface) override;
    void BitBlt(SurfaceHandle dst, std::int32_t dx, std::int32_t dy, std::int32_t width, std::int32_t height,
                SurfaceHandle src, std::int32_t sx, std::int32_t sy, RasterOp op) override;
    void CopyDesktop(SurfaceHandle dst, std::int32_t width, std::int32_t height) override;
    SurfaceHandle CreateSaverFrame(std::int32_t width, std::int32_t height) override;
    void PresentSaverFrame(SurfaceHandle src, std::span<const Rect> areas) override;
    bool SaverFrameVisible() override;
    void SetTimerInterval(std::int32_t milliseconds) override;
    // SaverWindow.
    void LoadSaverWindow(std::string_view caption, std::int32_t timer_ms) override;
    void ShowSaverWindow() override;
    void UnloadSaverWindow() override;
    // SaverDesktop (and SetControlBounds below, for the focus sink).
    void SetSaverWindowRect(float left, float top, float width, float height) override;
    void FocusSaverSink() override;
    void SetSaverPointer(PointerShape shape) override;
    void MakeSaverTopmost() override;
    void GetCaretPos(Point& point) override;
    void GetCursorPos(Point& point) override;
    // PreviewWindow.
    void LoadPreviewWindow(PixelView desktop_sample, PixelView blank_sample) override;
    bool EmbedPreviewIn(WindowHandle host) override;
    void SetPreviewWindowRect(float left, float top, float width, float height) override;
    void SetPreviewImageRect(Control image, float width, float height, float left, float top) override;
    void SetPreviewImageVisible(Control image, bool visible) override;
    void ShowPreviewWindow() override;
    void UnloadPreviewWindow() override;
    // SettingsDialog.
    void ProcessPendingEvents() override;
    void LoadSettingsDialog(std::string_view caption) override;
    float DialogOuterWidth() override;
    float DialogOuterHeight() override;
    std::int32_t DialogClientWidth() override;
    std::int32_t DialogClientHeight() override;
    void SetDialogOuterWidth(float twips) override;
    void SetDialogOuterHeight(float twips) override;
    void SetDialogLeft(float twips) override;
    void SetDialogTop(float twips) override;
    void SetControlFontSize(Control control, float points) override;
    void SetOptionSelected(Control option) override;
    bool IsOptionSelected(Control option) override;
    void SetChecked(Control box, bool checked) override;
    bool IsChecked(Control box) override;
    std::int16_t ScrollValue(Control bar) override;
    void SetScrollValue(Control bar, std::int16_t value) override;
    void SetLabelText(Control label, std::string_view text) override;
    void ShowSettingsDialog() override;
    void UnloadSettingsDialog() override;
    void ShowError(std::string_view caption, std::string_view text) override;
    void SetControlBounds(Control control, std::int32_t width, std::int32_t height, std::int32_t left,
                          std::int32_t top) override;

    // The dialog's frame as this backend draws it: borders and a title bar.
    static constexpr std::int32_t kBorderPixels = 3;
    static constexpr std::int32_t kTitlePixels = 22;
    // The dialog's client area as designed, before the core sizes it.
    static constexpr std::int32_t kDesignClientWidth = 312;
    static constexpr std::int32_t kDesignClientHeight = 230;

private:
    // The log keeps its first entries and its latest ones: a saver left
    // ticking logs two readings per tick, and a long run must not grow
    // without end. What lies between is one entry that counts it.
    void Log(std::string entry);
    static constexpr std::size_t kLogHead = 1000;
    static constexpr std::size_t kLogTail = 1000;
    std::size_t log_left_out_ = 0;

    HeadlessWorld& world_;
    std::string command_line_;
    std::string settings_folder_ = ".";
    SurfaceTable surfaces_;
    HeadlessSaverWindow saver_;
    HeadlessPreviewWindow preview_;
    HeadlessDialog dialog_;
    std::vector<std::string> log_;
    std::vector<std::string> errors_;
};

}  // namespace nyamo
