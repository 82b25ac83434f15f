#pragma once
// The fields of a data line as text, each with the comma before it. The converter writes
// tens of millions of them: the common values take short paths that give exactly the
// texts of the general ones (std::to_chars).

#include <array>
#include <cstdint>
#include <cstring>

namespace sevrana::formats {

/// Decimal digits of v; returns the end. Writes up to 3 bytes past it.
char* PutUnsigned(char* to, std::uint64_t v);

/// Each function writes at most 27 bytes, and may write up to 8 past the end it returns.
class FieldText {
public:
    /// The tables are built once for the process; a reference stays valid.
    static const FieldText& Get();

    /// "," and the whole value (|value| below 2^63; a fraction is not allowed).
    char* Whole(char* to, double value) const
    {
        const auto n = static_cast<std::int64_t>(value);
        if (static_cast<std::uint64_t>(n + 32768) < 65536) return Small(to, n);
        *to++ = ',';
        if (n < 0) {
            *to++ = '-';
            return PutUnsigned(to, 0 - static_cast<std::uint64_t>(n));
        }
        return PutUnsigned(to, static_cast<std::uint64_t>(n));
    }
    /// "," and the shortest text that reads back to value.
    char* Single(char* to, float value) const;
    /// "," and value (|value| below 2^63): whole values in decimal, others in the shortest text that reads back
    /// exactly.
    char* Exact(char* to, double value) const
    {
        const auto n = static_cast<std::int64_t>(value);
        if (static_cast<std::uint64_t>(n + 32768) < 65536 && static_cast<double>(n) == value) return Small(to, n);
        return ExactAny(to, value);
    }
    /// ",0" or ",1" (or the state's decimal) for each of count states.
    static char* States(char* to, const std::int16_t* states, std::size_t count);

private:
    FieldText();

    char* Small(char* to, std::int64_t value) const
    {
        const std::uint64_t text = small_[static_cast<std::size_t>(value + 32768)];
        std::memcpy(to, &text, 8);
        return to + (text >> 56);
    }
    char* ExactAny(char* to, double value) const;

    // ",-32768" fits in 7 bytes: the eighth holds the length.
    std::array<std::uint64_t, 65536> small_{};
};

}  // namespace sevrana::formats
