// The system's own reading and writing of Nyamo_07.ini, for the Wine suite's
// comparison with the portable reader (tests/profile_check_native.cpp takes
// the same arguments and prints the same lines).
//
//   profile_check read <file>...                      one line per file:
//       "<CatNum> <SaverType> <SaverSpeed>", the raw values with defaults 20, 1, 5
//   profile_check write <CatNum> <SaverType> <SaverSpeed> <file>...
//       into each file the three keys one by one, as the saver saves them
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr const wchar_t* kSection = L"Nyamo Saver";
constexpr const wchar_t* kKeys[3] = {L"CatNum", L"SaverType", L"SaverSpeed"};
constexpr int kDefaults[3] = {20, 1, 5};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wcscmp(argv[1], L"read") == 0) {
        for (int i = 2; i < argc; ++i) {
            int values[3];
            for (int k = 0; k < 3; ++k)
                values[k] = static_cast<int>(GetPrivateProfileIntW(kSection, kKeys[k], kDefaults[k], argv[i]));
            std::printf("%d %d %d\n", values[0], values[1], values[2]);
        }
        return 0;
    }
    if (argc >= 6 && std::wcscmp(argv[1], L"write") == 0) {
        bool ok = true;
        for (int i = 5; i < argc; ++i)
            for (int k = 0; k < 3; ++k) ok = WritePrivateProfileStringW(kSection, kKeys[k], argv[2 + k], argv[i]) && ok;
        return ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: profile_check read <file>... | write <CatNum> <SaverType> <SaverSpeed> <file>...\n");
    return 2;
}
