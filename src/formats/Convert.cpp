#include "Convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>

#include "DataDecoder.h"
#include "Input.h"
#include "NumberUtils.h"
#include "Output.h"
#include "Pipeline.h"
#include "RecordingFiles.h"
#include "SampleWriter.h"
#include "Source.h"
#include "SourceConfig.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana::formats {

namespace {

// The viewer reads at most this many characters of the record information.
constexpr std::size_t kLongestInfo = 254;

std::string Two(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

/// The 1991 date line: mm/dd/yy,hh:mm:ss.uuuuuu.
std::string DateLine(const Stamp& s)
{
    char micro[8];
    std::snprintf(micro, sizeof micro, "%06ld", s.micro);
    return Two(s.month) + "/" + Two(s.day) + "/" + Two(s.year) + "," + Two(s.hour) + ":" + Two(s.minute) + ":" +
           Two(s.second) + "." + micro;
}

/// A year that two digits give back only as another year: say which date the viewer will show.
void WarnAboutYear(const Stamp& s, std::string_view what, std::vector<std::string>& warnings)
{
    if (s.year >= 1930 && s.year <= 2029) return;
    const int yy = ((s.year % 100) + 100) % 100;
    const int shown = yy < 30 ? 2000 + yy : 1900 + yy;
    const std::string date = Two(s.day) + "/" + Two(s.month) + "/";
    warnings.push_back("The " + std::string(what) + " " + date + std::to_string(s.year) +
                       " cannot be written with its year in the 1991 layout: the viewer will show it as " + date +
                       std::to_string(shown) + ".");
}

std::string RateText(double rate) { return ExactNumber(rate); }

/// A factor as text: the shortest that reads back to the same double.
std::string FactorText(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15) return IntText(static_cast<long long>(value));
    return ExactNumber(value);
}

enum class Timing { Copy, FromStamps, Resample };

struct RatePlan {
    Timing timing = Timing::Copy;
    double rate = 0;
    bool sectionTimes = true;  // resampling: times from the rate sections, else from the stamps
};

RatePlan PlanRates(const SourceConfig& cfg, const ConvertOptions& options, const std::string& path)
{
    RatePlan plan;
    bool anyZero = false;
    for (const RateSection& r : cfg.rates) anyZero = anyZero || r.rate == 0;
    if (options.rate) {
        const double rate = *options.rate;
        if (!(rate >= 1 && rate <= 2147483647 && rate == std::floor(rate)))
            throw ConvertError("the rate to resample onto must be a whole number of samples per second, not " +
                               RateText(rate));
        plan.timing = Timing::Resample;
        plan.rate = rate;
        plan.sectionTimes = !anyZero;
        return plan;
    }
    if (anyZero) {
        plan.timing = Timing::FromStamps;
        return plan;
    }
    const RateSection& first = cfg.rates.front();
    for (const RateSection& r : cfg.rates) {
        if (r.rate != first.rate)
            throw ConvertError(LineMessage(path, r.line,
                                           "the recording has sampling rates of " + RateText(first.rate) + " Hz and " +
                                               RateText(r.rate) +
                                               " Hz, and the 1991 layout holds one: give a rate to resample onto"));
    }
    if (first.rate != std::floor(first.rate) || first.rate > 2147483647)
        throw ConvertError(LineMessage(path, first.line,
                                       "the sampling rate " + RateText(first.rate) +
                                           " Hz is not a whole number, which the 1991 layout needs: give a rate "
                                           "to resample onto"));
    plan.rate = first.rate;
    return plan;
}

/// Times of the samples of the rate sections: each section's first sample follows the last
/// sample of the section before it by one of its own sample periods.
class SectionClock {
public:
    explicit SectionClock(const std::vector<RateSection>& rates) : rates_(rates) {}
    double Seconds(std::int64_t index)
    {
        while (section_ + 1 < rates_.size() && index >= rates_[section_].lastSample) {
            const RateSection& done = rates_[section_];
            if (done.lastSample > first_) base_ += static_cast<double>(done.lastSample - 1 - first_) / done.rate;
            first_ = done.lastSample;
            ++section_;
            if (first_ > 0) base_ += 1.0 / rates_[section_].rate;
        }
        return base_ + static_cast<double>(index - first_) / rates_[section_].rate;
    }

private:
    const std::vector<RateSection>& rates_;
    std::size_t section_ = 0;
    double base_ = 0;
    std::int64_t first_ = 0;
};

std::string RecordInformation(const SourceConfig& cfg, const std::string& original, DataType type, const RatePlan& plan)
{
    std::string info = original.empty() ? "Converted from IEEE C37.111-" + std::to_string(cfg.revision) + " " +
                                              std::string(DataTypeName(type))
                                        : original;
    // Cut in characters, as the viewer counts them, never inside one.
    const auto cut = [&](std::size_t characters) { return info.substr(0, Utf8PrefixBytes(info, characters)); };
    if (plan.timing != Timing::Resample) return cut(kLongestInfo);
    const std::string note = " (resampled to " + RateText(plan.rate) + " Hz)";
    return cut(kLongestInfo - note.size()) + note;
}

class Conversion {
public:
    Conversion(const ConvertOptions& options, const Progress& progress, ConvertResult& result)
        : options_(options), progress_(progress), result_(result)
    {
    }

