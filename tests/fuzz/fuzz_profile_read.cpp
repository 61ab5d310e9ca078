// libFuzzer target: the profile reader on any bytes. Besides running clean
// under the sanitizers, its two views agree: a key without a value text gives
// the default, whatever the default is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    for (const std::string_view key : {"CatNum", "SaverType", "SaverSpeed"}) {
        const auto text = nyamo::ProfileValueText(file, "Nyamo Saver", key);
        const std::int32_t a = nyamo::ProfileInt(file, "Nyamo Saver", key, 12345);
        const std::int32_t b = nyamo::ProfileInt(file, "Nyamo Saver", key, -777);
        if (!text && (a != 12345 || b != -777)) std::abort();
        // A default only shows through for an empty value; otherwise both
        // readings are the number and agree.
        if (text && a != b && !(a == 12345 && b == -777)) std::abort();
    }
    return 0;
}
