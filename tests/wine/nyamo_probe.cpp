// nyamo_probe: the Windows side of the Wine suite. Run under Wine, it looks
// at Nyamo's windows from outside, as the screen-saver host and a user see
// them, and drives them with messages; run-wine-suite.sh calls one command
// at a time and judges the printed facts.
//
// Its commands, their arguments and what each does are the table at the end
// (Commands); captions and texts are UTF-8 on the command line.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// Text of a window of any process: WM_GETTEXT is marshalled across.
std::string TextOf(HWND window) {
    wchar_t buffer[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return Narrow(buffer);
}

std::string ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return Narrow(buffer);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void SleepPumping(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Pump();
        Sleep(10);
    }
}

HWND Find(const char* caption) {
    const std::wstring wide = Widen(caption);
    return FindWindowW(nullptr, wide.c_str());
}

HWND FocusOf(HWND window);

// With keyboard, the window must also be the one a key sent now reaches:
// the foreground window, its thread's focus on it or one of its children.
HWND WaitVisible(const char* caption, DWORD ms, bool keyboard = false) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = Find(caption);
        HWND focus = window != nullptr && keyboard ? FocusOf(window) : nullptr;
        if (window != nullptr && IsWindowVisible(window) &&
            (!keyboard || (GetForegroundWindow() == window && (focus == window || IsChild(window, focus)))))
            return window;
        if (GetTickCount() - start >= ms) return nullptr;
        SleepPumping(20);
    }
}

HWND Need(const char* caption) {
    HWND window = Find(caption);
    if (window == nullptr) {
        std::printf("no window captioned %s\n", caption);
        std::exit(2);
    }
    return window;
}

void PrintRect(const char* name, const RECT& r) {
    std::printf("%s=%ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

// The window's own icon, as the taskbar asks for it (class data is not
// readable from another process).
bool HasIcon(HWND window) {
    DWORD_PTR big = 0, small = 0;
    SendMessageTimeoutW(window, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 2000, &big);
    SendMessageTimeoutW(window, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, 2000, &small);
    return big != 0 && small != 0;
}

int Info(const char* caption) {
    HWND window = Need(caption);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("class=%s\n", ClassOf(window).c_str());
    std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("pid=%lu\n", pid);
    PrintRect("rect", outer);
    std::printf("client=%ld %ld\n", client.right, client.bottom);
    std::printf("client_origin=%ld %ld\n", origin.x, origin.y);
    std::printf("style=%08lx\n", static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_STYLE)));
    std::printf("exstyle=%08lx\n", static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    std::printf("icon=%d\n", HasIcon(window) ? 1 : 0);
    std::printf("owner=%p\n", static_cast<void*>(GetWindow(window, GW_OWNER)));
    std::printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("hscroll_arrow=%d\n", GetSystemMetrics(SM_CXHSCROLL));
    return 0;
}

int Controls(const char* caption) {
    HWND window = Need(caption);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        const auto style = static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE));
        const LRESULT check = SendMessageW(child, BM_GETCHECK, 0, 0);
        std::printf("id=%d class=%s x=%ld y=%ld w=%ld h=%ld style=%08lx checked=%d visible=%d text=[%s]\n",
                    GetDlgCtrlID(child), ClassOf(child).c_str(), r.left - origin.x, r.top - origin.y, r.right - r.left,
                    r.bottom - r.top, style,
                    ClassOf(child) == "Button" || ClassOf(child) == "BUTTON" ? static_cast<int>(check) : -1,
                    IsWindowVisible(child) ? 1 : 0, TextOf(child).c_str());
    }
    return 0;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

int Focus(const char* caption) {
    HWND window = Need(caption);
    HWND focus = FocusOf(window);
    std::printf("%d\n", focus == nullptr ? 0 : GetDlgCtrlID(focus));
    return 0;
}

int Scroll(const char* caption, int id, int code, int pos) {
    HWND window = Need(caption);
    HWND bar = GetDlgItem(window, id);
    if (bar == nullptr) return 2;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(bar), SMTO_ABORTIFHUNG,
                        3000, &result);
    return 0;
}