    void Run()
    {
        if (!HasExtension(options_.output, "cfg"))
            throw ConvertError("'" + options_.output + "': expected an output file name ending in .cfg");
        const SourceParts parts = LocateSource(options_.input);
        TextDecoder decoder = options_.codePage != nullptr ? TextDecoder(*options_.codePage) : Judge(parts);
        std::vector<std::string> lines;
        lines.reserve(parts.configLines.size());
        for (const std::string& line : parts.configLines) lines.push_back(decoder.Decode(line));
        const SourceConfig cfg = ParseConfig(lines, parts.configPath, parts.configFirstLine);
        result_.warnings = cfg.warnings;

        DataType type = cfg.type;
        if (parts.sectionType && *parts.sectionType != type) {
            result_.warnings.push_back("The configuration gives the data type " + std::string(DataTypeName(type)) +
                                       " but the data section holds " + std::string(DataTypeName(*parts.sectionType)) +
                                       ": read as the latter.");
            type = *parts.sectionType;
        }
        result_.revision = cfg.revision;
        result_.dataType = DataTypeName(type);
        result_.combined = parts.combined;
        RatePlan plan = PlanRates(cfg, options_, parts.configPath);

        RefuseToReplace(parts);
        OutputSet output(options_.output);
        OutputFile& cfgFile = output.Create(options_.output);
        OutputFile& datFile = output.Create(DataFileNameFor(options_.output));
        const std::string base = options_.output.substr(0, options_.output.size() - 3);
        OutputFile& infFile = output.Create(base + "INF");

        ConvertData(cfg, type, parts, plan, datFile);

        WriteConfig(cfg, plan, cfgFile);
        const std::string original =
            IniValue(decoder.Decode(parts.infoText), "Public Record_Information", "Record_Information");
        infFile.Append("[Public Record_Information]\r\nRecord_Information=" +
                       RecordInformation(cfg, original, type, plan) + "\r\n");
        if (parts.headerEnd > parts.headerBegin) {
            CopyFile(parts.configPath, output.Create(base + "HDR"), parts.headerBegin, parts.headerEnd);
        } else if (!parts.headerPath.empty()) {
            CopyFile(parts.headerPath, output.Create(base + "HDR"));
        } else {
            // A header left by an earlier conversion to this name would pass for this recording's.
            output.RemoveOnCommit(base + "HDR");
        }
        output.Commit();
        result_.resampled = plan.timing == Timing::Resample;
        result_.ok = true;
    }

private:
    /// An output written over a file of the source would lose the recording if anything went wrong.
    void RefuseToReplace(const SourceParts& parts) const
    {
        const std::string base = options_.output.substr(0, options_.output.size() - 3);
        for (const std::string& out : {options_.output, DataFileNameFor(options_.output), base + "INF", base + "HDR"}) {
            for (const std::string& in : {parts.configPath, parts.dataPath, parts.infoPath, parts.headerPath}) {
                std::error_code ec;
                if (!in.empty() && std::filesystem::equivalent(out, in, ec))
                    throw ConvertError("'" + out +
                                       "' would replace a file of the recording being converted: choose another "
                                       "output name");
            }
        }
    }

