#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/runtime_error.h"

namespace nyamo {

RunTimeError::RunTimeError(ErrorCode code)
    : std::runtime_error(code == ErrorCode::Overflow              ? "Overflow"
                         : code == ErrorCode::SubscriptOutOfRange ? "Subscript out of range"
                         : code == ErrorCode::DivisionByZero      ? "Division by zero"
                                                                  : "Invalid procedure call"),
      code_(code) {}

std::int32_t Add32(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r)) throw RunTimeError(ErrorCode::Overflow);
    return r;
}

std::int32_t Sub32(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_sub_overflow(a, b, &r)) throw RunTimeError(ErrorCode::Overflow);
    return r;
}

std::int32_t Mul32(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r)) throw RunTimeError(ErrorCode::Overflow);
    return r;
}

std::int32_t ToInt32(double value) {
    if (std::isnan(value)) throw RunTimeError(ErrorCode::InvalidOperation);
    // nearbyint honours the default rounding mode, round-to-nearest-even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw RunTimeError(ErrorCode::Overflow);
    return static_cast<std::int32_t>(rounded);
}

std::int16_t ToInt16(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw RunTimeError(ErrorCode::Overflow);
    return static_cast<std::int16_t>(value);
}

double CheckedDivide(double a, double b) {
    if (b == 0.0) throw RunTimeError(a == 0.0 ? ErrorCode::InvalidOperation : ErrorCode::DivisionByZero);
    return CheckedReal(a / b);
}

double CheckedReal(double value) {
    if (std::isnan(value)) throw RunTimeError(ErrorCode::InvalidOperation);
    if (std::isinf(value)) throw RunTimeError(ErrorCode::Overflow);
    return value;
}

std::size_t CatIndex(std::int32_t index) {
    if (index < 0 || index > 50) throw RunTimeError(ErrorCode::SubscriptOutOfRange);
    return static_cast<std::size_t>(index);
}

namespace {

bool IsIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ReadDecimal(std::string_view text) {
    // Gather the characters that form the number, skipping blanks, then let
    // from_chars (locale-free) turn them into a double.
    std::string number;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && IsIgnoredBlank(text[i])) ++i;
    };
    auto peek = [&]() -> char {
        skip();
        return i < text.size() ? text[i] : '\0';
    };
    bool negative = false;
    if (peek() == '-' || peek() == '+') {
        negative = text[i] == '-';
        ++i;
    }
    bool digits = false;
    while (IsDigit(peek())) {
        number += text[i++];
        digits = true;
    }
    if (peek() == '.') {
        ++i;
        number += '.';
        while (IsDigit(peek())) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0.0;
    const char e = peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        // Take the exponent only when digits follow it; otherwise the letter
        // ends the number.
        const std::size_t mark = i;
        ++i;
        std::string exponent = "e";
        if (peek() == '-' || peek() == '+') exponent += text[i++];
        bool exponent_digits = false;
        while (IsDigit(peek())) {
            if (exponent.size() < 12) exponent += text[i];
            ++i;
            exponent_digits = true;
        }
        if (exponent_digits)
            number += exponent;
        else
            i = mark;
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a double: infinity, which any later conversion to an
        // integer reports as an overflow. Too small: zero.
        const bool huge = number.find('e') == std::string::npos || number.find("e-") == std::string::npos;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::string PlainText(std::int32_t value) { return std::to_string(value); }

std::string SignReservingText(std::int32_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace nyamo
