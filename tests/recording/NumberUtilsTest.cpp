// Leading-number rule, strict conversions, half-even rounding, integer limits
// and display patterns, each checked on its edge cases and against a simple
// reference (regex + strtod, printf) on random and adversarial input.

#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <regex>
#include <string>

#include "NumberUtils.h"

namespace sevrana {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Reference for the number grammar: a regex picks the number, strtod (C locale,
// as the test runs) converts it. Out-of-range numbers are reported as nullopt
// when they overflow, zero of the right sign when they underflow.
const char* const kNumber = R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)";

std::optional<double> ReferenceConvert(const std::string& number)
{
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;
    return value;
}

std::optional<double> ReferenceVal(const std::string& text)
{
    static const std::regex pattern(std::string("^[ \\t]*(") + kNumber + ")");
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return 0.0;
    return ReferenceConvert(match[1].str());
}

std::optional<double> ReferenceParse(const std::string& text)
{
    static const std::regex pattern(std::string("^[ \\t]*(") + kNumber + ")[ \\t]*$");
    std::smatch match;
    if (!std::regex_match(text, match, pattern)) return std::nullopt;
    return ReferenceConvert(match[1].str());
}

std::string RandomNumberishText(std::mt19937_64& rng)
{
    static const std::string alphabet = "0123456789012345.+-eE \tx";
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (int n = length(rng); n > 0; --n) text += alphabet[pick(rng)];
    return text;
}

double RandomDouble(std::mt19937_64& rng)
{
    // Every bit pattern, so tiny, huge and subnormal values all occur.
    double value;
    do {
        const std::uint64_t bits = rng();
        std::memcpy(&value, &bits, sizeof value);
    } while (!std::isfinite(value));
    return value;
}

bool SameDouble(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

// ---- Val ------------------------------------------------------------------

TEST(Val, ReadsTheLongestLeadingNumber)
{
    EXPECT_EQ(Val("6A"), 6.0);
    EXPECT_EQ(Val("  -1.5e2x"), -150.0);
    EXPECT_EQ(Val("\t 12"), 12.0);
    EXPECT_EQ(Val("0007"), 7.0);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("5."), 5.0);
    EXPECT_EQ(Val("+3"), 3.0);
    EXPECT_EQ(Val("1.5.3"), 1.5);
    EXPECT_EQ(Val("2E-3"), 0.002);
    EXPECT_EQ(Val("2e+3,7"), 2000.0);
}

TEST(Val, NoNumberGivesZero)
{
    for (const char* text : {"", "   ", "e5", "A6", ".", "-", "+.", "-.e5", "--5", "- 5", "x1"}) {
        EXPECT_EQ(Val(text), 0.0) << '"' << text << '"';
    }
}

TEST(Val, ExponentOnlyWithDigits)
{
    EXPECT_EQ(Val("1e"), 1.0);
    EXPECT_EQ(Val("1e+"), 1.0);
    EXPECT_EQ(Val("1E-x"), 1.0);
    EXPECT_EQ(Val("1e 5"), 1.0);
}

TEST(Val, BlanksInsideEndTheNumber)
{
    EXPECT_EQ(Val("1 2"), 1.0);
    EXPECT_EQ(Val("\n5"), 0.0);  // only spaces and tabs are skipped
}

TEST(Val, OverflowIsAnErrorUnderflowIsZero)
{
    EXPECT_THROW(Val("1e999"), ConversionError);
    EXPECT_THROW(Val("-1e309"), ConversionError);
    EXPECT_THROW(Val("1e99999999999999999999"), ConversionError);
    EXPECT_TRUE(SameDouble(Val("1e-400"), 0.0));
    EXPECT_TRUE(SameDouble(Val("-1e-400"), -0.0));
    EXPECT_EQ(Val("0e99999"), 0.0);
    EXPECT_EQ(Val("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(Val("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
}

TEST(Val, ConvertsExactly)
{
    EXPECT_EQ(Val("0.1"), 0.1);
    EXPECT_EQ(Val("9007199254740993"), 9007199254740992.0);  // tie to even
    EXPECT_EQ(Val("2.2250738585072011e-308"), 2.2250738585072011e-308);
    EXPECT_EQ(Val("1" + std::string(400, '0') + "e-400"), 1.0);
    EXPECT_EQ(Val("0." + std::string(400, '0') + "1e401"), 1.0);
}

TEST(Val, MatchesReferenceOnRandomTexts)
{
    std::mt19937_64 rng(20240601);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumberishText(rng);
        const std::optional<double> expected = ReferenceVal(text);
        if (!expected) {
            EXPECT_THROW(Val(text), ConversionError) << '"' << text << '"';
        } else {
            EXPECT_TRUE(SameDouble(Val(text), *expected)) << '"' << text << '"';
        }
    }
}

// ---- ParseNumber / ToNumber ---------------------------------------------------

TEST(ParseNumber, AcceptsWholeNumbersWithSurroundingBlanks)
{
    EXPECT_EQ(ParseNumber(" 12 "), 12.0);
    EXPECT_EQ(ParseNumber("\t-1.5e2\t"), -150.0);
    EXPECT_EQ(ParseNumber("+7"), 7.0);
    EXPECT_EQ(ParseNumber("5."), 5.0);
    EXPECT_EQ(ParseNumber(".5"), 0.5);
    EXPECT_EQ(ParseNumber("1E+2"), 100.0);
    EXPECT_TRUE(SameDouble(*ParseNumber("-0"), -0.0));
}

TEST(ParseNumber, RefusesAnythingElse)
{
    for (const char* text :
         {"",    "  ",  ".",    "+",   "-",        "6A",   "1e",  "1e+",   "e5",    "1 2", "+-5", "++5",
          "--5", "inf", "-inf", "nan", "infinity", "0x10", "1,5", "1.5.3", "1e5.0", ". 5", "\n5"}) {
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(ParseNumber, OutOfRangeIsNotANumberUnderflowIsZero)
{
    EXPECT_FALSE(ParseNumber("1e999").has_value());
    EXPECT_FALSE(ParseNumber("1.7976931348623159e308").has_value());
    EXPECT_EQ(ParseNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_TRUE(SameDouble(*ParseNumber("-2e-324"), -0.0));
}

TEST(ParseNumber, DoesNotReadPastTheView)
{
    const std::string text = "12345";
    EXPECT_EQ(ParseNumber(std::string_view(text).substr(0, 2)), 12.0);
    EXPECT_EQ(ParseNumber(std::string_view(text).substr(1, 0)), std::nullopt);
}

TEST(ParseNumber, MatchesReferenceOnRandomTexts)
{
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumberishText(rng);
        const std::optional<double> expected = ReferenceParse(text);
        const std::optional<double> actual = ParseNumber(text);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << '"' << text << '"';
        if (actual) {
            EXPECT_TRUE(SameDouble(*actual, *expected)) << '"' << text << '"';
        }
    }
}

TEST(ParseNumber, RoundTripsShortestTextOfRandomDoubles)
{
    std::mt19937_64 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const double value = RandomDouble(rng);
        const std::string text = ExactNumber(value);
        ASSERT_TRUE(SameDouble(*ParseNumber(text), value)) << text;
        ASSERT_TRUE(SameDouble(Val(text), value)) << text;
    }
}

TEST(ToNumber, ThrowsWhenNotANumber)
{
    EXPECT_EQ(ToNumber(" 2.5 "), 2.5);
    EXPECT_THROW(ToNumber("2,5"), ConversionError);
    EXPECT_THROW(ToNumber(""), ConversionError);
}

// ---- Rounding and integer conversions ---------------------------------------

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(2.4999999999999996), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5000000000000004), 3.0);
    EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0.0);  // std::floor(x + 0.5) gets this wrong
    EXPECT_EQ(RoundHalfEven(4503599627370495.5), 4503599627370496.0);
    EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497.0);
    EXPECT_EQ(RoundHalfEven(1e300), 1e300);
    EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
    EXPECT_TRUE(std::signbit(RoundHalfEven(-0.3)));  // as nearbyint: -0, not +0
    EXPECT_TRUE(std::signbit(RoundHalfEven(-0.5)));
    EXPECT_FALSE(std::signbit(RoundHalfEven(0.5)));
    EXPECT_EQ(RoundHalfEven(-4503599627370495.5), -4503599627370496.0);
    EXPECT_EQ(RoundHalfEven(-kInf), -kInf);
}

