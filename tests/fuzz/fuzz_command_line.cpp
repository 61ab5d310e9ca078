// libFuzzer target: the command line with its handle reader. Any bytes give a
// switch of at most two characters, taken from the start of the line after
// its leading blanks, and a handle, or an overflow or invalid-operation
// error; never a crash, a sanitizer report or another exception.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"
#include "base/runtime_error.h"
#include "base/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    try {
        const nyamo::ParsedCommandLine parsed = nyamo::ParseCommandLine(line);
        const std::size_t first = line.find_first_not_of(' ');
        const std::string_view rest = first == std::string_view::npos ? std::string_view{} : line.substr(first);
        if (!rest.starts_with(parsed.mode_switch)) std::abort();
        if (nyamo::Utf8Offset(parsed.mode_switch, 2) != parsed.mode_switch.size()) std::abort();
        if (parsed.mode_switch.size() < std::min<std::size_t>(rest.size(), 2)) std::abort();
    } catch (const nyamo::RunTimeError& e) {
        if (e.code() != nyamo::ErrorCode::Overflow && e.code() != nyamo::ErrorCode::InvalidOperation) std::abort();
    }
    return 0;
}
