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
#include "SourceSetup.h"
#include "TextDecoder.h"
#include "TextUtils.h"
#include "Timing.h"

namespace sevrana::formats {

namespace {

// The viewer reads at most this many characters of the record information.
constexpr std::size_t kLongestInfo = 254;
constexpr std::string_view kCannotWriteYear = "cannot be written with its year in the 1991 layout";

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
        OpenedSource source = OpenSource(options_.input, options_.codePage);
        const SourceParts& parts = source.parts;
        TextDecoder& decoder = source.decoder;
        const SourceConfig& cfg = source.cfg;
        const DataType type = source.type;
        result_.warnings = std::move(source.warnings);
        result_.revision = cfg.revision;
        result_.dataType = DataTypeName(type);
        result_.combined = parts.combined;
        CheckChannelLimits(cfg, parts.configPath);
        RatePlan plan = PlanRates(cfg, options_.rate, parts.configPath, "the 1991 layout");

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
        // How many samples the output will have, known before any is written.
        std::int64_t planned = samples;
        if (plan.timing == Timing::Resample) planned = ResampledSamples(cfg, parts, layout, plan, options_.input);
        CheckSampleLimit(planned, options_.input);
        SampleWriter writer(nA, nD, form, parts.dataPath);
        TextBuffer text;
        Resampler resampler(writer, nA, nD, rate > 0 ? rate : 1, planned);
        EvenStamps even(multiplier);
        StampOrder order(parts.dataPath);
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
                            resampler, even, order, clock);
                datFile.Write(text.Data(), text.Size());
            }
            result_.missingValues += slot.decoded.MissingIn(static_cast<std::size_t>(use));
            CheckPieceEnd(parts, layout, slot.piece, slot.decoded, taken, lines, samples);
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
        if (taken < samples) DataEndedEarly(parts, layout, taken, lines, samples);
        if (plan.timing == Timing::FromStamps) {
            plan.rate = RateOfStamps(even, parts.dataPath);
        }
        result_.samples = plan.timing == Timing::Copy ? taken : writer.Written();
    }

    /// One sample of a recording whose times come from its stamps, or that is resampled.
    static void TakeOne(const RatePlan& plan, const SampleBlock& b, std::size_t s, std::int64_t index, std::size_t nA,
                        std::size_t nD, double multiplier, const std::string& path, SampleWriter& writer,
                        Resampler& resampler, EvenStamps& even, StampOrder& order, SectionClock& clock)
    {
        const double* analog = b.analog.data() + s * nA;
        const std::int16_t* digital = b.digital.data() + s * nD;
        const double stamp = b.stamp[s] * multiplier;  // microseconds
        const bool fromStamps = plan.timing == Timing::FromStamps || !plan.sectionTimes;
        if (fromStamps) order.Add(index, stamp);
        if (plan.timing == Timing::Resample) {
            resampler.Put(plan.sectionTimes ? clock.Seconds(index) : stamp * 1e-6, analog, digital);
            return;
        }
        if (!even.Add(index, stamp)) throw UnevenStamps(path, index);
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
            const auto [a, b] = ScaledFactors(c, options_.quantity, unscaled);
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

        WarnAboutYear(cfg.start, "first sample's date", kCannotWriteYear, result_.warnings);
        WarnAboutYear(cfg.trigger, "trigger point's date", kCannotWriteYear, result_.warnings);
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
