// Checked integer arithmetic, rounding and number texts with the program's
// rules: every signed 32-bit sum, difference and product is checked, a real
// stored into an integer rounds half to even, and any violation raises a
// RunTimeError instead of wrapping or invoking undefined behaviour.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nyamo {

std::int32_t Add32(std::int32_t a, std::int32_t b);
std::int32_t Sub32(std::int32_t a, std::int32_t b);
std::int32_t Mul32(std::int32_t a, std::int32_t b);

// Round half to even into a signed 32-bit or 16-bit integer; a value out of
// range, infinite or not a number is an overflow.
std::int32_t ToInt32(double value);
std::int16_t ToInt16(std::int32_t value);

// The quotient a / b of reals; a zero divisor, an infinite or invalid result
// is a run-time error.
double CheckedDivide(double a, double b);
// A real result that must be finite (products and sums of the size arithmetic).
double CheckedReal(double value);

// Index into one of the fixed 51-entry arrays (0 to 50).
std::size_t CatIndex(std::int32_t index);

// Read a decimal number the way the command line is read: blanks, tabs and
// line feeds are ignored wherever they stand, an optional sign, digits, a
// decimal point and an exponent are taken, reading stops at the first
// character that cannot continue the number, and a text without digits gives 0.
double ReadDecimal(std::string_view text);

// "-7", "0", "30": the plain decimal text of a value.
std::string PlainText(std::int32_t value);
// " 20", "-3": a blank stands in place of the plus sign.
std::string SignReservingText(std::int32_t value);

}  // namespace nyamo