TEST(RoundHalfEven, MatchesNearbyIntOnRandomValues)
{
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int> halves(-20000, 20000);
    for (int i = 0; i < 20000; ++i) {
        const double half = halves(rng) / 2.0;
        ASSERT_EQ(RoundHalfEven(half), std::nearbyint(half)) << half;
        const double any = RandomDouble(rng);
        ASSERT_EQ(RoundHalfEven(any), std::nearbyint(any)) << any;
    }
}

TEST(RoundHalfEven, IgnoresTheRoundingMode)
{
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    const double a = RoundHalfEven(2.5);
    const double b = RoundHalfEven(-3.5);
    const double c = RoundHalfEven(2.2);
    std::fesetround(saved);
    EXPECT_EQ(a, 2.0);
    EXPECT_EQ(b, -4.0);
    EXPECT_EQ(c, 2.0);
}

TEST(ToInt16, RoundsThenChecksTheRange)
{
    EXPECT_EQ(ToInt16(32766.5), 32766);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_THROW(ToInt16(32767.5), ConversionError);
    EXPECT_EQ(ToInt16(-32768.5), -32768);
    EXPECT_THROW(ToInt16(-32768.6), ConversionError);
    EXPECT_THROW(ToInt16(-32769.5), ConversionError);
    EXPECT_EQ(ToInt16(-0.5), 0);
    EXPECT_THROW(ToInt16(kNaN), ConversionError);
    EXPECT_THROW(ToInt16(kInf), ConversionError);
    EXPECT_THROW(ToInt16(-kInf), ConversionError);
}

