#pragma once
// Number rules used everywhere: the leading-number rule, strict conversions,
// rounding to nearest with halves to even, 16- and 32-bit limits, and the
// fixed display patterns. Keep these rules here and nowhere else.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sevrana {

/// A text that is not a number, or a value outside the target type's range.
struct ConversionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Leading-number rule: leading blanks (spaces, tabs) skipped, then the longest
/// leading decimal number (optional sign, digits with "." as separator, optional
/// exponent e/E with optional sign); no number gives 0. "6A" gives 6.
/// Throws ConversionError when the number is too large for a double.
double Val(std::string_view text);

/// The whole text as a number: surrounding blanks allowed, nothing else around it.
/// Accepts an optional sign, digits with an optional ".", and an optional exponent.
/// Returns nothing for an empty, blank or malformed text, or one out of double range.
std::optional<double> ParseNumber(std::string_view text);

/// ParseNumber, throwing ConversionError when the text is not a number.
double ToNumber(std::string_view text);

/// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2),
/// whatever the processor's rounding mode. Inline: drawing rounds every point it places.
inline double RoundHalfEven(double value)
{
    // Doubles of 2^52 and above are whole already; NaN and infinities pass through.
    if (!(std::fabs(value) < 4503599627370496.0)) return value;
    const auto whole = static_cast<std::int64_t>(value);         // toward zero in every mode
    const double fraction = value - static_cast<double>(whole);  // exact: the two are within one
    // Without branches: which way a value rounds is as good as random, so a branch would mispredict.
    const bool odd = (whole & 1) != 0;
    const std::int64_t up = (fraction > 0.5) | ((fraction == 0.5) & odd);
    const std::int64_t down = (fraction < -0.5) | ((fraction == -0.5) & odd);
    // Rounding never crosses zero, so the value's sign is the result's (and keeps -0.3 at -0).
    return std::copysign(static_cast<double>(whole + up - down), value);
}

inline constexpr const char* kOverflowMessage = "Overflow";

/// Rounded (halves to even) into the integer type's range, else ConversionError (NaN included).
template <class Int>
Int ToInteger(double value)
{
    const double rounded = RoundHalfEven(value);  // NaN fails both comparisons below
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max())))
        throw ConversionError(kOverflowMessage);
    return static_cast<Int>(rounded);
}
inline std::int16_t ToInt16(double value) { return ToInteger<std::int16_t>(value); }
inline std::int32_t ToInt32(double value) { return ToInteger<std::int32_t>(value); }

/// Text "converted to an integer": the number the whole text spells, rounded.
std::int16_t TextToInt16(std::string_view text);
std::int32_t TextToInt32(std::string_view text);

/// Fixed display patterns such as "#####0.000" or "#######0.00#####": at least
/// one integer digit, as many decimals as the pattern has "0"s after the point and
/// up to as many more as it has "#"s. No thousands separators. Rounded to nearest,
/// halves to even on the exact binary value; a result that shows as zero carries no sign.
std::string FormatPattern(double value, std::string_view pattern);

/// General number form: up to 15 significant digits, no trailing zeros, exponent
/// form ("1E+15", "1E-05") for very large or small magnitudes; "0" for zero.
std::string GeneralNumber(double value);

/// The general form of a single-precision number: up to 7 significant digits.
std::string GeneralSingle(float value);

/// Shortest text that reads back as exactly the same double (for machine output).
std::string ExactNumber(double value);

/// Decimal text of an integer, no leading blank.
std::string IntText(long long value);

}  // namespace sevrana
