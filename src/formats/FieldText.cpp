#include "FieldText.h"

#include <bit>
#include <charconv>
#include <cmath>

namespace sevrana::formats {

namespace {

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Longest shortest text of a double ("-1.2345678901234567e-308").
constexpr std::size_t kLongestNumber = 26;

int DigitCount(std::uint64_t v)
{
    int n = 1;
    for (; v >= 10000; v /= 10000) n += 4;
    return n + (v >= 10) + (v >= 100) + (v >= 1000);
}

/// The eighths of a unit as decimal fractions, each padded to four bytes.
constexpr char kEighths[8][4] = {{},         {'.', '1', '2', '5'}, {'.', '2', '5'}, {'.', '3', '7', '5'},
                                 {'.', '5'}, {'.', '6', '2', '5'}, {'.', '7', '5'}, {'.', '8', '7', '5'}};
constexpr int kEighthLength[8] = {0, 4, 3, 4, 2, 4, 3, 4};

}  // namespace

/// Two digits at a time from a table, written from the back.
char* PutUnsigned(char* to, std::uint64_t v)
{
    char* const end = to + DigitCount(v);
    char* p = end;
    while (v >= 100) {
        const std::size_t pair = static_cast<std::size_t>(v % 100) * 2;
        v /= 100;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (v >= 10) {
        *--p = kPairs[v * 2 + 1];
        *--p = kPairs[v * 2];
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return end;
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

char* FieldText::Exact(char* to, double value) const
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
