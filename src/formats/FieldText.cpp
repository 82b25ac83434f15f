#include "FieldText.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>

namespace sevrana::formats {

namespace {

/// "0000" to "9999", each in the four bytes of a little-endian word.
constexpr std::array<std::uint32_t, 10000> kQuads = [] {
    std::array<std::uint32_t, 10000> quads{};
    for (std::uint32_t n = 0; n < 10000; ++n) {
        std::uint32_t word = 0;
        for (std::uint32_t d = n, place = 0; place < 4; ++place, d /= 10) word |= ('0' + d % 10) << (8 * (3 - place));
        quads[n] = word;
    }
    return quads;
}();

/// n below 10,000 without leading zeros; writes four bytes.
char* PutLeading(char* to, std::uint32_t n)
{
    const int length = 1 + (n >= 10) + (n >= 100) + (n >= 1000);
    const std::uint32_t word = kQuads[n] >> (8 * (4 - length));
    std::memcpy(to, &word, 4);
    return to + length;
}

/// n below 100,000,000 in exactly eight digits.
char* PutEight(char* to, std::uint32_t n)
{
    std::memcpy(to, &kQuads[n / 10000], 4);
    std::memcpy(to + 4, &kQuads[n % 10000], 4);
    return to + 8;
}

// Longest shortest text of a double ("-1.2345678901234567e-308").
constexpr std::size_t kLongestNumber = 26;

/// The eighths of a unit as decimal fractions, each padded to four bytes.
constexpr char kEighths[8][4] = {{},         {'.', '1', '2', '5'}, {'.', '2', '5'}, {'.', '3', '7', '5'},
                                 {'.', '5'}, {'.', '6', '2', '5'}, {'.', '7', '5'}, {'.', '8', '7', '5'}};
constexpr int kEighthLength[8] = {0, 4, 3, 4, 2, 4, 3, 4};

}  // namespace

/// Four digits at a time from a table.
char* PutUnsigned(char* to, std::uint64_t v)
{
    if (v >= 100000000) {
        to = PutUnsigned(to, v / 100000000);
        return PutEight(to, static_cast<std::uint32_t>(v % 100000000));
    }
    const auto n = static_cast<std::uint32_t>(v);
    if (n < 10000) return PutLeading(to, n);
    to = PutLeading(to, n / 10000);
    std::memcpy(to, &kQuads[n % 10000], 4);
    return to + 4;
}

const FieldText& FieldText::Get()
{
    static const FieldText texts;
    return texts;
}

FieldText::FieldText()
{
    for (int v = -32768; v <= 32767; ++v) {
        char text[8] = {','};
        const char* end = std::to_chars(text + 1, text + 7, v).ptr;
        text[7] = static_cast<char>(end - text);
        std::memcpy(&small_[static_cast<std::size_t>(v + 32768)], text, 8);
    }
}

char* FieldText::Single(char* to, float value) const
{
    // Below 2^16 a float is finer than a thousandth, so the exact decimal of a whole number of
    // eighths (at most three places) is also the shortest text that reads back, and shorter than
    // the exponent form.
    const float eighths = value * 8;
    if (std::fabs(value) < 65536 && eighths == std::trunc(eighths)) {
        *to++ = ',';
        int n = static_cast<int>(eighths);
        if (std::signbit(value)) {
            *to++ = '-';
            n = -n;
        }
        to = PutUnsigned(to, static_cast<std::uint64_t>(n >> 3));
        std::memcpy(to, kEighths[n & 7], 4);
        return to + kEighthLength[n & 7];
    }
    *to++ = ',';
    return std::to_chars(to, to + kLongestNumber, value).ptr;
}

char* FieldText::ExactAny(char* to, double value) const
{
    if (value == std::floor(value)) return Whole(to, value);
    *to++ = ',';
    return std::to_chars(to, to + kLongestNumber, value).ptr;
}

char* FieldText::States(char* to, const std::int16_t* states, std::size_t count)
{
    static_assert(std::endian::native == std::endian::little, "states are read as little-endian words");
    // Four states of 0 or 1 at once: each 16-bit state s becomes the two bytes ',' and '0' + s.
    constexpr std::uint64_t kOnes = 0x0001000100010001u, kText = 0x302C302C302C302Cu;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t four = 0;
        std::memcpy(&four, states + i, 8);
        if ((four & ~kOnes) != 0) break;
        four = (four << 8) | kText;
        std::memcpy(to, &four, 8);
        to += 8;
    }
    for (; i < count; ++i) {
        *to++ = ',';
        const std::int16_t state = states[i];
        if (state == 0 || state == 1) {
            *to++ = static_cast<char>('0' + state);
        } else {
            to = std::to_chars(to, to + 8, state).ptr;
        }
    }
    return to;
}

}  // namespace sevrana::formats
