#include "base/numbers.h"

#include <algorithm>
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

// Far beyond any exponent a double can show, and far from overflowing.
constexpr std::int64_t kExponentCeiling = std::int64_t{1} << 40;
// More significant digits than can ever decide the rounding of a double.
constexpr std::size_t kSignificantDigits = 780;

// digits × 10^exponent, correctly rounded; infinity beyond the largest
// double, 0 below the smallest.
double DecimalValue(std::string digits, std::int64_t exponent) {
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0.0;
    digits.erase(0, first);
    if (digits.size() > kSignificantDigits) {
        // The dropped digits only matter as "something after": one sticky 1.
        const bool rest = digits.find_first_not_of('0', kSignificantDigits) != std::string::npos;
        exponent += static_cast<std::int64_t>(digits.size() - kSignificantDigits);
        digits.resize(kSignificantDigits);
        if (rest) {
            digits += '1';
            --exponent;
        }
    }
    // The power of ten of the leading digit decides the far ends.
    const std::int64_t magnitude = exponent + static_cast<std::int64_t>(digits.size()) - 1;
    if (magnitude > 400) return std::numeric_limits<double>::infinity();
    if (magnitude < -400) return 0.0;
    const std::string number = digits + "e" + std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

}  // namespace

double ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    auto peek = [&]() -> char {
        while (i < text.size() && IsIgnoredBlank(text[i])) ++i;
        return i < text.size() ? text[i] : '\0';
    };
    bool negative = false;
    if (peek() == '-' || peek() == '+') negative = text[i++] == '-';
    // The digits without the point, and how far the point stands from their end.
    std::string digits;
    std::int64_t point_shift = 0;
    while (IsDigit(peek())) digits += text[i++];
    if (peek() == '.') {
        ++i;
        while (IsDigit(peek())) {
            digits += text[i++];
            --point_shift;
        }
    }
    if (digits.empty()) return 0.0;
    std::int64_t exponent = 0;
    const char e = peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        // Taken only when digits follow; otherwise the letter ends the number.
        // Every digit counts however many there are: the value saturates far
        // beyond the range of a double instead of dropping digits.
        const std::size_t mark = i;
        ++i;
        bool exponent_negative = false;
        if (peek() == '-' || peek() == '+') exponent_negative = text[i++] == '-';
        bool exponent_digits = false;
        while (IsDigit(peek())) {
            exponent = std::min<std::int64_t>(exponent * 10 + (text[i++] - '0'), kExponentCeiling);
            exponent_digits = true;
        }
        if (!exponent_digits) {
            i = mark;
            exponent = 0;
        } else if (exponent_negative) {
            exponent = -exponent;
        }
    }
    return (negative ? -1.0 : 1.0) * DecimalValue(digits, point_shift + exponent);
}

std::string PlainText(std::int32_t value) { return std::to_string(value); }

std::string SignReservingText(std::int32_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace nyamo
