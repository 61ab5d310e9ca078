#include "app/command_line.h"

#include "base/numbers.h"

namespace nyamo {

ParsedCommandLine ParseCommandLine(std::string_view command_line) {
    ParsedCommandLine parsed;
    const std::size_t first = command_line.find_first_not_of(' ');
    if (first != std::string_view::npos) parsed.mode_switch = std::string(command_line.substr(first, 2));
    const std::string_view handle_text = command_line.size() > 3 ? command_line.substr(3) : std::string_view{};
    parsed.host_handle = ToInt32(ReadDecimal(handle_text));
    return parsed;
}

}  // namespace nyamo
