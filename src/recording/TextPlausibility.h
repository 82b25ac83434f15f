#pragma once
// How plausible a reading of bytes is as text people write: the measure by which
// a recording's code page is judged.

#include <string_view>

namespace sevrana {

/// Stands in a reading for a byte sequence that the code page does not have.
inline constexpr char32_t kUnreadable = 0x110000;

/// Points for the characters of text beyond ASCII: high for letters as a script
/// uses them (common Russian letters, a word starting with a capital, common Han
/// characters, kana, common Hangul syllables, accented letters among plain ones),
/// low or negative for what a misreading makes (box drawing, control and
/// private-use characters, unreadable bytes, Greek letters, a capital inside a
/// lower-case word, Russian words without a vowel, accented letters in a row,
/// scripts mixed inside a word). ASCII characters only give the context.
double Plausibility(std::u32string_view text);

}  // namespace sevrana
