#include "SourceSetup.h"

#include <cmath>
#include <cstdio>

#include "NumberUtils.h"

namespace sevrana::formats {

namespace {

std::string Two(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

/// The configuration's text and the record information's, which the same recorder wrote.
TextDecoder Judge(const SourceParts& parts)
{
    std::string text;
    for (const std::string& line : parts.configLines) {
        if (text.size() > TextDecoder::kSampleBytes) break;
        text.append(line).append("\n");
    }
    text += parts.infoText.substr(0, TextDecoder::kSampleBytes);
    return TextDecoder::Judge(text);
}

ConvertError CutShort(const SourceParts& parts, const DataLayout& layout, std::int64_t before, std::uint64_t offset,
                      std::size_t found, std::int64_t samples)
{
    return ConvertError("'" + parts.dataPath + "': record " + std::to_string(before + 1) + " at byte offset " +
                        std::to_string(offset) + ": expected " + std::to_string(layout.RecordBytes()) +
                        " bytes, found " + std::to_string(found) + " (the configuration gives " +
                        std::to_string(samples) + " samples)");
}

}  // namespace

OpenedSource OpenSource(const std::string& input, const CodePage* codePage)
{
    OpenedSource source;
    source.parts = LocateSource(input);
    const SourceParts& parts = source.parts;
    source.decoder = codePage != nullptr ? TextDecoder(*codePage) : Judge(parts);
    std::vector<std::string> lines;
    lines.reserve(parts.configLines.size());
    for (const std::string& line : parts.configLines) lines.push_back(source.decoder.Decode(line));
    source.cfg = ParseConfig(lines, parts.configPath, parts.configFirstLine);
    source.warnings = source.cfg.warnings;
    source.type = source.cfg.type;
    if (parts.sectionType && *parts.sectionType != source.type) {
        source.warnings.push_back("The configuration gives the data type " + std::string(DataTypeName(source.type)) +
                                  " but the data section holds " + std::string(DataTypeName(*parts.sectionType)) +
                                  ": read as the latter.");
        source.type = *parts.sectionType;
    }
    return source;
}

std::pair<std::string, std::string> ScaledFactors(const AnalogChannel& c, Quantity quantity,
                                                  std::vector<std::string>& unscaled)
{
    if (quantity == Quantity::AsRecorded) return {c.a, c.b};
    const bool known = (c.ps == 'P' || c.ps == 'S') && c.primary > 0 && c.secondary > 0;
    const char want = quantity == Quantity::Primary ? 'P' : 'S';
    if (!known) {
        unscaled.push_back(c.id);
        return {c.a, c.b};
    }
    if (c.ps == want) return {c.a, c.b};
    const double ratio = want == 'P' ? c.primary / c.secondary : c.secondary / c.primary;
    const auto text = [](double value) {
        if (value == std::floor(value) && std::fabs(value) < 1e15) return IntText(static_cast<long long>(value));
        return ExactNumber(value);
    };
    return {text(c.factorA * ratio), text(c.factorB * ratio)};
}

std::string DateLine(const Stamp& s)
{
    char micro[8];
    std::snprintf(micro, sizeof micro, "%06ld", s.micro);
    return Two(s.month) + "/" + Two(s.day) + "/" + Two(s.year) + "," + Two(s.hour) + ":" + Two(s.minute) + ":" +
           Two(s.second) + "." + micro;
}

void WarnAboutYear(const Stamp& s, std::string_view what, std::string_view cannot, std::vector<std::string>& warnings)
{
    if (s.year >= 1930 && s.year <= 2029) return;
    const int yy = ((s.year % 100) + 100) % 100;
    const int shown = yy < 30 ? 2000 + yy : 1900 + yy;
    const std::string date = Two(s.day) + "/" + Two(s.month) + "/";
    warnings.push_back("The " + std::string(what) + " " + date + std::to_string(s.year) + " " + std::string(cannot) +
                       ": the viewer will show it as " + date + std::to_string(shown) + ".");
}

void CheckPieceEnd(const SourceParts& parts, const DataLayout& layout, const Piece& piece, const DecodedPiece& decoded,
                   std::int64_t taken, long lines, std::int64_t samples)
{
    const std::int64_t use = static_cast<std::int64_t>(decoded.block.count);
    if (taken + use >= samples) return;
    if (!decoded.fault.empty())
        throw ConvertError(LineMessage(parts.dataPath, parts.dataFirstLine - 1 + lines + decoded.lines, decoded.fault));
    if (decoded.partial > 0)
        throw CutShort(parts, layout, taken + use, piece.offset + decoded.block.count * layout.RecordBytes(),
                       decoded.partial, samples);
}

void DataEndedEarly(const SourceParts& parts, const DataLayout& layout, std::int64_t taken, long lines,
                    std::int64_t samples)
{
    if (layout.type == DataType::Ascii)
        throw ConvertError("'" + parts.dataPath + "': expected " + std::to_string(samples) + " samples, found " +
                           std::to_string(taken) + ": the data end at line " +
                           std::to_string(parts.dataFirstLine + lines));
    throw CutShort(parts, layout, taken, parts.dataBegin + static_cast<std::uint64_t>(taken) * layout.RecordBytes(), 0,
                   samples);
}

}  // namespace sevrana::formats
