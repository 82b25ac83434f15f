#pragma once
// What the converter and the reader do alike before and around the data: find and parse the
// source, judge its text, write its dates as the viewer reads them, and tell when the data end
// before the samples announced.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Convert.h"
#include "DataDecoder.h"
#include "Source.h"
#include "SourceConfig.h"
#include "TextDecoder.h"

namespace sevrana {
struct CodePage;
}

namespace sevrana::formats {

struct OpenedSource {
    SourceParts parts;
    TextDecoder decoder;  // the configuration's text (and the record information's)
    SourceConfig cfg;
    DataType type = DataType::Ascii;    // as the data hold it
    std::vector<std::string> warnings;  // a data section whose type differs from the configuration's
};

/// Finds, decodes (in codePage, or as judged when nullptr) and parses the recording at input.
/// Throws ConvertError.
OpenedSource OpenSource(const std::string& input, const CodePage* codePage);

/// The factors a and b of a channel as text, rescaled to the quantity asked for where the channel
/// says how (the shortest text that reads back to the rescaled value); the channel's id goes to
/// unscaled where it does not.
std::pair<std::string, std::string> ScaledFactors(const AnalogChannel& c, Quantity quantity,
                                                  std::vector<std::string>& unscaled);

/// The date line the viewer reads: mm/dd/yy,hh:mm:ss.uuuuuu.
std::string DateLine(const Stamp& s);

/// A year that two digits give back only as another year: say which date the viewer will show.
/// cannot finishes "cannot be written with its year in the 1991 layout".
void WarnAboutYear(const Stamp& s, std::string_view what, std::string_view cannot, std::vector<std::string>& warnings);

/// After a piece of use samples of which all were needed (taken before it, lines text lines
/// before it): throws for the fault or the record cut short that ends it, if any.
void CheckPieceEnd(const SourceParts& parts, const DataLayout& layout, const Piece& piece, const DecodedPiece& decoded,
                   std::int64_t taken, long lines, std::int64_t samples);
/// Throws for data that ended after taken of the samples announced.
[[noreturn]] void DataEndedEarly(const SourceParts& parts, const DataLayout& layout, std::int64_t taken, long lines,
                                 std::int64_t samples);

}  // namespace sevrana::formats
