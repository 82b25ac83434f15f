// Number rules: leading-number rule, strict conversions, half-even rounding,
// integer limits and the fixed display patterns.
//
// Everything here is locale-independent: texts are read with std::from_chars and
// written with std::to_chars, never with strtod or printf, so a user locale with
// a decimal comma (set by the GUI toolkit at start-up) cannot change a result.

#include "NumberUtils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace sevrana {
namespace {

constexpr const char* kOverflow = kOverflowMessage;
constexpr const char* kTypeMismatch = "Type mismatch";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

/// The longest decimal number at the start of [p, e): optional sign, digits with
/// an optional point, an exponent only when at least one digit follows its sign.
struct NumberScan {
    const char* end = nullptr;  // one past the number's last character
    bool hasDigits = false;     // at least one mantissa digit
};

NumberScan ScanNumber(const char* p, const char* e)
{
    NumberScan scan;
    if (p < e && (*p == '+' || *p == '-')) ++p;
    const char* mantissa = p;
    while (p < e && IsDigit(*p)) ++p;
    bool digits = p > mantissa;
    if (p < e && *p == '.') {
        ++p;
        const char* fraction = p;
        while (p < e && IsDigit(*p)) ++p;
        digits = digits || p > fraction;
    }
    scan.hasDigits = digits;
    if (!digits) {
        scan.end = mantissa;
        return scan;
    }
    if (p < e && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < e && (*q == '+' || *q == '-')) ++q;
        if (q < e && IsDigit(*q)) {
            while (q < e && IsDigit(*q)) ++q;
            p = q;
        }
    }
    scan.end = p;
    return scan;
}

/// For a well-formed number that std::from_chars found out of range: true when
/// its magnitude is below the smallest subnormal (it rounds to zero), false when
/// it is above the largest double. Decided from the decimal exponent of the
/// first significant digit, which is >= 0 for every overflow and < 0 for every
/// underflow.
bool IsUnderflow(const char* p, const char* e)
{
    constexpr long long kClamp = 1'000'000'000LL;
    if (p < e && (*p == '+' || *p == '-')) ++p;
    long long lead = 0;  // decimal exponent of the first significant digit
    bool found = false;
    long long integerDigits = 0;
    while (p < e && IsDigit(*p)) {
        if (found || *p != '0') {
            found = true;
            integerDigits = std::min(integerDigits + 1, kClamp);
        }
        ++p;
    }
    if (found) {
        lead = integerDigits - 1;
    }
    if (p < e && *p == '.') {
        ++p;
        long long zeros = 0;
        while (p < e && IsDigit(*p)) {
            if (!found) {
                if (*p == '0') {
                    zeros = std::min(zeros + 1, kClamp);
                } else {
                    found = true;
                    lead = -(zeros + 1);
                }
            }
            ++p;
        }
    }
    long long exponent = 0;
    if (p < e && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
        while (p < e && IsDigit(*p)) {
            exponent = std::min(exponent * 10 + (*p - '0'), kClamp);
            ++p;
        }
        if (negative) exponent = -exponent;
    }
    return lead + exponent < 0;
}

enum class Conversion { Ok, Overflow, Malformed };

/// Converts a scanned, well-formed number [p, e) exactly; an underflow gives a
/// zero of the number's sign.
Conversion Convert(const char* p, const char* e, double& out)
{
    const bool negative = p < e && *p == '-';
    const char* first = (p < e && *p == '+') ? p + 1 : p;  // from_chars refuses '+'
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, e, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && ptr == e) {
        if (!IsUnderflow(p, e)) return Conversion::Overflow;
        out = negative ? -0.0 : 0.0;
        return Conversion::Ok;
    }
    if (ec != std::errc{} || ptr != e) return Conversion::Malformed;
    out = value;
    return Conversion::Ok;
}

