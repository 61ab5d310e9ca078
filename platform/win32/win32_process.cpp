// Process services: command line, folders, screen metrics, clock, other
// processes' windows, and the UTF-8 <-> UTF-16 conversion every call needs.
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace nyamo {

std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// The program's own path is skipped by the system's rule (quoted, or up to
// the first blank), then the one blank that separates it from the
// arguments. Any further blanks belong to the arguments: the core reads the
// host handle from a fixed character position of the untrimmed text.
std::string Win32Platform::CommandLine() {
    const wchar_t* line = GetCommandLineW();
    if (line == nullptr) return {};
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
    }
    if (*p == L' ' || *p == L'\t') ++p;
    return Narrow(p);
}

std::string Win32Platform::SettingsFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return ".";
        if (length < path.size()) {
            std::wstring module(path.data(), length);
            const auto slash = module.find_last_of(L"\\/");
            return Narrow(slash == std::wstring::npos ? std::wstring(L".") : module.substr(0, slash));
        }
        path.resize(path.size() * 2);
    }
}

char Win32Platform::PathSeparator() { return '\\'; }

namespace {

int ScreenDpi(int axis) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// A system function by name: nullptr on a system too old to have it.
template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) handle = LoadLibraryW(module);
    return handle == nullptr ? nullptr : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

}  // namespace

// Windows 10 1607 on answer for the window itself, whatever the program's
// awareness; Windows 8.1 only through its monitor, which is right only for a
// per-monitor aware program (a system-aware one is drawn at the system DPI
// and scaled by the system).
int WindowDpi(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    static const auto for_window = SystemFunction<ForWindow>(L"user32.dll", "GetDpiForWindow");
    if (for_window != nullptr) return static_cast<int>(for_window(window));
    using ProcessAwareness = HRESULT(WINAPI*)(HANDLE, int*);
    using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto awareness = SystemFunction<ProcessAwareness>(L"shcore.dll", "GetProcessDpiAwareness");
    static const auto for_monitor = SystemFunction<ForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    int aware = 0;
    UINT x = 0, y = 0;
    // PROCESS_PER_MONITOR_DPI_AWARE (2); MDT_EFFECTIVE_DPI (0).
    if (awareness == nullptr || for_monitor == nullptr || awareness(nullptr, &aware) != S_OK || aware != 2) return 0;
    if (for_monitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y) != S_OK) return 0;
    return static_cast<int>(x);
}

std::string ThreadDpiAwareness() {
    using Current = HANDLE(WINAPI*)();
    using Equal = BOOL(WINAPI*)(HANDLE, HANDLE);
    static const auto current = SystemFunction<Current>(L"user32.dll", "GetThreadDpiAwarenessContext");
    static const auto equal = SystemFunction<Equal>(L"user32.dll", "AreDpiAwarenessContextsEqual");
    if (current == nullptr || equal == nullptr) return IsProcessDPIAware() ? "system" : "unaware";
    // DPI_AWARENESS_CONTEXT_UNAWARE (-1) to _PER_MONITOR_AWARE_V2 (-4), V2
    // first: a system that knows no V2 (Wine 8) takes both for one.
    const char* const names[] = {"unaware", "system", "permonitor", "permonitorv2"};
    for (int i = 3; i >= 0; --i)
        if (equal(current(), reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1 - i)))) return names[i];
    return "other";
}

// The screen's factors, or the dialog's own: its window's DPI from its start.
float Win32Platform::TwipsPerPixelX() {
    return 1440.0f / static_cast<float>(dialog_dpi_[0] > 0 ? dialog_dpi_[0] : ScreenDpi(LOGPIXELSX));
}
float Win32Platform::TwipsPerPixelY() {
    return 1440.0f / static_cast<float>(dialog_dpi_[1] > 0 ? dialog_dpi_[1] : ScreenDpi(LOGPIXELSY));
}

// Twips back to whole pixels, a half going to the even neighbour as every
// real stored into an integer does in this program.
int Win32Platform::PixelsFromTwipsX(float twips) {
    return static_cast<int>(std::nearbyint(double{twips} / double{TwipsPerPixelX()}));
}
int Win32Platform::PixelsFromTwipsY(float twips) {
    return static_cast<int>(std::nearbyint(double{twips} / double{TwipsPerPixelY()}));
}

ScreenMetrics Win32Platform::Screen() {
    const float tx = TwipsPerPixelX();
    const float ty = TwipsPerPixelY();
    if (monitor_)
        return {tx * static_cast<float>(monitor_->width()), ty * static_cast<float>(monitor_->height()), tx, ty};
    return {tx * static_cast<float>(GetSystemMetrics(SM_CXSCREEN)),
            ty * static_cast<float>(GetSystemMetrics(SM_CYSCREEN)), tx, ty};
}

namespace {

BOOL CALLBACK NoteMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*clip*/, LPARAM found) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<Rect>*>(found)->push_back(
            Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom});
    return TRUE;
}

}  // namespace

std::vector<Rect> MonitorRects() {
    std::vector<Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &NoteMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void Win32Platform::ProcessPendingEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to take: the loop that follows must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::uint64_t Win32Platform::ClockReading() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart);
}

WindowHandle Win32Platform::FindWindowByCaption(std::string_view caption) {
    const std::wstring wide = Widen(caption);
    return reinterpret_cast<WindowHandle>(FindWindowW(nullptr, wide.c_str()));
}

bool Win32Platform::GetWindowRect(WindowHandle window, Rect& rect) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    RECT r;
    if (window == 0 || !IsWindow(hwnd) || !::GetWindowRect(hwnd, &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

// The profile file: the system's own reader and writer, wide versions, so a
// folder with any name works.
std::int32_t Win32Platform::ProfileGetInt(std::string_view section, std::string_view key, std::int32_t fallback,
                                          const std::string& path) {
    const std::wstring wsection = Widen(section), wkey = Widen(key), wpath = Widen(path);
    return static_cast<std::int32_t>(GetPrivateProfileIntW(wsection.c_str(), wkey.c_str(), fallback, wpath.c_str()));
}

// One call of the system's writer per key (it has no call for several); the
// file's buffers are then flushed once. Its folder is flushed too where the
// file system allows a folder to be opened for that (NTFS does), which the
// save does not need: the system's writer rewrites the file in place, with
// no rename to keep.
bool Win32Platform::ProfileWriteStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                        const std::string& path) {
    const std::wstring wsection = Widen(section), wpath = Widen(path);
    for (const ProfileEntry& entry : entries) {
        const std::wstring wkey = Widen(entry.key), wvalue = Widen(entry.value);
        if (!WritePrivateProfileStringW(wsection.c_str(), wkey.c_str(), wvalue.c_str(), wpath.c_str())) return false;
    }
    HANDLE file = CreateFileW(wpath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != FALSE;
    CloseHandle(file);
    const std::size_t slash = wpath.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        HANDLE folder = CreateFileW(wpath.substr(0, slash).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder != INVALID_HANDLE_VALUE) {
            FlushFileBuffers(folder);
            CloseHandle(folder);
        }
    }
    return flushed;
}

}  // namespace nyamo
