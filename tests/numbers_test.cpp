#include "base/numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/random.h"
#include "base/runtime_error.h"

namespace nyamo {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

ErrorCode ErrorOf(auto&& action) {
    try {
        action();
    } catch (const RunTimeError& e) {
        return e.code();
    }
    ADD_FAILURE() << "no run-time error";
    return ErrorCode::InvalidOperation;
}

TEST(CheckedArithmetic, OverflowRaisesInsteadOfWrapping) {
    EXPECT_EQ(Add32(kMax - 1, 1), kMax);
    EXPECT_EQ(Sub32(kMin + 1, 1), kMin);
    EXPECT_EQ(Mul32(-46341, 46340), -2147441940);
    EXPECT_EQ(ErrorOf([] { Add32(kMax, 1); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { Sub32(kMin, 1); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { Mul32(65536, 32768); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt16(32768); }), ErrorCode::Overflow);
    EXPECT_EQ(ToInt16(-32768), -32768);
}

TEST(CheckedArithmetic, IndicesOutsideZeroToFiftyAreSubscriptErrors) {
    EXPECT_EQ(CatIndex(0), 0u);
    EXPECT_EQ(CatIndex(50), 50u);
    EXPECT_EQ(ErrorOf([] { CatIndex(51); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([] { CatIndex(-1); }), ErrorCode::SubscriptOutOfRange);
}

TEST(CheckedArithmetic, RealFaultsAreErrors) {
    EXPECT_EQ(ErrorOf([] { CheckedDivide(1, 0); }), ErrorCode::DivisionByZero);
    EXPECT_EQ(ErrorOf([] { CheckedDivide(0, 0); }), ErrorCode::InvalidOperation);
    EXPECT_EQ(ErrorOf([] { CheckedReal(std::numeric_limits<double>::infinity()); }), ErrorCode::Overflow);
    EXPECT_DOUBLE_EQ(CheckedDivide(768, 21), 768.0 / 21);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(ToInt32(12.5), 12);
    EXPECT_EQ(ToInt32(13.5), 14);
    EXPECT_EQ(ToInt32(-12.5), -12);
    EXPECT_EQ(ToInt32(-13.5), -14);
    EXPECT_EQ(ToInt32(0.5), 0);
    EXPECT_EQ(ToInt32(1.5), 2);
    EXPECT_EQ(ToInt32(2.4999), 2);
    EXPECT_EQ(ToInt32(2147483647.4), kMax);
    EXPECT_EQ(ToInt32(-2147483648.4), kMin);
    EXPECT_EQ(ErrorOf([] { ToInt32(2147483647.5); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(-2147483648.6); }), ErrorCode::Overflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(std::numeric_limits<double>::quiet_NaN()); }), ErrorCode::InvalidOperation);
}

TEST(DecimalReading, BlanksAreIgnoredAndReadingStopsAtTheFirstForeignCharacter) {
    EXPECT_EQ(ReadDecimal(""), 0);
    EXPECT_EQ(ReadDecimal("abc"), 0);
    EXPECT_EQ(ReadDecimal(" 1234"), 1234);
    EXPECT_EQ(ReadDecimal("1 2\t3\n4"), 1234);
    EXPECT_EQ(ReadDecimal("12ab34"), 12);
    EXPECT_EQ(ReadDecimal("12.5"), 12.5);
    EXPECT_EQ(ReadDecimal("-7"), -7);
    EXPECT_EQ(ReadDecimal("- 7"), -7);
    EXPECT_EQ(ReadDecimal("1e3"), 1000);
    EXPECT_EQ(ReadDecimal("1e"), 1);
    EXPECT_EQ(ReadDecimal("3.x"), 3);
    EXPECT_EQ(ReadDecimal("\r12"), 0);  // a carriage return is not a blank here
    EXPECT_EQ(ReadDecimal(".5"), 0.5);
}

TEST(DecimalReading, HugeNumbersBecomeInfinityAndOverflowOnStore) {
    const std::string digits(5000, '9');
    EXPECT_EQ(ReadDecimal(digits), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal("1e999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadDecimal("1e-999"), 0);
    // Long exponents and long fractions are followed to their true value.
    EXPECT_EQ(ReadDecimal("1e000000000009"), 1e9);
    EXPECT_EQ(ReadDecimal("1e-000000000000000000003"), 1e-3);
    EXPECT_EQ(ReadDecimal("0." + std::string(360, '0') + "1"), 0);
    EXPECT_EQ(ReadDecimal("0." + std::string(300, '0') + "1e301"), 1);
    EXPECT_EQ(ReadDecimal(std::string(400, '0') + "12.5"), 12.5);
    EXPECT_EQ(ReadDecimal("1" + std::string(400, '0') + "e-400"), 1);
    EXPECT_EQ(ReadDecimal("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
    // Digits beyond the ones that can matter still round the value right.
    EXPECT_EQ(ReadDecimal("2147483647." + std::string(900, '4') + "9"), 2147483647.4444444);
    EXPECT_EQ(ErrorOf([&] { ToInt32(ReadDecimal(digits)); }), ErrorCode::Overflow);
}

TEST(NumberTexts, ValueTextReservesTheSignPlace) {
    EXPECT_EQ(SignReservingText(20), " 20");
    EXPECT_EQ(SignReservingText(5), " 5");
    EXPECT_EQ(SignReservingText(0), " 0");
    EXPECT_EQ(SignReservingText(-3), "-3");
    EXPECT_EQ(PlainText(7), "7");
    EXPECT_EQ(PlainText(-7), "-7");
    EXPECT_EQ(PlainText(kMin), "-2147483648");
}

TEST(RandomSource, DrawsLieInTheUnitIntervalAndSpreadEvenly) {
    Random random(42);
    int buckets[10] = {};
    for (int i = 0; i < 100000; ++i) {
        const float r = random.NextSingle();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        ++buckets[static_cast<int>(r * 10)];
    }
    for (int count : buckets) EXPECT_NEAR(count, 10000, 500);
}

TEST(RandomSource, ReseedingWithAnUnchangedClockStillGivesNewDraws) {
    Random random(1);
    random.Reseed(1000);
    const float first = random.NextSingle();
    random.Reseed(1000);
    const float second = random.NextSingle();
    EXPECT_NE(first, second);

    // The same seed and clock readings give the same sequence.
    Random a(7), b(7);
    a.Reseed(5);
    b.Reseed(5);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(a.NextSingle(), b.NextSingle());
}

}  // namespace
}  // namespace nyamo