int Click(const char* caption, int id) {
    HWND window = Need(caption);
    HWND button = GetDlgItem(window, id);
    if (button == nullptr) return 2;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
}

int Close(const char* caption) {
    PostMessageW(Need(caption), WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

// Where a user would click to close the window: the centre of the points of
// the title bar for which the window itself answers HTCLOSE.
int CloseBox(const char* caption) {
    HWND window = Need(caption);
    RECT r;
    GetWindowRect(window, &r);
    long sum_x = 0, sum_y = 0, count = 0;
    for (LONG y = r.top; y < r.top + 40 && y < r.bottom; ++y)
        for (LONG x = r.right - 60; x < r.right; ++x) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
            if (hit == HTCLOSE) {
                sum_x += x;
                sum_y += y;
                ++count;
            }
        }
    if (count == 0) {
        std::printf("no close box\n");
        return 1;
    }
    std::printf("%ld %ld\n", sum_x / count, sum_y / count);
    return 0;
}

int SaverClick(const char* caption) {
    HWND window = Need(caption);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    return 0;
}

HWND FindMessageBox(const char* caption) {
    const std::wstring wide = Widen(caption);
    return FindWindowW(L"#32770", wide.c_str());
}

int MsgBox(const char* caption, DWORD ms) {
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while ((box = FindMessageBox(caption)) == nullptr || !IsWindowVisible(box)) {
        if (GetTickCount() - start >= ms) {
            std::printf("no message box\n");
            return 1;
        }
        SleepPumping(20);
    }
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        std::printf("%s: %s\n", ClassOf(child).c_str(), TextOf(child).c_str());
    return 0;
}

int MsgBoxOk(const char* caption) {
    HWND box = FindMessageBox(caption);
    if (box == nullptr) return 1;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return 0;
}

int MsgBoxAnswer(const char* caption, int id, DWORD ms) {
    const std::wstring wide = Widen(caption);
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", wide.c_str()); box != nullptr;
             box = FindWindowExW(nullptr, box, L"#32770", wide.c_str())) {
            HWND button = GetDlgItem(box, id);
            if (!IsWindowVisible(box) || button == nullptr) continue;
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
                std::printf("%s: %s\n", ClassOf(child).c_str(), TextOf(child).c_str());
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return 0;
        }
        if (GetTickCount() - start >= ms) {
            std::printf("no message box\n");
            return 1;
        }
        SleepPumping(20);
    }
}

struct WindowsOf {
    DWORD pid;
    std::set<HWND>* seen;
};

BOOL CALLBACK NoteWindowOf(HWND window, LPARAM data) {
    auto* w = reinterpret_cast<WindowsOf*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == w->pid && IsWindowVisible(window)) w->seen->insert(window);
    return TRUE;
}

// Start a process with an exact command line and watch it: its exit status
// (or "running"), and how many visible top-level windows it ever showed.
int Run(DWORD ms, const char* program, const char* command_line) {
    std::wstring line = Widen(command_line);
    const std::wstring app = Widen(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("start failed %lu\n", GetLastError());
        return 2;
    }
    std::set<HWND> seen;
    WindowsOf w{process.dwProcessId, &seen};
    const DWORD start = GetTickCount();
    DWORD waited = WAIT_TIMEOUT;
    while (GetTickCount() - start < ms) {
        EnumWindows(&NoteWindowOf, reinterpret_cast<LPARAM>(&w));
        waited = WaitForSingleObject(process.hProcess, 20);
        if (waited == WAIT_OBJECT_0) break;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited == WAIT_OBJECT_0)
        std::printf("exit=%lu\n", code);
    else
        std::printf("exit=running\n");
    std::printf("windows=%zu\n", seen.size());
    for (HWND window : seen) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        std::printf("window=%s\n", Narrow(title).c_str());
    }
    std::printf("ms=%lu\n", GetTickCount() - start);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// The host of a preview, as the display settings page is: a top-level page
// with a small borderless child where the monitor picture goes. The probe
// starts the saver with that child's handle, checks what it embedded, then
// destroys the page and times the saver's end.
struct Hosted {
    HWND page = nullptr;
    HWND host = nullptr;
    PROCESS_INFORMATION process{};
};

