// libFuzzer target: one edit of a profile file. The input is three lengths,
// a section, a key and a value of those lengths, then the file. An edit
// that can be written must read back as written; the file keeps its
// encoding; the change is one contiguous splice (every other byte stays);
// and every other key of the sections involved reads as before.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/profile_text.h"

namespace {

bool SameAscii(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t lengths[3] = {data[0] % 16u, data[1] % 16u, data[2] % 32u};
    std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t n = std::min(lengths[i], rest.size());
        parts[i] = rest.substr(0, n);
        rest.remove_prefix(n);
    }
    const auto [section, key, value] = parts;
    const std::string_view before = rest;
    const auto after = nyamo::SetProfileValue(before, section, key, value, "\n");
    if (!after) {
        if (nyamo::CanWriteProfileValue(section, key, value)) std::abort();
        return 0;
    }
    if (nyamo::ProfileValueText(*after, section, key) != std::string(value)) std::abort();
    if (!before.empty() && nyamo::DetectEncoding(*after) != nyamo::DetectEncoding(before)) std::abort();

    // One splice: what is not the common beginning or end was inserted.
    std::size_t head = 0;
    while (head < before.size() && head < after->size() && before[head] == (*after)[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after->size() - head &&
           before[before.size() - 1 - tail] == (*after)[after->size() - 1 - tail])
        ++tail;
    if (head + tail < before.size()) {
        // Only the old value's own bytes may go.
        const auto old_value = nyamo::ProfileValueText(before, section, key);
        if (!old_value || before.size() - head - tail > old_value->size() * 2) std::abort();
    }

    for (const std::string_view other_section : {section, std::string_view("Nyamo Saver"), std::string_view("S")}) {
        for (const std::string_view other_key : {std::string_view("CatNum"), std::string_view("K"), key}) {
            if (SameAscii(other_section, section) && SameAscii(other_key, key)) continue;
            if (nyamo::ProfileValueText(before, other_section, other_key) !=
                nyamo::ProfileValueText(*after, other_section, other_key))
                std::abort();
        }
    }
    return 0;
}
