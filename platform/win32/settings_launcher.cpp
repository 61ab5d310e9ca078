// NyamoSettings.exe: opens the settings of the Nyamo_07.scr that lies in the
// same folder, as the Start-menu entry of the installer. CreateProcess runs
// the .scr as the program it is, with /c, whatever the shell's association
// for screen savers says; the shell would run it full screen instead.
//
// Exit status: the settings program's own when it could be started (this
// program waits for it, so a caller sees when the dialog has closed); 1 with
// a message when the .scr is missing or cannot be started.
//
// Plain Win32 and fixed buffers: the C++ library would make this helper half
// the size of the saver.
#include <windows.h>

namespace {

// Long paths (\\?\ and up to 32767 characters) are allowed on Windows.
constexpr DWORD kPathChars = 32768;
constexpr wchar_t kScr[] = L"Nyamo_07.scr";

// The message names the path; wsprintfW cuts a long one at 1024 characters.
int refuse(const wchar_t* scr, DWORD error) {
    wchar_t text[1024];
    wsprintfW(text, L"Nyamo's settings cannot be opened: \"%s\" could not be started (error %lu). "
                    L"Installing Nyamo again puts it back.",
              scr, static_cast<unsigned long>(error));
    MessageBoxW(nullptr, text, L"Nyamo", MB_OK | MB_ICONERROR);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The .scr's path: this program's own with its file name replaced.
    static wchar_t scr[kPathChars + ARRAYSIZE(kScr)];
    DWORD length = GetModuleFileNameW(nullptr, scr, kPathChars);
    if (length == 0 || length >= kPathChars) return refuse(kScr, GetLastError());
    wchar_t* name = scr + length;
    while (name > scr && name[-1] != L'\\') --name;
    lstrcpyW(name, kScr);

    // "<scr>" /c, and the folder to start it in.
    // (wsprintfW stops at 1024 characters: too short for a long path.)
    static wchar_t command[ARRAYSIZE(scr) + 6];
    lstrcpyW(command, L"\"");
    lstrcatW(command, scr);
    lstrcatW(command, L"\" /c");
    static wchar_t folder[ARRAYSIZE(scr)];
    lstrcpynW(folder, scr, static_cast<int>(name - scr) + 1);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(scr, command, nullptr, nullptr, FALSE, 0, nullptr, folder[0] ? folder : nullptr, &startup,
                        &process)) {
        return refuse(scr, GetLastError());
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