bool StartHosted(Hosted& hosted, const char* program, const char* format, int width, int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &HostProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"ProbeHost";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    hosted.page = CreateWindowExW(0, L"ProbeHost", L"Probe display settings", WS_OVERLAPPEDWINDOW, 40, 40, width + 200,
                                  height + 200, nullptr, nullptr, instance, nullptr);
    // Shown without taking the foreground: a running saver would end if it
    // lost the foreground, and the guard checks need it running.
    ShowWindow(hosted.page, SW_SHOWNOACTIVATE);
    hosted.host = CreateWindowExW(0, L"ProbeHost", L"", WS_CHILD | WS_VISIBLE, 50, 60, width, height, hosted.page,
                                  nullptr, instance, nullptr);
    HWND host = hosted.host;
    SleepPumping(200);

    char handle_text[64];
    std::snprintf(handle_text, sizeof handle_text, "%lld",
                  static_cast<long long>(reinterpret_cast<std::intptr_t>(host)));
    std::string command = "\"";
    command += program;
    command += "\" ";
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p == 'H')
            command += handle_text;
        else
            command += *p;
    }
    std::printf("command=%s\n", command.c_str());
    std::wstring line = Widen(command.c_str());
    const std::wstring app = Widen(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &hosted.process)) {
        std::printf("start failed %lu\n", GetLastError());
        return false;
    }
    return true;
}

int Preview(DWORD ms, const char* program, const char* format, int width, int height) {
    Hosted hosted;
    if (!StartHosted(hosted, program, format, width, height)) return 2;
    HWND page = hosted.page, host = hosted.host;
    PROCESS_INFORMATION& process = hosted.process;

    // Wait for the child to appear and to be shown.
    HWND child = nullptr;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        child = GetWindow(host, GW_CHILD);
        if (child != nullptr && IsWindowVisible(child)) break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        SleepPumping(20);
    }
    SleepPumping(300);
    child = GetWindow(host, GW_CHILD);
    DWORD child_pid = 0;
    if (child != nullptr) GetWindowThreadProcessId(child, &child_pid);
    std::printf("child=%d\n", child != nullptr ? 1 : 0);
    if (child != nullptr) {
        RECT r, host_rect;
        GetWindowRect(child, &r);
        GetWindowRect(host, &host_rect);
        std::printf("child_class=%s\n", ClassOf(child).c_str());
        std::printf("child_pid_is_saver=%d\n", child_pid == process.dwProcessId ? 1 : 0);
        std::printf("child_visible=%d\n", IsWindowVisible(child) ? 1 : 0);
        std::printf("child_offset=%ld %ld\n", r.left - host_rect.left, r.top - host_rect.top);
        std::printf("child_size=%ld %ld\n", r.right - r.left, r.bottom - r.top);
        std::printf("child_style=%08lx\n", static_cast<unsigned long>(GetWindowLongPtrW(child, GWL_STYLE)));
        std::printf("child_parent_is_host=%d\n", GetAncestor(child, GA_PARENT) == host ? 1 : 0);
        std::printf("child_caption=%s\n", TextOf(child).c_str());
        std::printf("child_icon=%d\n", HasIcon(child) ? 1 : 0);
    }
    const bool running_before = WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
    std::printf("running_with_host=%d\n", running_before ? 1 : 0);

    // The page goes, and the host with it.
    DestroyWindow(page);
    const DWORD gone = GetTickCount();
    DWORD waited = WAIT_TIMEOUT;
    while (GetTickCount() - gone < ms) {
        waited = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) break;
        Pump();
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited == WAIT_OBJECT_0)
        std::printf("exit_after_host=%lu\nexit_ms=%lu\n", code, GetTickCount() - gone);
    else {
        std::printf("exit_after_host=running\n");
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

// A host that is killed rather than closed: its windows go without any
// message to the saver. Prints "ready" once the preview is in place.
int HostOnly(DWORD ms, const char* program, const char* format, int width, int height) {
    Hosted hosted;
    if (!StartHosted(hosted, program, format, width, height)) return 2;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        HWND child = GetWindow(hosted.host, GW_CHILD);
        if (child != nullptr && IsWindowVisible(child)) break;
        SleepPumping(20);
    }
    std::printf(GetWindow(hosted.host, GW_CHILD) != nullptr ? "ready\n" : "no child\n");
    std::fflush(stdout);
    SleepPumping(ms);
    return 0;
}

