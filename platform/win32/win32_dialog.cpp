// The settings dialog: a fixed-border window of native controls (group box,
// two auto radio buttons, static labels, two horizontal scroll bars, a check
// box, two push buttons), laid out and filled by the core. The system's dialog manager
// (IsDialogMessageW in the loop) gives it its keyboard interface.
#include <cmath>

#include "core/app.h"
#include "app/main.h"
#include "platform/win32/win32_platform.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"

// After <windows.h>, which it needs.
#include <commctrl.h>

namespace nyamo {

namespace {

// Control ids start above IDOK and IDCANCEL: the dialog manager turns Enter
// and Esc into those two, and neither button is bound to them.
enum ControlId : int {
    kFrameId = 100,
    kOpt0Id,
    kOpt1Id,
    kHScroll0Id,
    kHScroll1Id,
    kBut0Id,
    kBut1Id,
    kLabel1Id,
    kLabel2Id,
    kLabel3Id,
    kLabel4Id,
    kLabel5Id,
    kAllScreensId,
};

// The dialog's client area as designed, before the core sizes it.
constexpr int kDesignClientWidth = 312;
constexpr int kDesignClientHeight = 230;
// No WS_CLIPCHILDREN: the group box paints only its frame and caption, so the
// dialog's own background must fill the space inside it.
constexpr DWORD kDialogStyle = WS_CAPTION | WS_SYSMENU;
// The form's default font, used by every control whose size the core does
// not set (the frame).
constexpr float kDefaultPoints = 9.0f;

// Faces that hold the Japanese captions, best first: the designed face under
// its Japanese and its English name, then common Japanese proportional
// Gothic faces, then the CJK faces free systems (and Wine on them) carry.
constexpr const wchar_t* kFaceCandidates[] = {
    L"ＭＳ Ｐゴシック",  L"MS PGothic",         L"Meiryo UI",           L"Yu Gothic UI",      L"MS UI Gothic",
    L"Noto Sans CJK JP", L"Noto Sans JP",       L"IPAPGothic",          L"IPAexGothic",       L"VL PGothic",
    L"TakaoPGothic",     L"Source Han Sans JP", L"Droid Sans Fallback", L"WenQuanYi Zen Hei", L"WenQuanYi Micro Hei",
};

int CALLBACK NoteFace(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/, DWORD /*type*/, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceExists(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

int BarIndex(HWND bar, HWND bar0) { return bar == bar0 ? 0 : 1; }

}  // namespace

std::wstring Win32Platform::JapaneseFace() {
    if (!japanese_face_.empty()) return japanese_face_;
    HDC dc = GetDC(nullptr);
    for (const wchar_t* face : kFaceCandidates) {
        if (FaceExists(dc, face)) {
            japanese_face_ = face;
            break;
        }
    }
    ReleaseDC(nullptr, dc);
    // None of them: the system's dialog face, which font linking extends to
    // Japanese on a Windows that has any Japanese font at all.
    if (japanese_face_.empty()) japanese_face_ = L"MS Shell Dlg 2";
    return japanese_face_;
}

namespace {

HFONT MakeFontPixels(const std::wstring& face, int em_pixels) {
    return CreateFontW(-em_pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face.c_str());
}

// The em in whole pixels of a font of that many points at the dialog's dots
// per inch (a point is 20 twips), so that text is drawn sharp at its size.
int FontPixels(float points, float twips_per_pixel) {
    return static_cast<int>(std::lround(double{points} * 20.0 / double{twips_per_pixel}));
}

HFONT MakeFont(const std::wstring& face, float points, float twips_per_pixel) {
    return MakeFontPixels(face, FontPixels(points, twips_per_pixel));
}

// The height of a line of text in the font: what a group box's caption takes.
int LineHeight(HDC dc, HFONT font) {
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return metrics.tmHeight;
}

}  // namespace

HWND Win32Platform::DialogControl(Control control) const {
    const auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32Platform::LoadSettingsDialog(std::string_view caption) {
    // The manifest asks for common controls 6: registering their classes
    // gives the buttons and bars the system's current look.
    INITCOMMONCONTROLSEX common{};
    common.dwSize = sizeof common;
    common.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&common);
    const std::wstring title = Widen(caption);
    RECT outer{0, 0, kDesignClientWidth, kDesignClientHeight};
    AdjustWindowRectEx(&outer, kDialogStyle, FALSE, 0);
    // Created on the monitor the core centres it on, the primary one, so
    // that its DPI is that monitor's from the start, not the system's.
    dialog_ = CreateWindowExW(0, kDialogClass, title.c_str(), kDialogStyle, 0, 0, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, instance_, this);
    if (dialog_ == nullptr) return;
    WindowCreated();
    const int dpi = WindowDpi(dialog_);
    dialog_dpi_ = {dpi, dpi};
    GiveIcon(dialog_);
    CreateDialogControls();
}

void Win32Platform::CreateDialogControls() {
    const auto make = [this](Control control, const wchar_t* cls, std::string_view text, DWORD style, int id, RECT r) {
        const std::wstring wide = Widen(text);
        HWND child = CreateWindowExW(0, cls, wide.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                                     r.top, r.right, r.bottom, dialog_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        controls_[control] = child;
        return child;
    };
    // Creation order is the tab order (and the z-order: the options lie
    // above the group box that frames them).
    make(Control::Opt0, L"BUTTON", kOptDesktopText, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kOpt0Id, {});
    make(Control::Opt1, L"BUTTON", kOptBlankText, BS_AUTORADIOBUTTON | WS_TABSTOP, kOpt1Id, {});
    make(Control::HScroll0, L"SCROLLBAR", "", SBS_HORZ | WS_GROUP | WS_TABSTOP, kHScroll0Id, {20, 135, 130, 18});
    make(Control::HScroll1, L"SCROLLBAR", "", SBS_HORZ | WS_GROUP | WS_TABSTOP, kHScroll1Id, {160, 135, 130, 18});
    make(Control::AllScreens, L"BUTTON", kAllScreensText, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, kAllScreensId,
         {217, 82, 78, 22});
    make(Control::But0, L"BUTTON", kOkText, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, kBut0Id, {220, 20, 70, 25});
    make(Control::But1, L"BUTTON", kCancelText, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, kBut1Id, {220, 50, 70, 25});
    make(Control::Frame, L"BUTTON", kFrameText, BS_GROUPBOX | WS_GROUP, kFrameId, {20, 15, 170, 80});
    const DWORD label = SS_LEFT | SS_NOPREFIX | WS_GROUP;
    make(Control::Label1, L"STATIC", kLabel1Text, label, kLabel1Id, {20, 115, 90, 20});
    make(Control::Label2, L"STATIC", kValueDesignText, label, kLabel2Id, {110, 115, 20, 20});
    make(Control::Label3, L"STATIC", kLabel3Text, label, kLabel3Id, {160, 115, 90, 20});
    make(Control::Label4, L"STATIC", kValueDesignText, label, kLabel4Id, {250, 115, 20, 20});
    make(Control::Label5, L"STATIC", kInfoLineText, label, kLabel5Id, {80, 170, 270, 20});

    frame_origin_ = {20, 15};
    PlaceOptionButtons();

    for (const auto& [control, range] :
         {std::pair{Control::HScroll0, kCatNumBar}, std::pair{Control::HScroll1, kSpeedBar}}) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        info.nMin = range.min;
        info.nMax = range.max;
        info.nPage = 0;
        info.nPos = range.design_value;
        SetScrollInfo(DialogControl(control), SB_CTL, &info, FALSE);
    }
    reported_scroll_ = {kCatNumBar.design_value, kSpeedBar.design_value};

    // Every control starts in the form's default font; the core then sets
    // the size of all but the frame and the bars.
    default_font_ = MakeFont(JapaneseFace(), kDefaultPoints, TwipsPerPixelY());
    for (const auto& [control, window] : controls_)
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_), FALSE);
    caption_font_ = MakeFrameCaptionFont();
    SendMessageW(DialogControl(Control::Frame), WM_SETFONT, reinterpret_cast<WPARAM>(caption_font_), FALSE);
}

// The frame's caption stands above the first option, which paints its whole
// box and so would cover any part of the caption's line below its top. Of
// the Japanese faces the system has, the one that keeps the caption largest
// (up to the form's default size) with its whole line above the option: a
// face such as ＭＳ Ｐゴシック, whose line is one em, keeps the design size.
HFONT Win32Platform::MakeFrameCaptionFont() {
    const int room = FrameCaptionRoom(TwipsPerPixelX(), TwipsPerPixelY());
    const int design = FontPixels(kDefaultPoints, TwipsPerPixelY());
    HDC dc = GetDC(nullptr);
    std::wstring best_face = JapaneseFace();
    int best_size = 0;
    for (const wchar_t* face : kFaceCandidates) {
        if (!FaceExists(dc, face)) continue;
        for (int size = design; size > best_size; --size) {
            HFONT font = MakeFontPixels(face, size);
            const int line = LineHeight(dc, font);
            DeleteObject(font);
            if (line <= room) {
                best_face = face;
                best_size = size;
                break;
            }
        }
    }
    ReleaseDC(nullptr, dc);
    return MakeFontPixels(best_face, best_size > 0 ? best_size : 1);
}

// The option buttons keep their design geometry, held in twips relative to
// the frame, so it follows the screen's twips-per-pixel factor up to 120 dots
// per inch; above, they take their 96-dpi boxes scaled (dialog_scale.h).
void Win32Platform::PlaceOptionButtons() {
    for (const auto& [control, design] :
         {std::pair{Control::Opt0, kOpt0DesignTwips}, std::pair{Control::Opt1, kOpt1DesignTwips}}) {
        HWND option = DialogControl(control);
        if (option == nullptr) continue;
        const PixelBox box = OptionBox(design, TwipsPerPixelX(), TwipsPerPixelY());
        SetWindowPos(option, nullptr, frame_origin_.x + box.left, frame_origin_.y + box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

float Win32Platform::DialogOuterWidth() {
    RECT r{};
    if (dialog_ != nullptr) ::GetWindowRect(dialog_, &r);
    return static_cast<float>(r.right - r.left) * TwipsPerPixelX();
}

float Win32Platform::DialogOuterHeight() {
    RECT r{};
    if (dialog_ != nullptr) ::GetWindowRect(dialog_, &r);
    return static_cast<float>(r.bottom - r.top) * TwipsPerPixelY();
}

std::int32_t Win32Platform::DialogClientWidth() {
    RECT r{};
    if (dialog_ != nullptr) GetClientRect(dialog_, &r);
    return r.right;
}

std::int32_t Win32Platform::DialogClientHeight() {
    RECT r{};
    if (dialog_ != nullptr) GetClientRect(dialog_, &r);
    return r.bottom;
}

void Win32Platform::SetDialogOuterWidth(float twips) {
    RECT r{};
    if (dialog_ == nullptr || !::GetWindowRect(dialog_, &r)) return;
    SetWindowPos(dialog_, nullptr, 0, 0, PixelsFromTwipsX(twips), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::SetDialogOuterHeight(float twips) {
    RECT r{};
    if (dialog_ == nullptr || !::GetWindowRect(dialog_, &r)) return;
    SetWindowPos(dialog_, nullptr, 0, 0, r.right - r.left, PixelsFromTwipsY(twips),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::SetDialogLeft(float twips) {
    RECT r{};
    if (dialog_ == nullptr || !::GetWindowRect(dialog_, &r)) return;
    SetWindowPos(dialog_, nullptr, PixelsFromTwipsX(twips), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::SetDialogTop(float twips) {
    RECT r{};
    if (dialog_ == nullptr || !::GetWindowRect(dialog_, &r)) return;
    SetWindowPos(dialog_, nullptr, r.left, PixelsFromTwipsY(twips), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::SetControlFontSize(Control control, float points) {
    HWND window = DialogControl(control);
    if (window == nullptr) return;
    HFONT font = MakeFont(JapaneseFace(), points, TwipsPerPixelY());
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const auto old = fonts_.find(control);
    if (old != fonts_.end()) DeleteObject(old->second);
    fonts_[control] = font;
}

void Win32Platform::SetOptionSelected(Control option) {
    if (dialog_ != nullptr) CheckRadioButton(dialog_, kOpt0Id, kOpt1Id, option == Control::Opt1 ? kOpt1Id : kOpt0Id);
}

bool Win32Platform::IsOptionSelected(Control option) {
    HWND window = DialogControl(option);
    return window != nullptr && SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Platform::SetChecked(Control box, bool checked) {
    HWND window = DialogControl(box);
    if (window != nullptr) SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Platform::IsChecked(Control box) { return IsOptionSelected(box); }

std::int16_t Win32Platform::ScrollValue(Control bar) {
    HWND window = DialogControl(bar);
    if (window == nullptr) return 0;
    return static_cast<std::int16_t>(GetScrollPos(window, SB_CTL));
}

void Win32Platform::SetScrollValue(Control bar, std::int16_t value) {
    HWND window = DialogControl(bar);
    if (window == nullptr) return;
    SetScrollPos(window, SB_CTL, value, TRUE);
    reported_scroll_[bar == Control::HScroll1 ? 1 : 0] = static_cast<std::int16_t>(GetScrollPos(window, SB_CTL));
}

void Win32Platform::SetLabelText(Control label, std::string_view text) {
    HWND window = DialogControl(label);
    if (window == nullptr) return;
    const std::wstring wide = Widen(text);
    SetWindowTextW(window, wide.c_str());
}

void Win32Platform::ShowSettingsDialog() {
    if (dialog_ == nullptr) return;
    ShowWindow(dialog_, SW_SHOW);
    SetForegroundWindow(dialog_);
    // The focus starts on the chosen option, as the dialog manager would put it.
    SetFocus(DialogControl(IsOptionSelected(Control::Opt1) ? Control::Opt1 : Control::Opt0));
    UpdateWindow(dialog_);
    ReportDialogLayout();
}

void Win32Platform::UnloadSettingsDialog() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
}

void Win32Platform::ShowError(std::string_view caption, std::string_view text) {
    const std::wstring wcaption = Widen(caption), wtext = Widen(text);
    MessageBoxW(dialog_, wtext.c_str(), wcaption.c_str(), MB_OK | MB_ICONWARNING);
}

void Win32Platform::SetControlBounds(Control control, std::int32_t width, std::int32_t height, std::int32_t left,
                                     std::int32_t top) {
    HWND window = control == Control::FocusSink ? sink_ : DialogControl(control);
    if (window == nullptr) return;
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (control == Control::Frame) {
        frame_origin_ = {left, top};
        PlaceOptionButtons();
    }
}

// Arrows and the track move the value by 1; Home and End go to the ends. A
// dragged thumb moves only the thumb: the value changes, and the labels with
// it, when the drag ends.
void Win32Platform::OnScroll(HWND bar, int code, int thumb) {
    const int index = BarIndex(bar, DialogControl(Control::HScroll0));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(bar, SB_CTL, &info);
    int value = info.nPos;
    switch (code) {
        case SB_LINELEFT:
        case SB_PAGELEFT:
            value -= 1;
            break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
            value += 1;
            break;
        case SB_LEFT:
            value = info.nMin;
            break;
        case SB_RIGHT:
            value = info.nMax;
            break;
        case SB_THUMBPOSITION:
            value = thumb;
            break;
        case SB_ENDSCROLL:
            break;
        default:  // SB_THUMBTRACK: the control draws the moving thumb itself
            return;
    }
    if (value < info.nMin) value = info.nMin;
    if (value > info.nMax) value = info.nMax;
    if (value != info.nPos) SetScrollPos(bar, SB_CTL, value, TRUE);
    const auto now = static_cast<std::int16_t>(GetScrollPos(bar, SB_CTL));
    if (now == reported_scroll_[static_cast<std::size_t>(index)]) return;
    reported_scroll_[static_cast<std::size_t>(index)] = now;
    Deliver([index](App& app) { HScroll1_Change(app, static_cast<std::int16_t>(index)); });
}

// Moved to a monitor of another DPI: the core lays the dialog out again for
// it, the frame's caption is fitted again, and the window goes where the
// system suggests (the core keeps its own client size; the system's
// suggestion scales the outer size, frame included, which need not match).
void Win32Platform::OnDpiChanged(int dpi_x, int dpi_y, const RECT* suggested) {
    if (dialog_ == nullptr || dpi_x <= 0 || dpi_y <= 0) return;
    dialog_dpi_ = {dpi_x, dpi_y};
    Deliver([](App& app) { ScaleSettingsDialog(app); });
    if (dialog_ == nullptr) return;
    HFONT caption = MakeFrameCaptionFont();
    SendMessageW(DialogControl(Control::Frame), WM_SETFONT, reinterpret_cast<WPARAM>(caption), TRUE);
    if (caption_font_ != nullptr) DeleteObject(caption_font_);
    caption_font_ = caption;
    // Without a suggestion (a message sent by another program), the window stays where it is.
    if (suggested != nullptr)
        SetWindowPos(dialog_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog_, nullptr, TRUE);
    ReportDialogLayout();
}

LRESULT Win32Platform::OnDialogMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (HIWORD(wparam) == BN_CLICKED && (id == kBut0Id || id == kBut1Id)) {
                const auto index = static_cast<std::int16_t>(id == kBut0Id ? 0 : 1);
                Deliver([index](App& app) { But_Click(app, index); });
            }
            return 0;  // IDOK and IDCANCEL (Enter, Esc) do nothing
        }
        case WM_HSCROLL:
            if (lparam != 0)
                OnScroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam), static_cast<short>(HIWORD(wparam)));
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_DESTROY:
            // The close box ends here without the core: nothing is saved.
            dialog_ = nullptr;
            controls_.clear();
            WindowGone();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace nyamo
