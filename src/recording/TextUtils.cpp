// Text handling: trimming, decoding, field splitting, NUL cutting and profile
// (INI) files with the reading rules of the Windows private-profile service.

#include "TextUtils.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "TextDecoder.h"

namespace sevrana {
namespace {

/// Longest value a profile read returns: the 255-character buffer minus its NUL.
constexpr std::size_t kProfileValueLimit = 254;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanksAndTabs(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlankOrTab(text[first])) ++first;
    while (last > first && IsBlankOrTab(text[last - 1])) --last;
    return text.substr(first, last - first);
}

/// Position of the first case-insensitive (ASCII) occurrence of needle in
/// text at or after from, or npos. needle is not empty.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.size() > text.size()) return std::string_view::npos;
    const char first = LowerAscii(needle[0]);
    const bool letter = first >= 'a' && first <= 'z';
    if (needle.size() == 1 && !letter) return text.find(first, from);
    const std::size_t lastStart = text.size() - needle.size();
    for (std::size_t i = from; i <= lastStart; ++i) {
        if (letter ? LowerAscii(text[i]) != first : text[i] != first) continue;
        if (EqualsIgnoreCase(text.substr(i + 1, needle.size() - 1), needle.substr(1))) return i;
    }
    return std::string_view::npos;
}

}  // namespace

/// Number of bytes of the first `limit` characters (code points) of valid UTF-8.
std::size_t Utf8PrefixBytes(std::string_view text, std::size_t limit)
{
    std::size_t bytes = 0;
    for (std::size_t count = 0; count < limit && bytes < text.size(); ++count) {
        ++bytes;
        while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) ++bytes;
    }
    return bytes;
}

namespace {

/// Splits bytes into lines at CR LF, CR or LF. A final line end does not start
/// a further line.
std::vector<std::string_view> SplitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

std::string_view SkipBom(std::string_view bytes)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    return bytes.substr(0, kBom.size()) == kBom ? bytes.substr(kBom.size()) : bytes;
}

/// What a decoded profile line is.
struct ParsedLine {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // after the first '=', as written
};

ParsedLine ParseProfileLine(std::string_view line)
{
    ParsedLine parsed;
    std::size_t indent = 0;
    while (indent < line.size() && IsBlankOrTab(line[indent])) ++indent;
    const std::string_view body = line.substr(indent);
    if (body.empty() || body[0] == ';') return parsed;
    if (body[0] == '[') {
        const std::size_t close = body.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = TrimBlanksAndTabs(body.substr(1, close - 1));
            return parsed;
        }
    }
    const std::size_t equals = body.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = TrimBlanksAndTabs(body.substr(0, equals));
    parsed.value = body.substr(equals + 1);
    return parsed;
}

/// The whole file as bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

/// The value as the profile service hands it over: surrounding blanks and tabs
/// removed, one pair of matching quotes around it removed, then cut to the
/// buffer's 254 characters.
std::string ServiceValue(std::string_view written)
{
    std::string_view value = TrimBlanksAndTabs(written);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, Utf8PrefixBytes(value, kProfileValueLimit)));
}

/// True when a line end or NUL would keep the text from reading back.
bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

/// Creates a new file beside target, exclusively, and returns it open for writing.
std::FILE* CreateTempFile(const std::filesystem::path& target, std::filesystem::path& temp)
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(random() & 0xFFFFFFu) + "-" + std::to_string(counter++);
        // "x": fail rather than reuse a file that is already there.
        if (std::FILE* file = std::fopen(temp.string().c_str(), "wbx")) return file;
        std::error_code ec;
        if (!std::filesystem::exists(temp, ec)) return nullptr;  // the folder is not writable
    }
    return nullptr;
}