std::string VersionString(const std::vector<char>& data, const wchar_t* name) {
    struct Translation {
        WORD language, codepage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return "";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codepage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &size) || value == nullptr) return "";
    return Narrow(value);
}

int Version(const char* file) {
    const std::wstring path = Widen(file);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) {
        std::printf("no version record\n");
        return 1;
    }
    std::vector<char> data(size);
    GetFileVersionInfoW(path.c_str(), 0, size, data.data());
    for (const wchar_t* name :
         {L"OriginalFilename", L"ProductName", L"FileDescription", L"FileVersion", L"ProductVersion", L"InternalName",
          L"CompanyName"})
        std::printf("%s=%s\n", Narrow(name).c_str(), VersionString(data, name).c_str());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) && fixed != nullptr)
        std::printf("fixed=%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                    fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);

    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::printf("icon_group_1=%d\n",
                module != nullptr && FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr ? 1 : 0);
    HRSRC manifest = module != nullptr ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST) : nullptr;
    if (manifest != nullptr) {
        const DWORD length = SizeofResource(module, manifest);
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
        const std::string xml(text, length);
        std::printf("manifest=1\n");
        std::printf("manifest_permonitorv2=%d\n", xml.find("PerMonitorV2, System") != std::string::npos ? 1 : 0);
        std::printf("manifest_asinvoker=%d\n", xml.find("level=\"asInvoker\"") != std::string::npos ? 1 : 0);
        std::printf("manifest_comctl6=%d\n", xml.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                                                     xml.find("version=\"6.0.0.0\"") != std::string::npos
                                                 ? 1
                                                 : 0);
    } else {
        std::printf("manifest=0\n");
    }
    if (module != nullptr) FreeLibrary(module);
    return 0;
}

int Cursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    std::printf("showing=%d\n", (info.flags & CURSOR_SHOWING) != 0 ? 1 : 0);
    std::printf("arrow=%d\n", info.hCursor == LoadCursorW(nullptr, IDC_ARROW) ? 1 : 0);
    std::printf("handle=%p\n", static_cast<void*>(info.hCursor));
    std::printf("pos=%ld %ld\n", info.ptScreenPos.x, info.ptScreenPos.y);
    return 0;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int Fonts() {
    HDC dc = GetDC(nullptr);
    for (const wchar_t* face : {L"ＭＳ Ｐゴシック", L"MS PGothic", L"Noto Sans CJK JP", L"MS Shell Dlg 2", L"Tahoma"}) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(dc, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
        std::printf("%s=%d\n", Narrow(face).c_str(), found ? 1 : 0);
    }
    ReleaseDC(nullptr, dc);
    return 0;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window, message, wparam, lparam);
}

// Another program takes the foreground the way a user's click on it or a
// program that pops up would: a new top-level window, activated. The probe
// window stands away from the pointer's spot so that nothing else changes.
int Steal(const char* caption, DWORD ms) {
    HWND target = Need(caption);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"ProbeForeground";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    HWND mine = CreateWindowExW(0, L"ProbeForeground", L"Probe foreground", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80,
                                nullptr, nullptr, instance, nullptr);
    std::printf("saver_was_foreground=%d\n", GetForegroundWindow() == target ? 1 : 0);
    const DWORD start = GetTickCount();
    ShowWindow(mine, SW_SHOW);
    SetForegroundWindow(mine);
    std::printf("probe_took_foreground=%d\n", GetForegroundWindow() == mine ? 1 : 0);
    while (IsWindow(target) && GetTickCount() - start < ms) SleepPumping(20);
    if (IsWindow(target))
        std::printf("gone=0\n");
    else
        std::printf("gone=1\ngone_ms=%lu\n", GetTickCount() - start);
    DestroyWindow(mine);
    return 0;
}

