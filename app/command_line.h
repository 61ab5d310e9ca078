#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace nyamo {

struct ParsedCommandLine {
    std::string mode_switch;  // at most two characters (UTF-8), e.g. "/s"
    std::int32_t host_handle = 0;
};

// The switch is the first two characters after leading spaces; the host
// handle is the decimal number read from the fourth character of the
// untrimmed line on, rounded half to even. A handle beyond 32 bits raises
// an overflow.
ParsedCommandLine ParseCommandLine(std::string_view command_line);

}  // namespace nyamo