    static TextDecoder Judge(const SourceParts& parts)
    {
        std::string text;
        for (const std::string& line : parts.configLines) {
            if (text.size() > TextDecoder::kSampleBytes) break;
            text.append(line).append("\n");
        }
        text += parts.infoText.substr(0, TextDecoder::kSampleBytes);
        return TextDecoder::Judge(text);
    }

    static void CopyFile(const std::string& path, OutputFile& to, std::uint64_t begin = 0,
                         std::uint64_t end = UINT64_MAX)
    {
        const InputFile file(path);
        InputWindow in(file, begin, end);
        while (in.Need(1) > 0) {
            to.Append(std::string_view(in.Data(), in.Available()));
            in.Consume(in.Available());
        }
    }

    void ConvertData(const SourceConfig& cfg, DataType type, const SourceParts& parts, RatePlan& plan,
                     OutputFile& datFile)
    {
        const DataLayout layout{type, cfg.analog.size(), cfg.digital.size()};
        const std::size_t nA = layout.nA, nD = layout.nD;
        const std::int64_t samples = cfg.Samples();
        const InputFile file(parts.dataPath);
        PieceReader reader(file, parts, layout, samples);
        ValueForm form = type == DataType::Ascii     ? ValueForm::Exact
                         : type == DataType::Float32 ? ValueForm::Single
                                                     : ValueForm::Whole;
        if (plan.timing == Timing::Resample) form = ValueForm::Exact;
        const double multiplier = cfg.MicrosecondsPerStamp();
        const double rate = plan.rate;

        // Copied samples are formatted where they are decoded; the others pass here one by one, in order.
        const auto decode = [&](PiecePipeline::Slot& slot) { DecodePiece(slot.piece, layout, slot.decoded); };
        const auto format = [&](PiecePipeline::Slot& slot) {
            SampleWriter writer(nA, nD, form, parts.dataPath);
            writer.Begin(slot.text, slot.before);
            const SampleBlock& b = slot.decoded.block;
            const std::size_t use = static_cast<std::size_t>(
                std::clamp<std::int64_t>(samples - slot.before, 0, static_cast<std::int64_t>(b.count)));
            for (std::size_t s = 0; s < use; ++s) {
                const double stamp = b.stamp[s] * multiplier;
                const double time = std::isnan(stamp)
                                        ? static_cast<double>(slot.before + static_cast<std::int64_t>(s)) * 1e6 / rate
                                        : stamp;
                writer.Put(time, b.analog.data() + s * nA, b.digital.data() + s * nD);
            }
        };
        SampleWriter writer(nA, nD, form, parts.dataPath);
        TextBuffer text;
        Resampler resampler(writer, nA, nD, rate > 0 ? rate : 1);
        EvenStamps even(multiplier);
        SectionClock clock(cfg.rates);

        std::int64_t taken = 0;
        long lines = 0;  // text lines before the piece taken
        const auto take = [&](PiecePipeline::Slot& slot) {
            const SampleBlock& b = slot.decoded.block;
            const std::int64_t use = std::min<std::int64_t>(samples - taken, static_cast<std::int64_t>(b.count));
            if (plan.timing == Timing::Copy) {
                datFile.Write(slot.text.Data(), slot.text.Size());
            } else {
                text.Clear();
                writer.Begin(text, writer.Written());
                for (std::int64_t s = 0; s < use; ++s)
                    TakeOne(plan, b, static_cast<std::size_t>(s), taken + s, nA, nD, multiplier, parts.dataPath, writer,
                            resampler, even, clock);
                datFile.Write(text.Data(), text.Size());
            }
            result_.missingValues += slot.decoded.MissingIn(static_cast<std::size_t>(use));
            if (use == static_cast<std::int64_t>(b.count) && taken + use < samples) {
                if (!slot.decoded.fault.empty())
                    throw ConvertError(LineMessage(parts.dataPath, parts.dataFirstLine - 1 + lines + slot.decoded.lines,
                                                   slot.decoded.fault));
                if (slot.decoded.partial > 0)
                    throw CutShort(parts, layout, taken + use, slot.piece.offset + b.count * layout.RecordBytes(),
                                   slot.decoded.partial, samples);
            }
            taken += use;
            lines += slot.decoded.lines;
            if (progress_ && !progress_(reader.Done(), reader.Total()))
                throw ConvertError("'" + options_.input + "': the conversion was cancelled");
            return taken < samples;
        };
        {
            PiecePipeline pipeline(decode, plan.timing == Timing::Copy ? PiecePipeline::Step(format) : nullptr);
            pipeline.Run([&](Piece& piece) { return reader.Next(piece); }, take);
        }
        if (taken < samples) {
            if (type == DataType::Ascii)
                throw ConvertError("'" + parts.dataPath + "': expected " + std::to_string(samples) +
                                   " samples, found " + std::to_string(taken) + ": the data end at line " +
                                   std::to_string(parts.dataFirstLine + lines));
            throw CutShort(parts, layout, taken,
                           parts.dataBegin + static_cast<std::uint64_t>(taken) * layout.RecordBytes(), 0, samples);
        }
        if (plan.timing == Timing::FromStamps) {
            plan.rate = even.Rate();
            if (plan.rate == 0)
                throw ConvertError("'" + parts.dataPath +
                                   "': the configuration gives no sampling rate and the time stamps give no whole "
                                   "number of samples per second: give a rate to resample onto");
        }
        result_.samples = plan.timing == Timing::Copy ? taken : writer.Written();
        if (result_.samples > 2147483647)
            throw ConvertError("'" + options_.input + "': resampled at " + RateText(plan.rate) +
                               " Hz it has more samples than the 1991 layout's reader counts");
    }

