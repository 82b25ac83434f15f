#include "Source.h"

#include <cstring>
#include <filesystem>

#include "Input.h"
#include "LineReader.h"
#include "NumberUtils.h"
#include "RecordingFiles.h"
#include "TextUtils.h"

namespace sevrana::formats {

namespace {

constexpr std::uint64_t kMaxTextBytes = std::uint64_t{64} << 20;

std::string ReadWhole(const std::string& path)
{
    const InputFile file(path);
    if (file.Size() > kMaxTextBytes) throw ConvertError("'" + path + "': too large for a text file of a recording");
    std::string bytes(file.Size(), '\0');
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

std::string_view TrimAll(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\x1a')) text.remove_suffix(1);
    return text;
}

/// Bytes of the line end at the start of text, which starts with CR or LF: CR, LF and CR LF; and CR CR LF (a CR LF
/// text written once more through a CR LF writer) and LF CR, which broken writers use throughout: one line end, not
/// an empty line.
std::size_t LineEndBytes(std::string_view text)
{
    if (text.starts_with("\r\n") || text.starts_with("\n\r")) return 2;
    return text.starts_with("\r\r\n") ? 3 : 1;
}

enum class Section { None, Config, Info, Header, Data, Other };

/// A combined file's section line: "--- file type: CFG ---", "--- file type: DAT BINARY: 1234 ---", ...
bool ParseSectionLine(std::string_view line, Section& section, std::optional<DataType>& type,
                      std::optional<std::uint64_t>& bytes)
{
    line = TrimAll(line);
    if (line.size() < 6 || line.substr(0, 3) != "---" || line.substr(line.size() - 3) != "---") return false;
    std::string_view inner = TrimAll(line.substr(3, line.size() - 6));
    // "file type:", with any blanks between the words and before the colon.
    for (const std::string_view word : {"file", "type", ":"}) {
        if (inner.size() < word.size() || !EqualsIgnoreCase(inner.substr(0, word.size()), word)) return false;
        inner = TrimAll(inner.substr(word.size()));
    }
    const std::size_t colon = inner.find(':');
    const std::string_view name = TrimAll(inner.substr(0, colon));
    bytes.reset();
    if (colon != std::string_view::npos) {
        const std::optional<double> count = ParseNumber(inner.substr(colon + 1));
        if (count && *count >= 0 && *count < 1e18) bytes = static_cast<std::uint64_t>(*count);
    }
    type.reset();
    if (EqualsIgnoreCase(name, "CFG")) {
        section = Section::Config;
    } else if (EqualsIgnoreCase(name, "INF")) {
        section = Section::Info;
    } else if (EqualsIgnoreCase(name, "HDR")) {
        section = Section::Header;
    } else if (name.size() > 3 && EqualsIgnoreCase(name.substr(0, 3), "DAT")) {
        DataType t{};
        if (!ParseDataType(name.substr(3), t)) return false;
        section = Section::Data;
        type = t;
    } else {
        section = Section::Other;
    }
    return true;
}

SourceParts LocateCombined(const std::string& path)
{
    SourceParts parts;
    parts.combined = true;
    parts.configPath = path;
    parts.dataPath = path;
    const InputFile file(path);
    InputWindow in(file, 0, file.Size());
    Section section = Section::None;
    bool haveConfig = false, haveData = false;
    std::string previousEnd;  // the line end of the line before
    long line = 0;
    std::uint64_t lineStart = 0;
    for (;;) {
        // One line and its end.
        std::size_t scanned = 0;
        const char* end = nullptr;
        for (;;) {
            const std::size_t have = in.Need(scanned + 1);
            const char* data = in.Data();
            end = FindLineEnd(data + scanned, data + have);
            if (end == data + have) end = nullptr;
            if (end != nullptr || have == scanned) break;
            if (have - scanned > kMaxTextBytes) throw ConvertError("'" + path + "': a line is too long");
            scanned = have;
        }
        if (in.AtEnd()) break;
        const char* data = in.Data();
        std::size_t length = end != nullptr ? static_cast<std::size_t>(end - data) : in.Available();
        // The bytes from the line end on, as many as the longest line end has.
        const std::size_t after = end != nullptr ? std::min<std::size_t>(in.Need(length + 3) - length, 3) : 0;
        data = in.Data();
        const std::string_view lineEnd(data + length, after);
        std::size_t terminator = lineEnd.empty() ? 0 : LineEndBytes(lineEnd);
        std::string_view text(data, length);
        if (line == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        ++line;
        lineStart = in.Offset();

        Section next{};
        std::optional<DataType> type;
        std::optional<std::uint64_t> bytes;
        if (ParseSectionLine(text, next, type, bytes)) {
            if (section == Section::Data && parts.dataEnd == UINT64_MAX) parts.dataEnd = lineStart;
            if (section == Section::Header && parts.headerEnd == 0) parts.headerEnd = lineStart;
            if (next == Section::Config && haveConfig)
                throw ConvertError(LineMessage(path, line, "expected one configuration section, found a second"));
            haveConfig = haveConfig || next == Section::Config;
            section = next;
            // Counted bytes follow: their first may look like the rest of a longer line end, so the line end is
            // taken as the one the lines before it have, where it is that.
            if (next == Section::Data && bytes && !previousEnd.empty() && lineEnd.starts_with(previousEnd))
                terminator = previousEnd.size();
            previousEnd = lineEnd.substr(0, terminator);
            in.Consume(length + terminator);
            // The header is copied from the file when written, however large it is.
            if (section == Section::Header && parts.headerEnd == 0) parts.headerBegin = in.Offset();
            if (section == Section::Config) parts.configFirstLine = line + 1;
            if (section != Section::Data) continue;
            if (haveData) throw ConvertError(LineMessage(path, line, "expected one data section, found a second"));
            haveData = true;
            parts.dataBegin = in.Offset();
            parts.dataFirstLine = line + 1;
            const bool binary = *type != DataType::Ascii;
            if (binary && !bytes)
                throw ConvertError(LineMessage(path, line, "expected the byte count of the binary data section"));
            parts.sectionType = type;
            if (bytes) {
                parts.dataEnd = parts.dataBegin + *bytes;
                // Binary bytes may look like line ends: skip them by their count.
                std::uint64_t left = *bytes;
                while (left > 0 && !in.AtEnd()) {
                    const std::size_t have = in.Need(1);
                    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, have));
                    in.Consume(take);
                    left -= take;
                }
                section = Section::Other;
            } else {
                parts.dataEnd = UINT64_MAX;
            }
            continue;
        }
        switch (section) {
        case Section::Config:
            parts.configLines.emplace_back(text);
            break;
        case Section::Info:
            parts.infoText.append(text).append("\r\n");
            break;
        default:
            break;
        }
        previousEnd = lineEnd.substr(0, terminator);
        in.Consume(length + terminator);
    }
    if (section == Section::Data && parts.dataEnd == UINT64_MAX) parts.dataEnd = file.Size();
    if (section == Section::Header && parts.headerEnd == 0) parts.headerEnd = file.Size();
    if (parts.configLines.empty())
        throw ConvertError("'" + path + "': expected a section \"--- file type: CFG ---\", found none");
    if (!haveData) throw ConvertError("'" + path + "': expected a data section \"--- file type: DAT ...\", found none");
    return parts;
}

}  // namespace

bool HasExtension(const std::string& path, std::string_view extension)
{
    const std::string name = std::filesystem::path(path).filename().string();
    return name.size() > extension.size() && name[name.size() - extension.size() - 1] == '.' &&
           EqualsIgnoreCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

std::string FindSibling(const std::string& path, std::string_view extension)
{
    if (path.size() < 3) return {};
    const std::string wanted = path.substr(0, path.size() - 3) + std::string(extension);
    std::error_code ec;
    if (std::filesystem::is_regular_file(wanted, ec)) return wanted;
    const std::filesystem::path want(wanted);
    const std::filesystem::path folder = want.has_parent_path() ? want.parent_path() : std::filesystem::path(".");
    const std::string name = want.filename().string();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsIgnoreCase(it->path().filename().string(), name) && it->is_regular_file(ec))
            return it->path().string();
    }
    return {};
}

