#pragma once
// Text handling shared by the readers and start-up: trimming, decoding file
// bytes, splitting fields, NUL cutting and profile (INI) files.

#include <string>
#include <string_view>

#include "Array1.h"

namespace sevrana {

/// Removes leading and trailing spaces (only spaces, as the field rules say).
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

/// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

/// Bytes taken by the first limit characters of UTF-8 text (all of it when shorter).
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t limit);

/// Bytes to UTF-8 text: kept as they are when valid UTF-8, otherwise read as
/// Latin-1, so no byte is ever lost. For a lone string; the lines of a file are
/// read with a TextDecoder, which knows the file's encoding.
std::string DecodeText(std::string_view bytes);

/// Every byte as the Latin-1 character of its value, in UTF-8.
std::string Latin1Text(std::string_view bytes);

/// ASCII letters compared without regard to case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);

/// Splits text at every occurrence of the delimiter (letter case ignored).
/// Fields are views into text, exactly as written; fields is re-created as 1..n
/// and n is returned. An empty delimiter is a failure: fields becomes one empty
/// element and the result is 0. Reuses the array's storage between calls.
long SplitFields(std::string_view text, std::string_view delimiter, Array1<std::string_view>& fields);

/// The text up to, not including, the first NUL character.
std::string_view CutAtNul(std::string_view text);

/// The value of key in section of a profile file, section and key matched without
/// regard to case; at most 254 characters, trailing blanks stripped. Empty when
/// the file, section or key is missing or the value is empty. The file's text is
/// read in the code page named by encoding, or, when that names none, in the one
/// its own text is judged to be in, lines of UTF-8 staying as they are.
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view encoding = {});

/// Writes key = value into section, keeping every other line of the file;
/// creates the file or section when missing. Returns false when the file cannot be written.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace sevrana