    static ConvertError CutShort(const SourceParts& parts, const DataLayout& layout, std::int64_t before,
                                 std::uint64_t offset, std::size_t found, std::int64_t samples)
    {
        return ConvertError("'" + parts.dataPath + "': record " + std::to_string(before + 1) + " at byte offset " +
                            std::to_string(offset) + ": expected " + std::to_string(layout.RecordBytes()) +
                            " bytes, found " + std::to_string(found) + " (the configuration gives " +
                            std::to_string(samples) + " samples)");
    }

    /// One sample of a recording whose times come from its stamps, or that is resampled.
    static void TakeOne(const RatePlan& plan, const SampleBlock& b, std::size_t s, std::int64_t index, std::size_t nA,
                        std::size_t nD, double multiplier, const std::string& path, SampleWriter& writer,
                        Resampler& resampler, EvenStamps& even, SectionClock& clock)
    {
        const double* analog = b.analog.data() + s * nA;
        const std::int16_t* digital = b.digital.data() + s * nD;
        const double stamp = b.stamp[s] * multiplier;  // microseconds
        const bool fromStamps = plan.timing == Timing::FromStamps || !plan.sectionTimes;
        if (fromStamps && std::isnan(stamp))
            throw ConvertError("'" + path + "': sample " + std::to_string(index + 1) +
                               " has no time stamp, and the configuration gives no sampling rate");
        if (plan.timing == Timing::Resample) {
            resampler.Put(plan.sectionTimes ? clock.Seconds(index) : stamp * 1e-6, analog, digital);
            return;
        }
        if (!even.Add(index, stamp))
            throw ConvertError("'" + path +
                               "': the configuration gives no sampling rate and the time stamps are not evenly spaced "
                               "(sample " +
                               std::to_string(index + 1) + "): give a rate to resample onto");
        writer.Put(stamp, analog, digital);
    }

