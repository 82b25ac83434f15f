// Leading-number rule, strict conversions, half-even rounding, integer limits
// and display patterns, each checked on its edge cases and against a simple
// reference (regex + strtod, printf) on random and adversarial input; and what
// a failed command tells the user: the error number and description of whatever
// was thrown.

#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "NumberUtils.h"
#include "ProgramError.h"

namespace sevrana {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

// Reference for the number grammar: a regex picks the number, strtod (C locale,
// as the test runs) converts it. Out-of-range numbers are reported as nullopt
// when they overflow, zero of the right sign when they underflow.
const char* const kNumber = R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)";

std::optional<double> Reference(const std::string& text, const std::regex& pattern)
{
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return std::nullopt;
    errno = 0;
    const double value = std::strtod(match[1].str().c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;
    return value;
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

using TextCases = std::vector<std::pair<std::string, double>>;

TEST(Val, ReadsTheLongestLeadingNumberOrZeroAsTheReferenceDoesOnRandomTexts)
{
    // Only spaces and tabs are skipped; an exponent needs digits; 9007199254740993 is a tie, to the even neighbour.
    // clang-format off
    const TextCases cases = {
        {"6A", 6}, {"  -1.5e2x", -150}, {"\t 12", 12}, {"0007", 7}, {".5", 0.5}, {"5.", 5}, {"+3", 3}, {"1.5.3", 1.5},
        {"2E-3", 0.002}, {"2e+3,7", 2000}, {"1e", 1}, {"1e+", 1}, {"1E-x", 1}, {"1e 5", 1}, {"1 2", 1}, {"\n5", 0},
        {"", 0}, {"   ", 0}, {"e5", 0}, {"A6", 0}, {".", 0}, {"-", 0}, {"+.", 0}, {"-.e5", 0}, {"--5", 0}, {"- 5", 0},
        {"x1", 0}, {"1e-400", 0}, {"-1e-400", -0.0}, {"0e99999", 0}, {"1.7976931348623157e308", kMax},
        {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()}, {"0.1", 0.1},
        {"9007199254740993", 9007199254740992.0}, {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"1" + std::string(400, '0') + "e-400", 1}, {"0." + std::string(400, '0') + "1e401", 1},
        {"0." + std::string(1000, '0') + "1e600", 0}};
    // clang-format on
    for (const auto& [text, value] : cases) EXPECT_TRUE(SameDouble(Val(text), value)) << '"' << text << '"';
    EXPECT_EQ(Val(std::string(500, '0') + "1e-400"), 0);  // leading zeros are no magnitude
    for (const char* text : {"1e999", "-1e309", "1e99999999999999999999", "0.1e400"})
        EXPECT_THROW(Val(text), ConversionError) << text;

    // Random texts: Val and ParseNumber read them as the reference does.
    static const std::regex leading(std::string("^[ \\t]*(") + kNumber + ")");
    static const std::regex whole(std::string("^[ \\t]*(") + kNumber + ")[ \\t]*$");
    for (const unsigned seed : {20240601u, 7u}) {
        std::mt19937_64 rng(seed);
        for (int i = 0; i < 20000; ++i) {
            const std::string text = RandomNumberishText(rng);
            const std::optional<double> number = Reference(text, leading), alone = Reference(text, whole);
            if (!std::regex_search(text, leading)) {
                EXPECT_EQ(Val(text), 0.0) << '"' << text << '"';
            } else if (number) {
                EXPECT_TRUE(SameDouble(Val(text), *number)) << '"' << text << '"';
            } else {
                EXPECT_THROW(Val(text), ConversionError) << '"' << text << '"';
            }
            const std::optional<double> actual = ParseNumber(text);
            ASSERT_EQ(actual.has_value(), alone.has_value()) << '"' << text << '"';
            if (actual) {
                EXPECT_TRUE(SameDouble(*actual, *alone)) << text;
            }
        }
    }
}

TEST(ParseNumber, AcceptsWholeNumbersWithSurroundingBlanksOnly)
{
    const TextCases cases = {{" 12 ", 12},     {"\t-1.5e2\t", -150}, {"+7", 7},    {"5.", 5},
                             {".5", 0.5},      {"1E+2", 100},        {"-0", -0.0}, {"1.7976931348623157e308", kMax},
                             {"-2e-324", -0.0}};
    for (const auto& [text, value] : cases) EXPECT_TRUE(SameDouble(*ParseNumber(text), value)) << '"' << text << '"';
    // clang-format off
    for (const char* text : {"", "  ", ".", "+", "-", "6A", "1e", "1e+", "e5", "1 2", "+-5", "++5", "--5", "inf",
                             "-inf", "nan", "infinity", "0x10", "1,5", "1.5.3", "1e5.0", ". 5", "\n5", "1e999",
                             "1.7976931348623159e308"})
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    // clang-format on
    const std::string text = "12345";
    EXPECT_EQ(ParseNumber(std::string_view(text).substr(0, 2)), 12.0);  // does not read past the view
    for (const std::string_view cut : {"1e5", "1e+5", "1e-5"})
        EXPECT_FALSE(ParseNumber(cut.substr(0, cut.size() - 1)).has_value()) << cut;
    EXPECT_EQ(Val(std::string_view("1e+5").substr(0, 3)), 1);
    const std::string huge = "1" + std::string(400, '0') + "e-1000";  // 1e399 in the view, 1e-601 past it
    EXPECT_THROW(Val(std::string_view(huge).substr(0, 404)), ConversionError);
    EXPECT_EQ(ParseNumber(std::string_view(text).substr(1, 0)), std::nullopt);
    EXPECT_EQ(ToNumber(" 2.5 "), 2.5);
    for (const char* bad : {"2,5", ""}) EXPECT_THROW(ToNumber(bad), ConversionError) << bad;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourAndTheSignStaysWhateverTheRoundingModeAsNearbyInt)
{
    // As nearbyint, -0.3 gives -0; std::floor(x + 0.5) gets 0.49999999999999994 wrong.
    // clang-format off
    const std::vector<std::pair<double, double>> cases = {
        {0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {-3.5, -4.0}, {-0.3, -0.0}, {-0.5, -0.0},
        {2.4999999999999996, 2.0}, {2.5000000000000004, 3.0}, {0.49999999999999994, 0.0},
        {4503599627370495.5, 4503599627370496.0}, {-4503599627370495.5, -4503599627370496.0},
        {4503599627370497.0, 4503599627370497.0}, {1e300, 1e300}, {-kInf, -kInf}};
    // clang-format on
    for (const auto& [value, rounded] : cases) EXPECT_TRUE(SameDouble(RoundHalfEven(value), rounded)) << value;
    EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
    std::fesetround(FE_UPWARD);
    const std::vector<double> upward = {RoundHalfEven(2.5), RoundHalfEven(-3.5), RoundHalfEven(2.2)};
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(upward, (std::vector<double>{2.0, -4.0, 2.0}));

    // Random doubles round as nearbyint does, and round-trip and print as the C library does.
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> halves(-20000, 20000);
    for (int i = 0; i < 20000; ++i) {
        const double value = RandomDouble(rng), half = halves(rng) / 2.0;
        const std::string text = ExactNumber(value);
        ASSERT_TRUE(SameDouble(*ParseNumber(text), value)) << text;
        ASSERT_TRUE(SameDouble(Val(text), value)) << text;
        ASSERT_EQ(RoundHalfEven(half), std::nearbyint(half)) << half;
        ASSERT_EQ(RoundHalfEven(value), std::nearbyint(value)) << value;
        char general[64];
        std::snprintf(general, sizeof general, "%.15G", value);
        ASSERT_EQ(GeneralNumber(value), value == 0 ? "0" : general) << value;
    }
}

TEST(IntegerConversions, RoundThenCheckTheRange)
{
    for (const auto& [value, expected] : std::vector<std::pair<double, int>>{
             {32766.5, 32766}, {32767.4, 32767}, {-32768.5, -32768}, {-0.5, 0}, {2.5, 2}, {-7.5, -8}})
        EXPECT_EQ(ToInt16(value), expected) << value;
    for (const double value : {32767.5, -32768.6, -32769.5, kNaN, kInf, -kInf})
        EXPECT_THROW(ToInt16(value), ConversionError) << value;
    for (const auto& [value, expected] : std::vector<std::pair<double, std::int64_t>>{
             {2147483646.5, 2147483646}, {2147483647.0, 2147483647}, {-2147483648.5, -2147483648LL}, {-7.5, -8}})
        EXPECT_EQ(ToInt32(value), expected) << value;
    for (const double value : {2147483647.5, -2147483649.0, 1e300, kNaN})
        EXPECT_THROW(ToInt32(value), ConversionError) << value;

    // Text "converted to an integer": the whole text a number, then rounded.
    for (const auto& [text, expected] :
         std::vector<std::pair<const char*, int>>{{" 50 ", 50}, {"2.5", 2}, {"-1e2", -100}})
        EXPECT_EQ(TextToInt16(text), expected) << text;
    EXPECT_EQ(TextToInt32("+2147483647"), 2147483647);
    for (const char* text : {"50Hz", "", "32768"}) EXPECT_THROW(TextToInt16(text), ConversionError) << text;
    for (const char* text : {"2147483648", "1e999"}) EXPECT_THROW(TextToInt32(text), ConversionError) << text;
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

TEST(FormatPattern, ShapesRoundingAndSignsAsPrintfOnEveryPatternInUse)
{
    // Rounding is to nearest on the exact binary value, halves to even: 0.0005 and 0.12345 lie a little above the
    // half, 0.0000005 and 2.675 a little below it, 0.125 and 0.375 are exact ties. Zero shows without a sign.
    // clang-format off
    const std::tuple<double, const char*, const char*> cases[] = {
        {0.0, "#####0.000", "0.000"}, {1.5, "#####0.000", "1.500"}, {-12.25, "#####0.000", "-12.250"},
        {0.0005, "#####0.000", "0.001"}, {0.0015, "#####0.000", "0.002"}, {1234567.0, "#####0.000", "1234567.000"},
        {0.5, "####0.000000", "0.500000"}, {1.0 / 3.0, "##0.000000", "0.333333"}, {2.0 / 3.0, "####0.0000", "0.6667"},
        {0.0000005, "0.000000", "0.000000"}, {-0.0000005, "0.000000", "0.000000"}, {0.0000015, "0.000000", "0.000002"},
        {2.0, "#####0.0###", "2.0"}, {2.5, "#####0.0###", "2.5"}, {0.12345, "#####0.0###", "0.1235"},
        {0.12344999, "#####0.0###", "0.1234"}, {0.99996, "#####0.0###", "1.0"}, {100.0, "#######0.00#####", "100.00"},
        {0.1, "#######0.00#####", "0.10"}, {0.123456789, "#######0.00#####", "0.1234568"},
        {1e-7, "#######0.00#####", "0.0000001"}, {1e-8, "#######0.00#####", "0.00"},
        {0.001, "#######0.0#####", "0.001"}, {5.0, "#######0.0#####", "5.0"}, {2.675, "0.00", "2.67"},
        {0.125, "0.00", "0.12"}, {0.375, "0.00", "0.38"}, {-0.125, "0.00", "-0.12"}, {2.5, "0", "2"}, {3.5, "0", "4"},
        {0.5, "#####0", "0"}, {-0.0, "#####0.000", "0.000"}, {-0.0004, "#####0.000", "0.000"},
        {-0.0004, "#####0.0###", "-0.0004"}, {-0.00004, "#####0.0###", "0.0"}, {-0.4, "0", "0"},
        {-0.0005, "#####0.000", "-0.001"}, {1e20, "#####0.000", "100000000000000000000.000"},
        {-123456789012.5, "#####0.0###", "-123456789012.5"}, {7.0, "0", "7"}, {7.25, "#", "7"}, {0.25, "#.##", "0.25"},
        {7.0, "000.0", "007.0"}, {-7.0, "000.0", "-007.0"}, {7.0, "0.#", "7"}, {kNaN, "#####0.000", "NaN"},
        {kInf, "#####0.000", "Infinity"}, {-kInf, "#####0.0###", "-Infinity"}};
    // clang-format on
    for (const auto& [value, pattern, text] : cases)
        EXPECT_EQ(FormatPattern(value, pattern), text) << value << " " << pattern;
    EXPECT_EQ(FormatPattern(kMax, "0.0").size(), 311u);
    EXPECT_EQ(FormatPattern(-kMax, "#####0.000").substr(0, 6), "-17976");

    // Pattern, least and most decimals.
    const std::tuple<const char*, int, int> shapes[] = {
        {"#####0.000", 3, 3},   {"#####0.0###", 1, 4}, {"#######0.00#####", 2, 7}, {"#######0.0#####", 1, 6},
        {"####0.000000", 6, 6}, {"##0.000000", 6, 6},  {"####0.0000", 4, 4},       {"0.000000", 6, 6}};
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> moderate(-1e6, 1e6);
    std::uniform_int_distribution<int> ties(-200000, 200000);
    for (int i = 0; i < 5000; ++i) {
        const double values[] = {moderate(rng), moderate(rng) * 1e-6, ties(rng) / 1024.0, RandomDouble(rng)};
        for (const double value : values)
            for (const auto& [pattern, least, most] : shapes)
                ASSERT_EQ(FormatPattern(value, pattern), ReferencePattern(value, least, most))
                    << pattern << " " << value;
    }
}

TEST(NumberTexts, GeneralIsFifteenDigitsExponentUpperCaseExactIsShortestRoundTripOrNull)
{
    // clang-format off
    const std::vector<std::pair<double, const char*>> general = {
        {110, "110"}, {-110, "-110"}, {0.1, "0.1"}, {1.0 / 3.0, "0.333333333333333"},
        {123456789012345678.0, "1.23456789012346E+17"}, {1e15, "1E+15"}, {1e14, "100000000000000"}, {1e-5, "1E-05"},
        {1e-4, "0.0001"}, {1.5e20, "1.5E+20"}, {-2.5e-300, "-2.5E-300"}, {0.1 + 0.2, "0.3"}, {0.0, "0"}, {-0.0, "0"},
        {kNaN, "NaN"}, {kInf, "Infinity"}, {-kInf, "-Infinity"}};
    const std::vector<std::pair<double, const char*>> exact = {
        {0.1, "0.1"}, {1.0 / 3.0, "0.3333333333333333"}, {0.1 + 0.2, "0.30000000000000004"}, {-150, "-150"},
        {1e300, "1e+300"}, {kNaN, "null"}, {kInf, "null"}, {-kInf, "null"}};
    // clang-format on
    for (const auto& [value, text] : general) EXPECT_EQ(GeneralNumber(value), text) << value;
    for (const auto& [value, text] : exact) EXPECT_EQ(ExactNumber(value), text) << value;
}

TEST(ProgramError, NumberAndDescriptionOfWhateverWasThrown)
{
    const std::vector<std::pair<std::exception_ptr, std::string>> cases = {
        {std::make_exception_ptr(ConversionError("ignored")), "Error #  6 Overflow"},
        {std::make_exception_ptr(std::out_of_range("ignored")), "Error #  9 Subscript out of range"},
        {std::make_exception_ptr(std::bad_alloc()), "Error #  7 Out of memory"},
        {std::make_exception_ptr(ProgramError::DivisionByZero()), "Error #  11 Division by zero"},
        {std::make_exception_ptr(std::runtime_error("Disk full")), "Error #  5 Disk full"},
        {std::make_exception_ptr(42), "Error #  5 Invalid procedure call or argument"},
        {std::make_exception_ptr(ProgramError(-2, "Odd")), "Error # -2 Odd"}};
    for (const auto& [failure, message] : cases) EXPECT_EQ(ErrorNumberMessage(DescribeFailure(failure)), message);
}

}  // namespace
}  // namespace sevrana
