#include "DataDecoder.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#include "LineReader.h"

namespace sevrana::formats {

namespace {

static_assert(std::endian::native == std::endian::little, "the binary decoders read little-endian words directly");

constexpr double kAsciiMissing = 99999.0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// The field [p, e) as a number, blanks around it allowed; false when it is anything else.
/// Whole numbers, by far the most common, are read without the general conversion.
bool ParseValue(const char* p, const char* e, double& value)
{
    while (p < e && IsBlank(*p)) ++p;
    while (e > p && IsBlank(e[-1])) --e;
    const char* q = p;
    bool negative = false;
    if (q < e && (*q == '-' || *q == '+')) negative = *q++ == '-';
    const char* digits = q;
    std::uint64_t whole = 0;
    while (q < e && static_cast<unsigned>(*q - '0') < 10 && q - digits < 18) whole = whole * 10 + (*q++ - '0');
    if (q == e && q > digits) {
        value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
        return true;
    }
    // Only decimal numbers: from_chars would also take "inf" and "nan".
    if (digits == e || !(static_cast<unsigned>(*digits - '0') < 10 || *digits == '.')) return false;
    const char* from = *p == '+' ? p + 1 : p;
    const auto result = std::from_chars(from, e, value);
    return result.ec == std::errc() && result.ptr == e;
}

bool IsBlankField(const char* p, const char* e)
{
    while (p < e && IsBlank(*p)) ++p;
    return p == e;
}

/// Blank lines, and the end-of-file byte some writers leave, hold no sample.
bool IsSkipped(const char* p, const char* e)
{
    for (; p < e; ++p)
        if (!IsBlank(*p) && *p != '\x1a') return false;
    return true;
}

/// The usual line, whole numbers and commas only, with the fields expected: read in one pass.
/// False for anything else (blanks, fractions, empty or missing values, a fault), which is then
/// read field by field.
bool ParsePlainLine(const char* p, const char* end, const DataLayout& layout, SampleBlock& block, std::size_t at)
{
    const auto whole = [&](std::int64_t& value) {
        const bool negative = p < end && *p == '-';
        p += negative;
        const char* digits = p;
        std::uint64_t n = 0;
        while (p < end && static_cast<unsigned>(*p - '0') < 10) n = n * 10 + static_cast<unsigned>(*p++ - '0');
        if (p == digits || p - digits > 15) return false;
        value = negative ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
        return true;
    };
    const std::size_t fields = 2 + layout.nA + layout.nD;
    double* analog = block.analog.data() + at * layout.nA;
    std::int16_t* digital = block.digital.data() + at * layout.nD;
    for (std::size_t field = 0; field < fields; ++field) {
        std::int64_t value = 0;
        if (!whole(value)) return false;
        if (field == 1) {
            block.stamp[at] = static_cast<double>(value);
        } else if (field >= 2 && field < 2 + layout.nA) {
            if (value == static_cast<std::int64_t>(kAsciiMissing)) return false;
            analog[field - 2] = static_cast<double>(value);
        } else if (field >= 2) {
            if (value < -32767 || value > 32767) return false;
            digital[field - 2 - layout.nA] = static_cast<std::int16_t>(value);
        }
        if (field + 1 < fields) {
            if (p == end || *p != ',') return false;
            ++p;
        }
    }
    return p == end;
}

/// One data line into sample at of the block; the fault, if any, in words.
std::string ParseLine(const char* p, const char* end, const DataLayout& layout, DecodedPiece& out, std::size_t at)
{
    const std::size_t nA = layout.nA, nD = layout.nD;
    const std::size_t expected = 2 + nA + nD;
    const char* const line = p;
    SampleBlock& block = out.block;
    double* analog = block.analog.data() + at * nA;
    std::int16_t* digital = block.digital.data() + at * nD;
    std::size_t field = 0;
    for (;; ++field) {
        const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
        const char* e = comma != nullptr ? comma : end;
        if (field >= 2 && field < 2 + nA) {
            double v = 0;
            if (IsBlankField(p, e)) {
                out.missingAt.push_back(static_cast<std::uint32_t>(at));
                out.missingChannel.push_back(static_cast<std::uint32_t>(field - 2));
            } else if (!ParseValue(p, e, v)) {
                return "expected analog value " + std::to_string(field - 1) + " as a number, found '" +
                       std::string(p, e) + "'";
            } else if (v == kAsciiMissing) {
                v = 0;
                out.missingAt.push_back(static_cast<std::uint32_t>(at));
                out.missingChannel.push_back(static_cast<std::uint32_t>(field - 2));
            }
            analog[field - 2] = v;
        } else if (field >= 2 + nA && field < expected) {
            double v = 0;
            if (!IsBlankField(p, e) && (!ParseValue(p, e, v) || v != std::floor(v) || std::fabs(v) > 32767))
                return "expected digital state " + std::to_string(field - 1 - nA) + " as 0 or 1, found '" +
                       std::string(p, e) + "'";
            digital[field - 2 - nA] = static_cast<std::int16_t>(v);
        } else if (field == 1) {
            double v = NAN;
            if (!IsBlankField(p, e) && !ParseValue(p, e, v))
                return "expected a time stamp as a number, found '" + std::string(p, e) + "'";
            block.stamp[at] = v;
        } else if (field >= expected && !IsBlankField(p, e)) {
            break;  // too many fields: reported below
        }
        if (comma == nullptr) break;
        p = comma + 1;
    }
    if (field + 1 < expected || (field + 1 > expected && !IsBlankField(p, end))) {
        const std::size_t found = 1 + static_cast<std::size_t>(std::count(line, end, ','));
        return "expected " + std::to_string(expected) + " fields (sample number, time stamp, " + std::to_string(nA) +
               " analog values, " + std::to_string(nD) + " digital states), found " + std::to_string(found);
    }
    return {};
}

void DecodeText(const Piece& piece, const DataLayout& layout, DecodedPiece& out)
{
    const char* p = piece.bytes.data();
    const char* const end = p + piece.size;
    // Each sample takes a line of at least one byte per field: its commas and its line end.
    out.block.Reserve(piece.size / (1 + layout.nA + layout.nD) + 1, layout.nA, layout.nD);
    std::size_t at = 0;
    while (p < end) {
        const char* lineEnd = FindLineEnd(p, end);
        // Some writers put the end-of-file byte right after the last value, with no line end before it.
        const char* text = lineEnd;
        while (text > p && text[-1] == '\x1a') --text;
        ++out.lines;
        if (!IsSkipped(p, text)) {
            if (!ParsePlainLine(p, text, layout, out.block, at)) out.fault = ParseLine(p, text, layout, out, at);
            if (!out.fault.empty()) break;
            ++at;
        }
        p = lineEnd;
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n' && (p == lineEnd || p[-1] == '\r')) ++p;
    }
    out.block.count = at;
}

/// The first count records of the piece: raw values to analog, states to digital, stamps to the block.
template <class Word>
void DecodeRecords(const Piece& piece, const DataLayout& layout, std::size_t count, double* analog,
                   std::int16_t* digital, DecodedPiece& out)
{
    const std::size_t nA = layout.nA, nD = layout.nD;
    const std::size_t record = layout.RecordBytes();
    const char* p = piece.bytes.data();
    for (std::size_t s = 0; s < count; ++s, p += record) {
        std::uint32_t stamp = 0;
        std::memcpy(&stamp, p + 4, 4);
        out.block.stamp[s] = stamp == 0xFFFFFFFFu ? NAN : static_cast<double>(stamp);
        const char* v = p + 8;
        // A float that is no number at all: the recorder had none.
        const auto missing = [](Word w) {
            if constexpr (std::is_integral_v<Word>) return w == std::numeric_limits<Word>::min();
            return !std::isfinite(w);
        };
        // Every value converted in a loop without branches; the rare missing ones are put right after.
        bool any = false;
        for (std::size_t i = 0; i < nA; ++i) {
            Word w;
            std::memcpy(&w, v + i * sizeof(Word), sizeof(Word));
            any |= missing(w);
            analog[i] = static_cast<double>(w);
        }
        for (std::size_t i = 0; any && i < nA; ++i) {
            Word w;
            std::memcpy(&w, v + i * sizeof(Word), sizeof(Word));
            if (!missing(w)) continue;
            out.missingAt.push_back(static_cast<std::uint32_t>(s));
            out.missingChannel.push_back(static_cast<std::uint32_t>(i));
            analog[i] = 0;
        }
        analog += nA;
        v += nA * sizeof(Word);
        for (std::size_t i = 0; i < nD; i += 16) {
            std::uint16_t bits = 0;
            std::memcpy(&bits, v + i / 8, 2);
            if (i + 16 <= nD) {
                // Four bits at a time into four 16-bit states: the product puts bit k at bit 16k.
                for (unsigned b = 0; b < 16; b += 4, digital += 4) {
                    const std::uint64_t four = (((bits >> b) & 0xFu) * 0x0000200040008001u) & 0x0001000100010001u;
                    std::memcpy(digital, &four, 8);
                }
                continue;
            }
            for (std::size_t b = 0; b < 16 && i + b < nD; ++b) *digital++ = static_cast<std::int16_t>((bits >> b) & 1u);
        }
    }
    out.block.count = count;
}

}  // namespace

std::size_t DataLayout::RecordBytes() const
{
    const std::size_t word = type == DataType::Binary ? 2 : 4;
    return 8 + nA * word + 2 * ((nD + 15) / 16);
}

PieceReader::PieceReader(const InputFile& file, const SourceParts& parts, const DataLayout& layout,
                         std::int64_t samples)
    : layout_(layout),
      path_(parts.dataPath),
      window_(file, parts.dataBegin,
              layout.type == DataType::Ascii
                  ? parts.dataEnd
                  : std::min<std::uint64_t>(
                        parts.dataEnd, parts.dataBegin + static_cast<std::uint64_t>(samples) * layout.RecordBytes()))
{
}

bool PieceReader::Next(Piece& piece)
{
    std::size_t want = kPieceBytes;
    if (layout_.type != DataType::Ascii) {
        // Whole records, read straight into the piece: they need no looking at first.
        want = std::max<std::size_t>(1, want / layout_.RecordBytes()) * layout_.RecordBytes();
        if (piece.bytes.size() < want) piece.bytes.resize(want);
        piece.offset = window_.Offset();
        piece.size = window_.Take(piece.bytes.data(), want);
        return piece.size > 0;
    }
    std::size_t have = window_.Need(want);
    if (have == 0) return false;
    std::size_t take = std::min(have, want);
    while (layout_.type == DataType::Ascii) {
        if (window_.Exhausted() && have <= want) {
            take = have;  // the last piece: whatever is left
            break;
        }
        // Whole lines only. A CR with nothing read after it may yet have its LF: it is not cut after.
        const char* data = window_.Data();
        std::size_t cut = take;
        while (cut > 0 && data[cut - 1] != '\n' && !(data[cut - 1] == '\r' && cut < have)) --cut;
        if (cut > 0) {
            take = cut + (data[cut - 1] == '\r' && data[cut] == '\n' ? 1 : 0);
            break;
        }
        // No line end in the bytes looked at: look at every byte buffered, then read more.
        if (take < have) {
            take = have;
            continue;
        }
        if (window_.Exhausted()) break;  // the last line, without a line end
        if (have > LineReader::kMaxLineBytes)
            throw ConvertError("'" + path_ + "': the data line at byte offset " + std::to_string(window_.Offset()) +
                               " is too long to read");
        take = have = window_.Need(have * 2);
    }
    if (piece.bytes.size() < take) piece.bytes.resize(std::max(take, kPieceBytes));
    std::memcpy(piece.bytes.data(), window_.Data(), take);
    piece.size = take;
    piece.offset = window_.Offset();
    window_.Consume(take);
    return true;
}

void DecodePiece(const Piece& piece, const DataLayout& layout, DecodedPiece& out)
{
    out.missingAt.clear();
    out.missingChannel.clear();
    out.lines = 0;
    out.fault.clear();
    out.partial = 0;
    if (layout.type == DataType::Ascii) {
        DecodeText(piece, layout, out);
        return;
    }
    const std::size_t count = piece.size / layout.RecordBytes();
    out.block.Reserve(count, layout.nA, layout.nD);
    DecodeRecordsInto(piece, layout, count, out.block.analog.data(), out.block.digital.data(), out);
}

void DecodeRecordsInto(const Piece& piece, const DataLayout& layout, std::size_t count, double* analog,
                       std::int16_t* digital, DecodedPiece& out)
{
    out.missingAt.clear();
    out.missingChannel.clear();
    out.lines = 0;
    out.fault.clear();
    out.partial = piece.size % layout.RecordBytes();
    if (out.block.stamp.size() < count) out.block.stamp.resize(count);
    switch (layout.type) {
    case DataType::Ascii:
        break;
    case DataType::Binary:
        DecodeRecords<std::int16_t>(piece, layout, count, analog, digital, out);
        break;
    case DataType::Binary32:
        DecodeRecords<std::int32_t>(piece, layout, count, analog, digital, out);
        break;
    case DataType::Float32:
        DecodeRecords<float>(piece, layout, count, analog, digital, out);
        break;
    }
}

}  // namespace sevrana::formats