    void WriteConfig(const SourceConfig& cfg, const RatePlan& plan, OutputFile& out)
    {
        const std::size_t nA = cfg.analog.size();
        const std::size_t nD = cfg.digital.size();
        std::string text = cfg.station + "," + cfg.device + ",1991\r\n";
        text += std::to_string(nA + nD) + "," + std::to_string(nA) + "A," + std::to_string(nD) + "D\r\n";
        std::vector<std::string> unscaled;
        for (std::size_t i = 0; i < nA; ++i) {
            const AnalogChannel& c = cfg.analog[i];
            std::string a = c.a, b = c.b;
            if (options_.quantity != Quantity::AsRecorded) {
                const bool known = (c.ps == 'P' || c.ps == 'S') && c.primary > 0 && c.secondary > 0;
                const char want = options_.quantity == Quantity::Primary ? 'P' : 'S';
                if (!known) {
                    unscaled.push_back(c.id);
                } else if (c.ps != want) {
                    const double ratio = want == 'P' ? c.primary / c.secondary : c.secondary / c.primary;
                    a = FactorText(c.factorA * ratio);
                    b = FactorText(c.factorB * ratio);
                }
            }
            text += std::to_string(i + 1) + "," + c.id + "," + c.phase + "," + c.circuit + "," + c.unit + "," + a +
                    "," + b + "," + c.skew + "," + c.min + "," + c.max + "\r\n";
        }
        for (std::size_t i = 0; i < nD; ++i) {
            const DigitalChannel& c = cfg.digital[i];
            text += std::to_string(i + 1) + "," + c.id + "," + c.normal + "\r\n";
        }
        text += std::to_string(cfg.frequency) + "\r\n1\r\n" + RateText(plan.rate) + "," +
                std::to_string(result_.samples) + "\r\n";
        text += DateLine(cfg.start) + "\r\n" + DateLine(cfg.trigger) + "\r\nASCII\r\n";
        out.Append(text);

        WarnAboutYear(cfg.start, "first sample's date", result_.warnings);
        WarnAboutYear(cfg.trigger, "trigger point's date", result_.warnings);
        if (!unscaled.empty()) {
            std::string names;
            for (const std::string& n : unscaled) names += (names.empty() ? "" : ", ") + n;
            result_.warnings.push_back("No primary and secondary values (or no P/S side) for " + names +
                                       ": their values are left as recorded.");
        }
    }

    const ConvertOptions& options_;
    const Progress& progress_;
    ConvertResult& result_;
};

}  // namespace

ConvertResult ConvertRecording(const ConvertOptions& options, const Progress& progress)
{
    ConvertResult result;
    try {
        Conversion(options, progress, result).Run();
    } catch (const ConvertError& e) {
        result.error = e.what();
    } catch (const std::bad_alloc&) {
        result.error = "'" + options.input + "': not enough memory to convert it";
    } catch (const std::exception& e) {
        result.error = "'" + options.input + "': " + e.what();
    }
    if (!result.ok) {
        result.samples = 0;
        result.resampled = false;
    }
    return result;
}

bool NeedsImport(const std::string& path)
{
    if (HasExtension(path, "cff")) return true;
    try {
        const InputFile file(path);
        std::string bytes(std::min<std::uint64_t>(file.Size(), std::uint64_t{1} << 20), '\0');
        bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
        const std::vector<std::string> lines = SplitLines(bytes);
        if (lines.empty()) return false;
        if (RevisionOfHeader(lines[0]) >= 1999) return true;
        if (lines.size() < 2) return false;
        Array1<std::string_view> fields;
        if (SplitFields(lines[1], ",", fields) != 3) return false;
        const double nA = Val(fields(2));
        const double nD = Val(fields(3));
        for (std::size_t i = 2; i < lines.size() && static_cast<double>(i) < 2 + nA + nD; ++i) {
            const long count = SplitFields(lines[i], ",", fields);
            if (static_cast<double>(i) < 2 + nA ? count > 10 : count > 3) return true;
        }
        // The viewer reads one rate and data written exactly "ASCII"; the converter reads the others.
        const SourceConfig cfg = ParseConfig(lines, path);
        return cfg.rates.size() > 1 || TrimBlanks(lines[static_cast<std::size_t>(cfg.typeLine) - 1]) != "ASCII";
    } catch (const std::exception&) {
        // What cannot be read is left to the viewer's Open, which says why.
    }
    return false;
}

}  // namespace sevrana::formats
