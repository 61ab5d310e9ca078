#include "app/command_line.h"

#include "base/numbers.h"
#include "base/utf8.h"

namespace nyamo {

ParsedCommandLine ParseCommandLine(std::string_view command_line) {
    ParsedCommandLine parsed;
    // Positions count characters, not bytes: a Japanese character among the
    // first three shifts neither the switch nor the handle.
    const std::size_t first = command_line.find_first_not_of(' ');
    if (first != std::string_view::npos) {
        const std::string_view rest = command_line.substr(first);
        parsed.mode_switch = std::string(rest.substr(0, Utf8Offset(rest, 2)));
    }
    const std::string_view handle_text = command_line.substr(Utf8Offset(command_line, 3));
    parsed.host_handle = ToInt32(ReadDecimal(handle_text));
    return parsed;
}

}  // namespace nyamo