/// Text shown for values that have no digits.
const char* NonFiniteText(double value)
{
    if (std::isnan(value)) return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

/// Drops a leading '-' when no digit of the text is other than '0'.
void DropSignOfZero(std::string& text)
{
    if (text.empty() || text[0] != '-') return;
    const bool zero = std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
    if (zero) text.erase(0, 1);
}

}  // namespace

double Val(std::string_view text)
{
    const char* p = text.data();
    const char* e = p + text.size();
    while (p < e && IsBlankOrTab(*p)) ++p;
    const NumberScan scan = ScanNumber(p, e);
    if (!scan.hasDigits) return 0.0;
    double value = 0.0;
    if (Convert(p, scan.end, value) == Conversion::Overflow) throw ConversionError(kOverflow);
    return value;
}

std::optional<double> ParseNumber(std::string_view text)
{
    const char* p = text.data();
    const char* e = p + text.size();
    while (p < e && IsBlankOrTab(*p)) ++p;
    while (e > p && IsBlankOrTab(e[-1])) --e;
    const NumberScan scan = ScanNumber(p, e);
    if (!scan.hasDigits || scan.end != e) return std::nullopt;
    double value = 0.0;
    if (Convert(p, e, value) != Conversion::Ok) return std::nullopt;
    return value;
}

double ToNumber(std::string_view text)
{
    const std::optional<double> value = ParseNumber(text);
    if (!value) throw ConversionError(kTypeMismatch);
    return *value;
}

std::int16_t TextToInt16(std::string_view text) { return ToInt16(ToNumber(text)); }
std::int32_t TextToInt32(std::string_view text) { return ToInt32(ToNumber(text)); }

std::string FormatPattern(double value, std::string_view pattern)
{
    if (!std::isfinite(value)) return NonFiniteText(value);

    // Pattern: '0's before the point are the minimum integer digits (at least
    // one is always shown); after the point '0's are required decimals and '#'s
    // optional ones. Other characters are ignored.
    const std::size_t point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
    const auto minIntegerDigits = std::max<std::ptrdiff_t>(1, std::count(integerPart.begin(), integerPart.end(), '0'));
    const auto minDecimals = std::count(fractionPart.begin(), fractionPart.end(), '0');
    const auto maxDecimals = minDecimals + std::count(fractionPart.begin(), fractionPart.end(), '#');

    // Largest double has 309 integer digits; sign, point and decimals on top.
    std::string text(static_cast<std::size_t>(320 + maxDecimals), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed,
                                      static_cast<int>(maxDecimals));
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));

    if (maxDecimals > minDecimals) {
        const std::size_t dot = text.find('.');
        std::size_t keep = text.size();
        const std::size_t minimumEnd = dot + 1 + static_cast<std::size_t>(minDecimals);
        while (keep > minimumEnd && text[keep - 1] == '0') --keep;
        if (keep == dot + 1) keep = dot;  // no decimals left: no point either
        text.resize(keep);
    }

    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t digitsStart = negative ? 1 : 0;
    std::size_t integerEnd = text.find('.');
    if (integerEnd == std::string::npos) integerEnd = text.size();
    const auto integerDigits = static_cast<std::ptrdiff_t>(integerEnd - digitsStart);
    if (integerDigits < minIntegerDigits)
        text.insert(digitsStart, static_cast<std::size_t>(minIntegerDigits - integerDigits), '0');

    DropSignOfZero(text);
    return text;
}

namespace {

/// Like printf("%.<digits>g"): shortest of fixed and exponent form, trailing zeros
/// dropped, exponent with a sign and at least two digits.
std::string GeneralDigits(double value, int digits)
{
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (value == 0.0) return "0";
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, digits);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

}  // namespace

std::string GeneralNumber(double value) { return GeneralDigits(value, 15); }

std::string GeneralSingle(float value) { return GeneralDigits(value, 7); }

std::string ExactNumber(double value)
{
    if (!std::isfinite(value)) return "null";
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string IntText(long long value) { return std::to_string(value); }

}  // namespace sevrana
