#include "DataDecoder.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

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

class AsciiDecoder : public DataDecoder {
public:
    AsciiDecoder(const SourceConfig& cfg, const SourceParts& parts, const InputFile& file)
        : DataDecoder(cfg, file, parts.dataBegin, parts.dataEnd), path_(parts.dataPath), line_(parts.dataFirstLine - 1)
    {
    }

    bool Next(SampleBlock& block, std::size_t maxSamples) override
    {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(maxSamples, samples_ - done_));
        block.Resize(want, nA_, nD_);
        std::size_t filled = 0;
        while (filled < want) {
            std::string_view line;
            if (!NextLine(line)) {
                throw ConvertError("'" + path_ + "': expected " + std::to_string(samples_) + " samples, found " +
                                   std::to_string(done_) + ": the data end at line " + std::to_string(line_ + 1));
            }
            if (IsSkipped(line)) continue;
            ParseLine(line, block, filled);
            ++filled;
            ++done_;
        }
        block.count = filled;
        return filled > 0;
    }

private:
    /// Blank lines, and the end-of-file byte some writers leave, hold no sample.
    static bool IsSkipped(std::string_view line)
    {
        for (const char c : line)
            if (!IsBlank(c) && c != '\x1a') return false;
        return true;
    }

    bool NextLine(std::string_view& line)
    {
        std::size_t have = window_.Available();
        if (have == 0) have = window_.Need(1);
        if (have == 0) return false;
        const char* data = window_.Data();
        const char* end = FindLineEnd(data, data + have);
        while (end == data + have) {
            const std::size_t more = window_.Need(have + 1);
            data = window_.Data();
            if (more == have) break;  // the last line has no line end
            if (more - have > 0 && have > LineReader::kMaxLineBytes)
                throw ConvertError(LineMessage(path_, line_ + 1, "expected a data line, found one too long to read"));
            end = FindLineEnd(data + have, data + more);
            have = more;
        }
        std::size_t length = static_cast<std::size_t>(end - data);
        std::size_t used = length;
        if (end != data + have) {
            used = length + 1;
            if (*end == '\r') {
                if (length + 1 == have) {
                    have = window_.Need(length + 2);
                    data = window_.Data();
                }
                if (length + 1 < have && data[length + 1] == '\n') used = length + 2;
            }
        }
        ++line_;
        line = std::string_view(data, length);
        window_.Consume(used);  // the bytes stay in place until the next Need
        return true;
    }

    [[noreturn]] void Fail(const std::string& what) const { throw ConvertError(LineMessage(path_, line_, what)); }

    void ParseLine(std::string_view line, SampleBlock& block, std::size_t at)
    {
        const std::size_t expected = 2 + nA_ + nD_;
        const char* p = line.data();
        const char* end = p + line.size();
        double* analog = block.analog.data() + at * nA_;
        std::int16_t* digital = block.digital.data() + at * nD_;
        std::size_t field = 0;
        for (;; ++field) {
            const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
            const char* e = comma != nullptr ? comma : end;
            if (field >= 2 && field < 2 + nA_) {
                double v = 0;
                if (IsBlankField(p, e)) {
                    ++missing_;
                } else if (!ParseValue(p, e, v)) {
                    Fail("expected analog value " + std::to_string(field - 1) + " as a number, found '" +
                         std::string(p, e) + "'");
                } else if (v == kAsciiMissing) {
                    v = 0;
                    ++missing_;
                }
                analog[field - 2] = v;
            } else if (field >= 2 + nA_ && field < expected) {
                double v = 0;
                if (!IsBlankField(p, e) && (!ParseValue(p, e, v) || v != std::floor(v) || std::fabs(v) > 32767))
                    Fail("expected digital state " + std::to_string(field - 1 - nA_) + " as 0 or 1, found '" +
                         std::string(p, e) + "'");
                digital[field - 2 - nA_] = static_cast<std::int16_t>(v);
            } else if (field == 1) {
                double v = SampleBlock::kNoStamp;
                if (!IsBlankField(p, e) && !ParseValue(p, e, v))
                    Fail("expected a time stamp as a number, found '" + std::string(p, e) + "'");
                block.stamp[at] = v;
            } else if (field >= expected && !IsBlankField(p, e)) {
                break;  // too many fields: reported below
            }
            if (comma == nullptr) break;
            p = comma + 1;
        }
        if (field + 1 < expected || (field + 1 > expected && !IsBlankField(p, end))) {
            std::size_t found = 1;
            for (const char c : line) found += c == ',';
            Fail("expected " + std::to_string(expected) + " fields (sample number, time stamp, " + std::to_string(nA_) +
                 " analog values, " + std::to_string(nD_) + " digital states), found " + std::to_string(found));
        }
    }

    std::string path_;
    long line_;
};