/// Writes bytes to a new file beside target and renames it over target.
bool ReplaceFile(const std::filesystem::path& target, const std::string& bytes)
{
    std::filesystem::path temp;
    std::FILE* file = CreateTempFile(target, temp);
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (!written || !closed) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    // Keep the permissions of the file being replaced.
    const auto status = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(status))
        std::filesystem::permissions(temp, status.permissions(), std::filesystem::perm_options::replace, ec);
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return false;
    }
    return true;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return text.substr(text.size());
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view TrimTrailingBlanks(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? text.substr(0, 0) : text.substr(0, last + 1);
}

bool IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* e = p + bytes.size();
    while (p < e) {
        const unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        unsigned low = 0x80;  // allowed range of the second byte
        unsigned high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;   // no overlong forms
            if (c == 0xED) high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;   // no overlong forms
            if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
        } else {
            return false;  // continuation byte, overlong C0/C1, or F5..FF
        }
        if (static_cast<std::size_t>(e - p) < length) return false;
        if (p[1] < low || p[1] > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += length;
    }
    return true;
}

std::string DecodeText(std::string_view bytes) { return IsValidUtf8(bytes) ? std::string(bytes) : Latin1Text(bytes); }

std::string Latin1Text(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string ToUpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

long SplitFields(std::string_view text, std::string_view delimiter, Array1<std::string_view>& fields)
{
    // A field starts one character after the position where the previous
    // delimiter was found, and the next search starts there too. For a
    // one-character delimiter (the only kind in use) this is the plain split;
    // with a longer one the rest of the delimiter stays in the next field.
    try {
        if (delimiter.empty()) {
            fields.Reset(1, 1);
            return 0;
        }
        long count = 1;
        for (std::size_t at = FindIgnoreCase(text, delimiter, 0); at != std::string_view::npos;
             at = FindIgnoreCase(text, delimiter, at + 1))
            ++count;
        fields.Reset(1, count);
        std::size_t start = 0;
        long n = 0;
        for (std::size_t at = FindIgnoreCase(text, delimiter, 0); at != std::string_view::npos;
             at = FindIgnoreCase(text, delimiter, at + 1)) {
            fields(++n) = text.substr(start, at - start);
            start = at + 1;
        }
        fields(++n) = text.substr(start);
        return n;
    } catch (...) {
        fields.Reset(1, 1);
        return 0;
    }
}

std::string_view CutAtNul(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view encoding)
{
    try {
        const std::optional<std::string> bytes = ReadFileBytes(path);
        if (!bytes) return std::string();
        section = TrimBlanksAndTabs(section);
        key = TrimBlanksAndTabs(key);
        bool inSection = false;
        bool sectionSeen = false;
        const CodePage* page = FindCodePage(encoding);
        TextDecoder decoder = page != nullptr ? TextDecoder(*page) : TextDecoder::Judge(*bytes);
        for (const std::string_view raw : SplitLines(SkipBom(*bytes))) {
            // Without a given code page the file may be a settings file this program wrote
            // values into as UTF-8: those lines stay as they are.
            const std::string line = page == nullptr && IsValidUtf8(raw) ? std::string(raw) : decoder.Decode(raw);
            const ParsedLine parsed = ParseProfileLine(line);
            if (parsed.kind == ParsedLine::Kind::Section) {
                if (sectionSeen) break;  // only the first matching section counts
                inSection = EqualsIgnoreCase(parsed.name, section);
                sectionSeen = inSection;
            } else if (parsed.kind == ParsedLine::Kind::Key && inSection && EqualsIgnoreCase(parsed.name, key)) {
                const std::string value = ServiceValue(parsed.value);
                return std::string(TrimTrailingBlanks(CutAtNul(value)));
            }
        }
    } catch (...) {
        // Never fails visibly: an unreadable file reads as a missing one.
    }
    return std::string();
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key, std::string_view value)
{
    try {
        // Names are matched trimmed; refuse what could not be read back.
        section = TrimBlanksAndTabs(section);
        key = TrimBlanksAndTabs(key);
        if (key.empty() || key[0] == ';' || key[0] == '[' || key.find('=') != std::string_view::npos) return false;
        if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;

        std::error_code ec;
        std::filesystem::path target(path);
        if (std::filesystem::is_symlink(target, ec)) {
            target = std::filesystem::canonical(target, ec);
            if (ec) return false;
        }
        std::string old;
        if (std::filesystem::exists(target, ec)) {
            std::optional<std::string> bytes = ReadFileBytes(target.string());
            if (!bytes) return false;
            old = std::move(*bytes);
        } else if (ec) {
            return false;
        }

        const std::size_t crlf = old.find("\r\n");
        const std::size_t firstEnd = old.find_first_of("\r\n");
        const std::string_view eol = crlf != std::string::npos && crlf == firstEnd ? "\r\n" : "\n";
        const std::string_view bom = std::string_view(old).substr(0, old.size() - SkipBom(old).size());

        // Lines as they are, with their own line ends, so untouched lines keep
        // every byte.
        std::vector<std::string_view> lines;  // each with its line end, if any
        {
            const std::string_view body = std::string_view(old).substr(bom.size());
            std::size_t start = 0;
            for (std::size_t i = 0; i < body.size(); ++i) {
                if (body[i] != '\r' && body[i] != '\n') continue;
                if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
                lines.push_back(body.substr(start, i + 1 - start));
                start = i + 1;
            }
            if (start < body.size()) lines.push_back(body.substr(start));
        }
        auto withoutEnd = [](std::string_view line) {
            while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
            return line;
        };

        std::optional<std::size_t> sectionLine;  // index of the matching section header
        std::optional<std::size_t> keyLine;      // index of the matching key line
        std::size_t insertAt = lines.size();     // after the section's last non-blank line
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string decoded = DecodeText(withoutEnd(lines[i]));
            const ParsedLine parsed = ParseProfileLine(decoded);
            if (parsed.kind == ParsedLine::Kind::Section) {
                if (sectionLine) break;
                if (EqualsIgnoreCase(parsed.name, section)) {
                    sectionLine = i;
                    insertAt = i + 1;
                }
                continue;
            }
            if (!sectionLine) continue;
            if (parsed.kind == ParsedLine::Kind::Key && EqualsIgnoreCase(parsed.name, key)) {
                keyLine = i;
                break;
            }
            if (!TrimBlanksAndTabs(decoded).empty()) insertAt = i + 1;
        }

        std::string out(bom);
        auto appendLine = [&](std::string_view text) {
            out += text;
            out += eol;
        };
        auto newEntry = [&](std::string_view keyText) { return std::string(keyText) + "=" + std::string(value); };
        if (keyLine) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (i != *keyLine) {
                    out += lines[i];
                    continue;
                }
                // Keep the line's indent and the key as it is spelt in the file.
                const std::string_view raw = withoutEnd(lines[i]);
                const std::size_t equals = raw.find('=');
                std::string_view rawKey = raw.substr(0, equals);
                while (!rawKey.empty() && IsBlankOrTab(rawKey.back())) rawKey.remove_suffix(1);
                out += newEntry(DecodeText(rawKey));
                out += lines[i].substr(raw.size());
                if (lines[i].size() == raw.size()) out += eol;
            }
        } else if (sectionLine) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (i == insertAt) appendLine(newEntry(key));
                out += lines[i];
                if (i + 1 == insertAt && withoutEnd(lines[i]).size() == lines[i].size()) out += eol;
            }
            if (insertAt == lines.size()) appendLine(newEntry(key));
        } else {
            for (const std::string_view line : lines) out += line;
            if (!lines.empty()) {
                if (withoutEnd(lines.back()).size() == lines.back().size()) out += eol;
                if (!TrimBlanksAndTabs(withoutEnd(lines.back())).empty()) out += eol;
            }
            appendLine("[" + std::string(section) + "]");
            appendLine(newEntry(key));
        }

        if (out == old) return true;
        return ReplaceFile(target, out);
    } catch (...) {
        return false;
    }
}

}  // namespace sevrana