int Gdi(const char* caption) {
    HWND window = Need(caption);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        std::printf("open failed %lu\n", GetLastError());
        return 1;
    }
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD gdi_error = GetLastError();
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    std::printf("gdi=%lu\ngdi_error=%lu\nuser=%lu\n", gdi, gdi_error, user);
    CloseHandle(process);
    return 0;
}

// The system's message that the window now stands on a monitor of another
// DPI, with its suggested rectangle (left, top, the current size). The
// rectangle is put at one address in the window's process and in this one,
// so that the pointer is good whether Wine hands it over as it is or copies
// what it points to.
int DpiChanged(const char* caption, int dpi, int left, int top) {
    HWND window = Need(caption);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) {
        std::printf("open failed %lu\n", GetLastError());
        return 1;
    }
    RECT outer;
    GetWindowRect(window, &outer);
    const RECT suggested{left, top, left + outer.right - outer.left, top + outer.bottom - outer.top};
    void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    void* local = remote == nullptr ? nullptr
                                    : VirtualAlloc(remote, sizeof suggested, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (local != remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
        std::printf("no shared address for the rectangle\n");
        CloseHandle(process);
        return 1;
    }
    std::memcpy(local, &suggested, sizeof suggested);
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                             reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("sent=%d\n", sent != 0 ? 1 : 0);
    CloseHandle(process);
    return sent != 0 ? 0 : 1;
}