/// BINARY, BINARY32 and FLOAT32 records: sample number, time stamp, analog values of the
/// given word, then the digital states 16 to a word, least significant bit first.
template <class Word>
class BinaryDecoder : public DataDecoder {
public:
    BinaryDecoder(const SourceConfig& cfg, const SourceParts& parts, const InputFile& file)
        : DataDecoder(cfg, file, parts.dataBegin, parts.dataEnd),
          path_(parts.dataPath),
          words_((cfg.digital.size() + 15) / 16),
          record_(8 + cfg.analog.size() * sizeof(Word) + 2 * words_)
    {
    }

    bool Next(SampleBlock& block, std::size_t maxSamples) override
    {
        const std::size_t perBlock = std::max<std::size_t>(1, InputWindow::kBlockBytes / record_);
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
            {static_cast<std::int64_t>(maxSamples), static_cast<std::int64_t>(perBlock), samples_ - done_}));
        block.Resize(want, nA_, nD_);
        if (want == 0) return false;
        const std::size_t have = window_.Need(want * record_);
        if (have < want * record_) {
            const std::size_t whole = have / record_;
            throw ConvertError("'" + path_ + "': record " + std::to_string(done_ + whole + 1) + " at byte offset " +
                               std::to_string(window_.Offset() + whole * record_) + ": expected " +
                               std::to_string(record_) + " bytes, found " + std::to_string(have - whole * record_) +
                               " (the configuration gives " + std::to_string(samples_) + " samples)");
        }
        const char* p = window_.Data();
        double* analog = block.analog.data();
        std::int16_t* digital = block.digital.data();
        for (std::size_t s = 0; s < want; ++s, p += record_) {
            std::uint32_t stamp = 0;
            std::memcpy(&stamp, p + 4, 4);
            block.stamp[s] = stamp == 0xFFFFFFFFu ? SampleBlock::kNoStamp : static_cast<double>(stamp);
            const char* v = p + 8;
            for (std::size_t i = 0; i < nA_; ++i, v += sizeof(Word)) {
                Word w;
                std::memcpy(&w, v, sizeof(Word));
                if constexpr (std::is_integral_v<Word>) {
                    if (w == std::numeric_limits<Word>::min()) {
                        ++missing_;
                        w = 0;
                    }
                }
                *analog++ = static_cast<double>(w);
            }
            for (std::size_t i = 0; i < nD_; ++i) {
                std::uint16_t bits = 0;
                std::memcpy(&bits, v + 2 * (i / 16), 2);
                *digital++ = static_cast<std::int16_t>((bits >> (i % 16)) & 1u);
            }
        }
        window_.Consume(want * record_);
        done_ += static_cast<std::int64_t>(want);
        block.count = want;
        return true;
    }

private:
    std::string path_;
    std::size_t words_;
    std::size_t record_;
};

}  // namespace

std::unique_ptr<DataDecoder> DataDecoder::Create(const SourceConfig& cfg, DataType type, const SourceParts& parts,
                                                 const InputFile& file)
{
    switch (type) {
    case DataType::Ascii:
        return std::make_unique<AsciiDecoder>(cfg, parts, file);
    case DataType::Binary:
        return std::make_unique<BinaryDecoder<std::int16_t>>(cfg, parts, file);
    case DataType::Binary32:
        return std::make_unique<BinaryDecoder<std::int32_t>>(cfg, parts, file);
    case DataType::Float32:
        return std::make_unique<BinaryDecoder<float>>(cfg, parts, file);
    }
    return nullptr;
}

}  // namespace sevrana::formats