TEST(ToInt32, RoundsThenChecksTheRange)
{
    EXPECT_EQ(ToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_THROW(ToInt32(2147483647.5), ConversionError);
    EXPECT_EQ(ToInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_THROW(ToInt32(-2147483649.0), ConversionError);
    EXPECT_EQ(ToInt32(2.5), 2);
    EXPECT_EQ(ToInt32(-7.5), -8);
    EXPECT_THROW(ToInt32(1e300), ConversionError);
    EXPECT_THROW(ToInt32(kNaN), ConversionError);
}

TEST(TextToInt, ParsesWholeTextThenRounds)
{
    EXPECT_EQ(TextToInt16(" 50 "), 50);
    EXPECT_EQ(TextToInt16("2.5"), 2);
    EXPECT_EQ(TextToInt16("-1e2"), -100);
    EXPECT_THROW(TextToInt16("50Hz"), ConversionError);
    EXPECT_THROW(TextToInt16(""), ConversionError);
    EXPECT_THROW(TextToInt16("32768"), ConversionError);
    EXPECT_EQ(TextToInt32("4000"), 4000);
    EXPECT_EQ(TextToInt32("+2147483647"), 2147483647);
    EXPECT_THROW(TextToInt32("2147483648"), ConversionError);
    EXPECT_THROW(TextToInt32("1e999"), ConversionError);
}

// ---- FormatPattern ----------------------------------------------------------

TEST(FormatPattern, FixedDecimals)
{
    EXPECT_EQ(FormatPattern(0.0, "#####0.000"), "0.000");
    EXPECT_EQ(FormatPattern(1.5, "#####0.000"), "1.500");
    EXPECT_EQ(FormatPattern(-12.25, "#####0.000"), "-12.250");
    EXPECT_EQ(FormatPattern(0.0005, "#####0.000"), "0.001");  // binary value a little above the half
    EXPECT_EQ(FormatPattern(0.0015, "#####0.000"), "0.002");
    EXPECT_EQ(FormatPattern(1234567.0, "#####0.000"), "1234567.000");  // more digits than the pattern's
    EXPECT_EQ(FormatPattern(0.5, "####0.000000"), "0.500000");
    EXPECT_EQ(FormatPattern(1.0 / 3.0, "##0.000000"), "0.333333");
    EXPECT_EQ(FormatPattern(2.0 / 3.0, "####0.0000"), "0.6667");
    EXPECT_EQ(FormatPattern(0.0000005, "0.000000"), "0.000000");  // binary value below the half
    EXPECT_EQ(FormatPattern(-0.0000005, "0.000000"), "0.000000");
    EXPECT_EQ(FormatPattern(0.0000015, "0.000000"), "0.000002");
}

TEST(FormatPattern, OptionalDecimalsDropTrailingZeros)
{
    EXPECT_EQ(FormatPattern(2.0, "#####0.0###"), "2.0");
    EXPECT_EQ(FormatPattern(2.5, "#####0.0###"), "2.5");
    EXPECT_EQ(FormatPattern(0.12345, "#####0.0###"), "0.1235");  // 0.12345 is above the half in binary
    EXPECT_EQ(FormatPattern(0.12344999, "#####0.0###"), "0.1234");
    EXPECT_EQ(FormatPattern(0.99996, "#####0.0###"), "1.0");
    EXPECT_EQ(FormatPattern(100.0, "#######0.00#####"), "100.00");
    EXPECT_EQ(FormatPattern(0.1, "#######0.00#####"), "0.10");
    EXPECT_EQ(FormatPattern(0.123456789, "#######0.00#####"), "0.1234568");
    EXPECT_EQ(FormatPattern(1e-7, "#######0.00#####"), "0.0000001");
    EXPECT_EQ(FormatPattern(1e-8, "#######0.00#####"), "0.00");
    EXPECT_EQ(FormatPattern(0.001, "#######0.0#####"), "0.001");
    EXPECT_EQ(FormatPattern(5.0, "#######0.0#####"), "5.0");
}

TEST(FormatPattern, RoundsTheExactBinaryValueHalvesToEven)
{
    EXPECT_EQ(FormatPattern(2.675, "0.00"), "2.67");  // 2.67499999...
    EXPECT_EQ(FormatPattern(0.125, "0.00"), "0.12");  // exact tie, even neighbour
    EXPECT_EQ(FormatPattern(0.375, "0.00"), "0.38");  // exact tie, even neighbour
    EXPECT_EQ(FormatPattern(-0.125, "0.00"), "-0.12");
    EXPECT_EQ(FormatPattern(2.5, "0"), "2");
    EXPECT_EQ(FormatPattern(3.5, "0"), "4");
    EXPECT_EQ(FormatPattern(0.5, "#####0"), "0");
}

TEST(FormatPattern, ZeroCarriesNoSign)
{
    EXPECT_EQ(FormatPattern(-0.0, "#####0.000"), "0.000");
    EXPECT_EQ(FormatPattern(-0.0004, "#####0.000"), "0.000");
    EXPECT_EQ(FormatPattern(-0.0004, "#####0.0###"), "-0.0004");
    EXPECT_EQ(FormatPattern(-0.00004, "#####0.0###"), "0.0");
    EXPECT_EQ(FormatPattern(-0.4, "0"), "0");
    EXPECT_EQ(FormatPattern(-0.0005, "#####0.000"), "-0.001");
}

TEST(FormatPattern, LargeValuesShowEveryIntegerDigit)
{
    EXPECT_EQ(FormatPattern(1e20, "#####0.000"), "100000000000000000000.000");
    EXPECT_EQ(FormatPattern(-123456789012.5, "#####0.0###"), "-123456789012.5");
    EXPECT_EQ(FormatPattern(std::numeric_limits<double>::max(), "0.0").size(), 311u);
    EXPECT_EQ(FormatPattern(-std::numeric_limits<double>::max(), "#####0.000").substr(0, 6), "-17976");
}

TEST(FormatPattern, PatternShapes)
{
    EXPECT_EQ(FormatPattern(7.0, "0"), "7");
    EXPECT_EQ(FormatPattern(7.25, "#"), "7");
    EXPECT_EQ(FormatPattern(0.25, "#.##"), "0.25");  // at least one integer digit always
    EXPECT_EQ(FormatPattern(7.0, "000.0"), "007.0");
    EXPECT_EQ(FormatPattern(-7.0, "000.0"), "-007.0");
    EXPECT_EQ(FormatPattern(7.0, "0.#"), "7");
}

TEST(FormatPattern, NonFiniteValues)
{
    EXPECT_EQ(FormatPattern(kNaN, "#####0.000"), "NaN");
    EXPECT_EQ(FormatPattern(kInf, "#####0.000"), "Infinity");
    EXPECT_EQ(FormatPattern(-kInf, "#####0.0###"), "-Infinity");
}

// Reference: printf with the largest number of decimals, trailing zeros cut.
std::string ReferencePattern(double value, int minDecimals, int maxDecimals)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", maxDecimals, value);
    std::string text = buffer;
    if (maxDecimals > 0) {
        const std::size_t dot = text.find('.');
        while (text.size() > dot + 1 + static_cast<std::size_t>(minDecimals) && text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    return text;
}

TEST(FormatPattern, MatchesPrintfOnEveryPatternInUse)
{
    struct Shape {
        const char* pattern;
        int minDecimals;
        int maxDecimals;
    };
    const Shape shapes[] = {{"#####0.000", 3, 3},      {"#####0.0###", 1, 4},  {"#######0.00#####", 2, 7},
                            {"#######0.0#####", 1, 6}, {"####0.000000", 6, 6}, {"##0.000000", 6, 6},
                            {"####0.0000", 4, 4},      {"0.000000", 6, 6}};
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> moderate(-1e6, 1e6);
    std::uniform_int_distribution<int> ties(-200000, 200000);
    for (int i = 0; i < 5000; ++i) {
        const double values[] = {moderate(rng), moderate(rng) * 1e-6, ties(rng) / 1024.0, RandomDouble(rng)};
        for (const double value : values) {
            for (const Shape& shape : shapes) {
                ASSERT_EQ(FormatPattern(value, shape.pattern),
                          ReferencePattern(value, shape.minDecimals, shape.maxDecimals))
                    << shape.pattern << " " << value;
            }
        }
    }
}

TEST(FormatPattern, ShownValueReadsBackWithinHalfAStep)
{
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> scale(1e-5, 1e5);
    for (int i = 0; i < 5000; ++i) {
        const double value = scale(rng);
        const std::optional<double> shown = ParseNumber(FormatPattern(value, "#####0.0###"));
        ASSERT_TRUE(shown.has_value());
        EXPECT_LE(std::fabs(*shown - value), 0.00005 * (1 + 1e-9)) << value;
    }
}

// ---- GeneralNumber, ExactNumber, IntText ------------------------------------

TEST(GeneralNumber, FifteenDigitsExponentUpperCase)
{
    EXPECT_EQ(GeneralNumber(110), "110");
    EXPECT_EQ(GeneralNumber(-110), "-110");
    EXPECT_EQ(GeneralNumber(0.1), "0.1");
    EXPECT_EQ(GeneralNumber(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(GeneralNumber(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(GeneralNumber(1e15), "1E+15");
    EXPECT_EQ(GeneralNumber(1e14), "100000000000000");
    EXPECT_EQ(GeneralNumber(1e-5), "1E-05");
    EXPECT_EQ(GeneralNumber(1e-4), "0.0001");
    EXPECT_EQ(GeneralNumber(1.5e20), "1.5E+20");
    EXPECT_EQ(GeneralNumber(-2.5e-300), "-2.5E-300");
    EXPECT_EQ(GeneralNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(GeneralNumber(0.0), "0");
    EXPECT_EQ(GeneralNumber(-0.0), "0");
    EXPECT_EQ(GeneralNumber(kNaN), "NaN");
    EXPECT_EQ(GeneralNumber(kInf), "Infinity");
    EXPECT_EQ(GeneralNumber(-kInf), "-Infinity");
}

TEST(GeneralNumber, MatchesPrintfOnRandomValues)
{
    std::mt19937_64 rng(13);
    for (int i = 0; i < 20000; ++i) {
        const double value = RandomDouble(rng);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15G", value);
        ASSERT_EQ(GeneralNumber(value), value == 0 ? "0" : buffer) << value;
    }
}

TEST(ExactNumber, ShortestRoundTripAndNullForNonFinite)
{
    EXPECT_EQ(ExactNumber(0.1), "0.1");
    EXPECT_EQ(ExactNumber(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(ExactNumber(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(ExactNumber(-150), "-150");
    EXPECT_EQ(ExactNumber(1e300), "1e+300");
    EXPECT_EQ(ExactNumber(kNaN), "null");
    EXPECT_EQ(ExactNumber(kInf), "null");
    EXPECT_EQ(ExactNumber(-kInf), "null");
}

TEST(IntText, PlainDecimal)
{
    EXPECT_EQ(IntText(0), "0");
    EXPECT_EQ(IntText(42), "42");
    EXPECT_EQ(IntText(-32768), "-32768");
    EXPECT_EQ(IntText(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace sevrana
