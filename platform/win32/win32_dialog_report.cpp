// With NYAMO_DIALOG_REPORT set in its environment, the shown dialog writes
// what it shows to standard output, one line per control, for the Wine suite
// to judge: the control's box in client pixels and what its text takes in
// the control's own font (a font cannot be read from another process).
#include <cstdio>
#include <string>

#include "platform/win32/win32_platform.h"

namespace nyamo {

void Win32Platform::ReportDialogLayout() {
    if (dialog_ == nullptr || GetEnvironmentVariableW(L"NYAMO_DIALOG_REPORT", nullptr, 0) == 0) return;
    HDC dc = GetDC(dialog_);
    std::string report;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        wchar_t text[256] = {};
        const int length = GetWindowTextW(child, text, 256);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        // The em height in pixels the font was made with: its size in points at the dialog's DPI.
        LOGFONTW made{};
        GetObjectW(font, sizeof made, &made);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE extent{0, 0};
        GetTextExtentPoint32W(dc, text, length, &extent);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        char line[256];
        std::snprintf(line, sizeof line, "control id=%d x=%ld y=%ld w=%ld h=%ld text_w=%ld line=%ld em=%ld face=%s\n",
                      GetDlgCtrlID(child), r.left, r.top, r.right - r.left, r.bottom - r.top, extent.cx,
                      metrics.tmHeight, made.lfHeight < 0 ? -made.lfHeight : made.lfHeight, Narrow(face).c_str());
        report += line;
    }
    ReleaseDC(dialog_, dc);
    char facts[128];
    std::snprintf(facts, sizeof facts, "check_mark=%d\nawareness=%s\nwindow_dpi=%d\n", GetSystemMetrics(SM_CXMENUCHECK),
                  ThreadDpiAwareness().c_str(), WindowDpi(dialog_));
    report += facts;
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace nyamo