int Display(int width, int height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsW(width > 0 ? &mode : nullptr, 0);
    std::printf("result=%ld\nscreen=%d %d\n", result, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

// A command's arguments, as the command line gave them (after the command).
struct Args {
    std::vector<std::string> words;
    const char* text(std::size_t i) const { return words[i].c_str(); }
    int number(std::size_t i) const { return static_cast<int>(std::strtol(text(i), nullptr, 0)); }
    DWORD ms(std::size_t i) const { return static_cast<DWORD>(number(i)); }
};

int Wait(const Args& a) {
    HWND window = WaitVisible(a.text(0), a.ms(1));
    std::printf(window != nullptr ? "found\n" : "not found\n");
    return window != nullptr ? 0 : 1;
}

int Gone(const Args& a) {
    const DWORD start = GetTickCount();
    while (Find(a.text(0)) != nullptr && GetTickCount() - start < a.ms(1)) SleepPumping(20);
    const bool gone = Find(a.text(0)) == nullptr;
    std::printf(gone ? "gone\n" : "still there\n");
    return gone ? 0 : 1;
}

// A command of one text argument (a caption or a file name).
template <int (*Run)(const char*)>
int OnFirst(const Args& a) { return Run(a.text(0)); }

// The usage names <n> of a required argument and [n] of an optional one;
// a name of TextNames is taken as it is, any other is a number.
struct Command {
    const char* name;
    const char* usage;
    const char* what;
    int (*run)(const Args&);
};
const char* const TextNames[] = {"<caption>", "<program>", "<command-line>", "<format>", "<file>"};

const Command Commands[] = {
    {"wait", "<caption> <ms>", "wait until a visible top-level window has that caption", Wait},
    {"ready", "<caption> <ms>",
     "wait until it is also the foreground window and its thread's keyboard focus is on it or one of its children",
     [](const Args& a) { return WaitVisible(a.text(0), a.ms(1), true) != nullptr ? 0 : 1; }},
    {"gone", "<caption> <ms>", "wait until no window has that caption", Gone},
    {"info", "<caption>", "key=value facts about the window", OnFirst<Info>},
    {"controls", "<caption>", "one line per child control, in z-order (= tab order)", OnFirst<Controls>},
    {"focus", "<caption>", "the id of the control that has the keyboard focus", OnFirst<Focus>},
    {"scroll", "<caption> <id> <code> [pos]", "send WM_HSCROLL for scroll bar <id>",
     [](const Args& a) { return Scroll(a.text(0), a.number(1), a.number(2), a.words.size() > 3 ? a.number(3) : 0); }},
    {"click", "<caption> <id>", "post BM_CLICK to control <id>",
     [](const Args& a) { return Click(a.text(0), a.number(1)); }},
    {"close", "<caption>", "post the close box's command (SC_CLOSE)", OnFirst<Close>},
    {"closebox", "<caption>", "the screen point of the close box (by hit test)", OnFirst<CloseBox>},
    {"saver-click", "<caption>", "post a left button press to the window", OnFirst<SaverClick>},
    {"msgbox", "<caption> <ms>", "wait for a message box, print its texts",
     [](const Args& a) { return MsgBox(a.text(0), a.ms(1)); }},
    {"msgbox-ok", "<caption>", "press the message box's OK", OnFirst<MsgBoxOk>},
    {"msgbox-answer", "<caption> <id> <ms>",
     "wait for a box with button <id> (an installer's question has its window's caption), print its texts, press <id>",
     [](const Args& a) { return MsgBoxAnswer(a.text(0), a.number(1), a.ms(2)); }},
    {"run", "<ms> <program> <command-line>", "start a process, wait, report exit and windows",
     [](const Args& a) { return Run(a.ms(0), a.text(1), a.text(2)); }},
    {"preview", "<ms> <program> <format> <w> <h>", "host a preview, check it, destroy the host",
     [](const Args& a) { return Preview(a.ms(0), a.text(1), a.text(2), a.number(3), a.number(4)); }},
    {"host", "<ms> <program> <format> <w> <h>", "host a preview and keep it until killed",
     [](const Args& a) { return HostOnly(a.ms(0), a.text(1), a.text(2), a.number(3), a.number(4)); }},
    {"version", "<file>", "the version record and resources of a file", OnFirst<Version>},
    {"cursor", "", "facts about the current pointer", [](const Args&) { return Cursor(); }},
    {"fonts", "", "which Japanese faces the system has", [](const Args&) { return Fonts(); }},
    {"steal", "<caption> <ms>", "a probe window takes the foreground; print how long the captioned one stayed",
     [](const Args& a) { return Steal(a.text(0), a.ms(1)); }},
    {"gdi", "<caption>", "GDI and USER object counts of the window's process", OnFirst<Gdi>},
    {"dpi", "<caption> <dpi> <left> <top>", "send WM_DPICHANGED with that DPI and a rectangle at left, top",
     [](const Args& a) { return DpiChanged(a.text(0), a.number(1), a.number(2), a.number(3)); }},
    {"display", "<w> <h>", "change the primary screen's size (0 0: back to the registry's); print the result",
     [](const Args& a) { return Display(a.number(0), a.number(1)); }},
};

// The words fit the usage: as many as its names ask for, and a number
// wherever the name is not one of TextNames.
bool Fits(const Command& command, const Args& args) {
    std::istringstream usage(command.usage);
    std::string name;
    std::size_t count = 0, required = 0;
    for (; usage >> name; ++count) {
        required += name[0] == '<' ? 1 : 0;
        if (count >= args.words.size()) continue;
        char* rest = nullptr;
        std::strtol(args.text(count), &rest, 0);
        const bool number = !args.words[count].empty() && *rest == '\0';
        if (!number && std::find(std::begin(TextNames), std::end(TextNames), name) == std::end(TextNames)) return false;
    }
    return args.words.size() >= required && args.words.size() <= count;
}

int Usage(const char* why) {
    std::fprintf(stderr, "nyamo_probe: %s\nusage: nyamo_probe <command> <arguments>\n", why);
    for (const Command& c : Commands) std::fprintf(stderr, "  %s %s\n      %s\n", c.name, c.usage, c.what);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Narrow(wargv[i]));
    // Per-monitor aware: every size and place read is in the screen's own pixels.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 2) return Usage("no command");
    const Args given{std::vector<std::string>(args.begin() + 2, args.end())};
    for (const Command& command : Commands) {
        if (args[1] != command.name) continue;
        if (!Fits(command, given)) return Usage((args[1] + " takes " + command.usage).c_str());
        const int status = command.run(given);
        std::fflush(stdout);
        return status;
    }
    return Usage(("unknown command " + args[1]).c_str());
}