std::vector<std::string> SplitLines(std::string_view bytes)
{
    while (!bytes.empty() && bytes.back() == '\x1a') bytes.remove_suffix(1);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        i += LineEndBytes(bytes.substr(i)) - 1;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string IniValue(std::string_view text, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (const std::string& raw : SplitLines(text)) {
        const std::string_view line = TrimAll(raw);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection =
                close != std::string_view::npos && EqualsIgnoreCase(TrimAll(line.substr(1, close - 1)), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos && EqualsIgnoreCase(TrimAll(line.substr(0, equals)), key))
            return std::string(TrimAll(line.substr(equals + 1)));
    }
    return {};
}

SourceParts LocateSource(const std::string& path)
{
    if (HasExtension(path, "cff")) return LocateCombined(path);
    SourceParts parts;
    parts.configPath = path;
    parts.configLines = SplitLines(ReadWhole(path));
    // The data file has the configuration's name: "rec.2003.cfg" goes with "rec.2003.dat".
    parts.dataPath = FindSibling(path, "dat");
    if (parts.dataPath.empty()) parts.dataPath = ResolveDataFile(path);
    const std::string info = FindSibling(path, "INF");
    if (!info.empty()) parts.infoText = ReadWhole(info);
    parts.infoPath = info;
    parts.headerPath = FindSibling(path, "HDR");
    return parts;
}

}  // namespace sevrana::formats
