#include "settings/NumberText.h"

#include <cctype>
#include <cstdlib>
#include <limits>

namespace {

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parseNumberText(const char* text, float& value)
{
    if (text == nullptr) {
        return false;
    }
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseNumberText(const char* text, std::uint32_t& value)
{
    if (text == nullptr) {
        return false;
    }
    const char* cursor = text;
    while (std::isspace(static_cast<unsigned char>(*cursor))) {
        ++cursor;
    }
    const bool negative = *cursor == '-';
    if (*cursor == '-' || *cursor == '+') {
        ++cursor;
    }
    if (!isDecimalDigit(*cursor)) {
        return false;
    }
    std::uint64_t magnitude = 0;
    for (; isDecimalDigit(*cursor); ++cursor) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(*cursor - '0');
        if (magnitude > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    const auto magnitude32 = static_cast<std::uint32_t>(magnitude);
    value = negative ? 0u - magnitude32 : magnitude32;
    return true;
}
