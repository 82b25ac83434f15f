#include "Reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "DataDecoder.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "Pipeline.h"
#include "SampleWriter.h"
#include "SourceSetup.h"
#include "TextUtils.h"
#include "Timing.h"

namespace sevrana::formats {

namespace {

// The viewer shows at most this many characters of the record information.
constexpr std::size_t kLongestInfo = 254;
// Raw values the 1991 layout's reader holds in 32 bits: the same limit keeps the two readers alike.
constexpr double kRawLimit = 2147483647.5;

/// Samples a record of span seconds has at rate, as far as 64 bits count.
std::int64_t SamplesAt(double span, double rate)
{
    const double count = std::floor(span * rate + 1e-9) + 1;
    return count < 9e18 ? static_cast<std::int64_t>(std::max(count, 1.0)) : std::numeric_limits<std::int64_t>::max();
}

/// The rate questions of a configuration with several rates, or with one the model cannot hold.
RateQuestion QuestionOfSections(const SourceConfig& cfg)
{
    RateQuestion q;
    for (const RateSection& r : cfg.rates)
        if (std::find(q.ratesFound.begin(), q.ratesFound.end(), r.rate) == q.ratesFound.end())
            q.ratesFound.push_back(r.rate);
    q.highest = *std::max_element(q.ratesFound.begin(), q.ratesFound.end());
    const std::int64_t samples = cfg.Samples();
    SectionClock clock(cfg.rates);
    const double span = samples > 0 ? clock.Seconds(samples - 1) : 0;
    q.samplesAtHighest = SamplesAt(span, q.highest);
    // The rate most samples are taken at, by the median of their spacings.
    std::vector<std::pair<double, std::int64_t>> periods;  // period, samples
    std::int64_t before = 0;
    for (const RateSection& r : cfg.rates) {
        if (r.lastSample > before) periods.emplace_back(1 / r.rate, r.lastSample - before);
        before = std::max(before, r.lastSample);
    }
    std::sort(periods.begin(), periods.end());
    std::int64_t seen = 0;
    for (const auto& [period, count] : periods) {
        seen += count;
        if (2 * seen >= before) {
            q.medianSpacing = 1 / period;
            break;
        }
    }
    q.samplesAtMedian = q.medianSpacing > 0 ? SamplesAt(span, q.medianSpacing) : 0;
    return q;
}

/// Raw values into the model: a * raw + b per analog channel, the extremes and peaks from 0 as
/// the loader keeps them, and a gap (NaN) for a missing value.
class ModelColumns {
public:
    ModelColumns(RecordingModel& model, bool checkRange, const std::string& dataPath)
        : m_(model),
          nA_(static_cast<std::size_t>(model.AnalogCount())),
          nD_(static_cast<std::size_t>(model.DigitalCount())),
          checkRange_(checkRange),
          dataPath_(dataPath)
    {
    }

    /// Figures kept per piece: raw minimum, raw maximum and peak of each channel.
    void Start(std::vector<double>& figures) const { figures.assign(3 * nA_, 0.0); }

    /// Sample column (1-based) from its raw values (NaN: missing).
    void Put(long column, const double* raw, const std::int16_t* states, std::vector<double>& figures) const
    {
        if (nA_ > 0) std::copy(raw, raw + nA_, m_.arrAnalogSamples.Column(column));
        if (nD_ > 0) std::copy(states, states + nD_, m_.arrDigitalSamples.Column(column));
        Scale(column, 1, figures);
    }

    /// count sample columns from column on, holding raw values (NaN: missing), made values in place.
    void Scale(long column, std::size_t count, std::vector<double>& figures) const
    {
        if (nA_ == 0 || count == 0) return;
        const double* a = m_.arrFactorA.data();
        const double* b = m_.arrFactorB.data();
        double* low = figures.data();
        double* high = low + nA_;
        double* peak = high + nA_;
        double* out = m_.arrAnalogSamples.Column(column);
        for (std::size_t s = 0; s < count; ++s, out += nA_) {
            for (std::size_t i = 0; i < nA_; ++i) {
                const double x = out[i];
                if (checkRange_ && !(std::fabs(x) < kRawLimit) && !std::isnan(x))
                    throw RawBeyondRange(dataPath_, column + static_cast<long>(s), i, x);
                high[i] = x > high[i] ? x : high[i];
                low[i] = x < low[i] ? x : low[i];
                const double v = a[i] * x + b[i];
                out[i] = v;
                peak[i] = std::fabs(v) > peak[i] ? std::fabs(v) : peak[i];
            }
        }
    }

    void Merge(const std::vector<double>& figures) const
    {
        for (std::size_t i = 0; i < nA_; ++i) {
            const long c = static_cast<long>(i) + 1;
            m_.arrRawMin(c) = std::min(m_.arrRawMin(c), figures[i]);
            m_.arrRawMax(c) = std::max(m_.arrRawMax(c), figures[nA_ + i]);
            m_.arrPeakValue(c) = std::max(m_.arrPeakValue(c), figures[2 * nA_ + i]);
        }
    }

    std::size_t Analog() const { return nA_; }
    std::size_t Digital() const { return nD_; }

private:
    RecordingModel& m_;
    std::size_t nA_, nD_;
    bool checkRange_;
    const std::string& dataPath_;
};

/// The resampled samples, straight into the model one after the other.
class ModelSink final : public SampleSink {
public:
    ModelSink(const ModelColumns& columns, std::vector<double>& figures) : columns_(columns), figures_(figures) {}
    void Put(double, const double* analog, const std::int16_t* digital) override
    {
        columns_.Put(++written_, analog, digital, figures_);
    }
    long Written() const { return written_; }

private:
    const ModelColumns& columns_;
    std::vector<double>& figures_;
    long written_ = 0;
};

/// Marks the missing values of a decoded piece as gaps.
void MarkGaps(DecodedPiece& decoded, std::size_t nA)
{
    for (std::size_t k = 0; k < decoded.missingAt.size(); ++k)
        decoded.block.analog[decoded.missingAt[k] * nA + decoded.missingChannel[k]] = NAN;
}

class Reading {
public:
    Reading(const ReadOptions& options, RecordingModel& model, const Progress& progress, ReadResult& result)
        : options_(options), m_(model), progress_(progress), result_(result)
    {
    }

    void Run()
    {
        OpenedSource source = OpenSource(options_.input, options_.codePage);
        const SourceParts& parts = source.parts;
        const SourceConfig& cfg = source.cfg;
        result_.warnings = std::move(source.warnings);
        result_.revision = cfg.revision;
        result_.dataType = DataTypeName(source.type);
        result_.combined = parts.combined;
        CheckChannelLimits(cfg, parts.configPath);
        RatePlan plan;
        try {
            plan = PlanRates(cfg, options_.rate, parts.configPath, "the viewer");
        } catch (const RateNeeded&) {
            result_.needsRate = QuestionOfSections(cfg);
            throw;
        }
        const DataLayout layout{source.type, cfg.analog.size(), cfg.digital.size()};
        std::int64_t samples = cfg.Samples();
        if (plan.timing == Timing::Resample) samples = ResampledSamples(cfg, parts, layout, plan, options_.input);
        CheckSampleLimit(samples, options_.input);

        FillHeader(source, plan, samples);
        if (layout.nA > 0) m_.arrAnalogSamples.Redim(static_cast<long>(layout.nA), static_cast<long>(samples) + 1);
        if (layout.nD > 0) m_.arrDigitalSamples.Redim(static_cast<long>(layout.nD), static_cast<long>(samples) + 1);
        // Values the 1991 layout writes as text are held to its 32 bits; binary words always fit.
        const bool checkRange =
            source.type == DataType::Ascii || source.type == DataType::Float32 || plan.timing == Timing::Resample;
        const ModelColumns columns(m_, checkRange, parts.dataPath);
        if (plan.timing == Timing::Resample)
            Resample(cfg, parts, layout, plan, columns, samples);
        else
            Copy(cfg, parts, layout, plan, columns);
        result_.resampled = plan.timing == Timing::Resample;
        result_.ok = true;
    }

private:
    void FillHeader(OpenedSource& source, const RatePlan& plan, std::int64_t samples)
    {
        const SourceConfig& cfg = source.cfg;
        const long nA = static_cast<long>(cfg.analog.size());
        const long nD = static_cast<long>(cfg.digital.size());
        m_.varConfigFile = options_.input;
        m_.strDataFile = source.parts.combined ? options_.input : source.parts.dataPath;
        m_.varStationName = std::string(TrimBlanks(cfg.station));
        m_.varDeviceId = std::string(TrimBlanks(cfg.device));
        m_.strEncoding = source.decoder.Encoding();
        m_.strReadAs = result_.ReadAs();
        const std::string info =
            IniValue(source.decoder.Decode(source.parts.infoText), "Public Record_Information", "Record_Information");
        m_.strRecordInfo = RecordInformation(info, plan);

        m_.varTotalChannels = static_cast<double>(nA + nD);
        m_.varAnalogChannels = static_cast<double>(nA);
        m_.intDigitalCount = static_cast<std::int16_t>(nD);
        FillFrequency(source);
        m_.intSampleRateCount = 1;
        m_.arrSampleRates.Redim(1, 1);
        m_.arrLastSamples.Redim(1, 1);
        m_.lngSampleRate = static_cast<std::int32_t>(plan.rate);
        m_.lngLastSample = static_cast<std::int32_t>(samples);
        m_.arrSampleRates(1) = m_.lngSampleRate;
        m_.arrLastSamples(1) = m_.lngLastSample;
        m_.varStartStamp = DateLine(cfg.start);
        m_.strTriggerStamp = DateLine(cfg.trigger);
        constexpr std::string_view cannot = "cannot be shown with its year";
        WarnAboutYear(cfg.start, "first sample's date", cannot, result_.warnings);
        WarnAboutYear(cfg.trigger, "trigger point's date", cannot, result_.warnings);

        FillChannels(cfg, nA, nD);
    }

    /// The line frequency only labels the recording: one the model cannot hold is rounded, and told.
    void FillFrequency(const OpenedSource& source)
    {
        m_.intLineFrequency = static_cast<std::int16_t>(source.cfg.frequency);
        const std::size_t line = 2 + source.cfg.analog.size() + source.cfg.digital.size();
        if (line >= source.parts.configLines.size()) return;
        const std::string_view text = TrimBlanks(source.parts.configLines[line]);
        const std::optional<double> written = ParseNumber(text);
        if (written && *written != source.cfg.frequency && RoundHalfEven(*written) == source.cfg.frequency)
            result_.warnings.push_back("The line frequency " + std::string(text) +
                                       " Hz is not a whole number: shown as " + std::to_string(source.cfg.frequency) +
                                       " Hz.");
    }

    void FillChannels(const SourceConfig& cfg, long nA, long nD)
    {
        if (nA > 0) {
            for (auto* texts : {&m_.arrAnalogNames, &m_.arrAnalogUnits, &m_.arrAnalogPhases, &m_.arrAnalogCircuits})
                texts->Redim(1, nA);
            for (auto* values : {&m_.arrFactorA, &m_.arrFactorB, &m_.arrRangeMin, &m_.arrRangeMax, &m_.arrFullScale,
                                 &m_.arrRawMin, &m_.arrRawMax, &m_.arrPeakValue, &m_.arrChannelScale})
                values->Redim(1, nA);
            m_.arrAutoScale.Redim(1, nA);
        }
        m_.arrDigitalSelection.Redim(0, nD + 1);
        if (nD > 0) {
            m_.arrDigitalNames.Redim(1, nD);
            m_.arrDigitalNormal.Redim(1, nD);
        }
        std::vector<std::string> unscaled;
        bool factorMissing = false;
        for (long i = 1; i <= nA; ++i) {
            const AnalogChannel& c = cfg.analog[static_cast<std::size_t>(i - 1)];
            const auto [aText, bText] = ScaledFactors(c, options_.quantity, unscaled);
            const double a = Val(aText);
            factorMissing = factorMissing || a == 0 || aText.empty();
            m_.arrAnalogNames(i) = std::string(TrimBlanks(c.id));
            m_.arrAnalogUnits(i) = c.unit;
            m_.arrAnalogPhases(i) = std::string(TrimBlanks(c.phase));
            m_.arrAnalogCircuits(i) = std::string(TrimBlanks(c.circuit));
            m_.arrFactorA(i) = a;
            m_.arrFactorB(i) = Val(bText);
            m_.arrRangeMin(i) = Val(c.min);
            m_.arrRangeMax(i) = Val(c.max);
            const double lo = std::fabs(m_.arrRangeMin(i));
            const double hi = std::fabs(m_.arrRangeMax(i));
            m_.arrFullScale(i) = (hi < lo ? lo : hi) * a + m_.arrFactorB(i);
        }
        for (long i = 1; i <= nD; ++i) {
            const DigitalChannel& c = cfg.digital[static_cast<std::size_t>(i - 1)];
            m_.arrDigitalNames(i) = std::string(TrimBlanks(c.id));
            m_.arrDigitalNormal(i) = TextToInt16(TrimBlanks(c.normal));
        }
        if (factorMissing) result_.warnings.push_back(messages::FactorWarning(options_.input));
        if (!unscaled.empty()) {
            std::string names;
            for (const std::string& n : unscaled) names += (names.empty() ? "" : ", ") + n;
            result_.warnings.push_back("No primary and secondary values (or no P/S side) for " + names +
                                       ": their values are shown as recorded.");
        }
    }

    static std::string RecordInformation(const std::string& original, const RatePlan& plan)
    {
        const auto cut = [&](std::size_t characters) {
            return original.substr(0, Utf8PrefixBytes(original, characters));
        };
        if (plan.timing != Timing::Resample) return cut(kLongestInfo);
        const std::string note = "(resampled to " + RateText(plan.rate) + " Hz)";
        if (original.empty()) return note;
        return cut(kLongestInfo - note.size() - 1) + " " + note;
    }

    void Report(const PieceReader& reader) const
    {
        if (progress_ && !progress_(reader.Done(), reader.Total()))
            throw ConvertError("'" + options_.input + "': the reading was cancelled");
    }

    /// Every sample as recorded, each piece written into its columns on the core that decoded it.
    void Copy(const SourceConfig& cfg, const SourceParts& parts, const DataLayout& layout, RatePlan& plan,
              const ModelColumns& columns)
    {
        const std::size_t nA = layout.nA, nD = layout.nD;
        const std::int64_t samples = cfg.Samples();
        const InputFile file(parts.dataPath);
        PieceReader reader(file, parts, layout, samples);
        const double multiplier = cfg.MicrosecondsPerStamp();
        const bool fromStamps = plan.timing == Timing::FromStamps;

        // Records decode straight into their columns: a piece's place follows from its offset.
        const std::size_t record = layout.RecordBytes();
        const auto decodeInPlace = [&](PiecePipeline::Slot& slot) {
            const auto first = static_cast<std::int64_t>((slot.piece.offset - parts.dataBegin) / record);
            const auto count = static_cast<std::size_t>(
                std::clamp<std::int64_t>(samples - first, 0, static_cast<std::int64_t>(slot.piece.size / record)));
            const long column = static_cast<long>(first) + 1;
            double* analog = nA > 0 && count > 0 ? m_.arrAnalogSamples.Column(column) : nullptr;
            std::int16_t* digital = nD > 0 && count > 0 ? m_.arrDigitalSamples.Column(column) : nullptr;
            DecodeRecordsInto(slot.piece, layout, count, analog, digital, slot.decoded);
            for (std::size_t k = 0; k < slot.decoded.missingAt.size(); ++k)
                analog[slot.decoded.missingAt[k] * nA + slot.decoded.missingChannel[k]] = NAN;
            columns.Start(slot.figures);
            columns.Scale(column, count, slot.figures);
        };
        const auto decode = [&](PiecePipeline::Slot& slot) {
            DecodePiece(slot.piece, layout, slot.decoded);
            MarkGaps(slot.decoded, nA);
        };
        const auto place = [&](PiecePipeline::Slot& slot) {
            const SampleBlock& b = slot.decoded.block;
            columns.Start(slot.figures);
            const std::int64_t use =
                std::clamp<std::int64_t>(samples - slot.before, 0, static_cast<std::int64_t>(b.count));
            for (std::int64_t s = 0; s < use; ++s) {
                const auto k = static_cast<std::size_t>(s);
                columns.Put(static_cast<long>(slot.before + s + 1), b.analog.data() + k * nA, b.digital.data() + k * nD,
                            slot.figures);
            }
        };
        EvenStamps even(multiplier);
        StampOrder order(parts.dataPath);
        std::int64_t uneven = -1;  // the first sample the even spacing fails at
        std::vector<double> spacings;
        std::int64_t taken = 0;
        long lines = 0;
        const auto take = [&](PiecePipeline::Slot& slot) {
            const SampleBlock& b = slot.decoded.block;
            const std::int64_t use = std::min<std::int64_t>(samples - taken, static_cast<std::int64_t>(b.count));
            for (std::int64_t s = 0; fromStamps && s < use; ++s) {
                const double stamp = b.stamp[static_cast<std::size_t>(s)] * multiplier;
                const double before = order.Last();
                order.Add(taken + s, stamp);
                if (taken + s > 0) spacings.push_back(stamp - before);
                if (uneven < 0 && !even.Add(taken + s, stamp)) uneven = taken + s;
            }
            result_.missingValues += slot.decoded.MissingIn(static_cast<std::size_t>(use));
            if (use == static_cast<std::int64_t>(b.count))
                CheckPieceEnd(parts, layout, slot.piece, slot.decoded, taken, lines, samples);
            columns.Merge(slot.figures);
            taken += use;
            lines += slot.decoded.lines;
            Report(reader);
            return taken < samples;
        };
        {
            PiecePipeline pipeline(layout.type == DataType::Ascii ? PiecePipeline::Step(decode) : decodeInPlace,
                                   layout.type == DataType::Ascii ? PiecePipeline::Step(place) : nullptr);
            pipeline.Run([&](Piece& piece) { return reader.Next(piece); }, take);
        }
        if (taken < samples) DataEndedEarly(parts, layout, taken, lines, samples);
        if (!fromStamps) return;
        try {
            if (uneven >= 0) throw UnevenStamps(parts.dataPath, uneven);
            plan.rate = RateOfStamps(even, parts.dataPath);
        } catch (const RateNeeded&) {
            result_.needsRate = QuestionOfStamps(spacings, order, samples);
            throw;
        }
        m_.lngSampleRate = static_cast<std::int32_t>(plan.rate);
        m_.arrSampleRates(1) = m_.lngSampleRate;
    }

    static RateQuestion QuestionOfStamps(std::vector<double>& spacings, const StampOrder& order, std::int64_t samples)
    {
        RateQuestion q;
        if (spacings.empty() || samples == 0) return q;
        auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2);
        std::nth_element(spacings.begin(), middle, spacings.end());
        if (*middle > 0) q.medianSpacing = std::max(1.0, RoundHalfEven(1e6 / *middle));
        if (q.medianSpacing > 0) q.samplesAtMedian = SamplesAt((order.Last() - order.First()) * 1e-6, q.medianSpacing);
        return q;
    }

    /// Every channel onto the rate asked for, in order on this thread; the pieces decode on both cores.
    void Resample(const SourceConfig& cfg, const SourceParts& parts, const DataLayout& layout, const RatePlan& plan,
                  const ModelColumns& columns, std::int64_t planned)
    {
        const std::size_t nA = layout.nA, nD = layout.nD;
        const std::int64_t samples = cfg.Samples();
        const InputFile file(parts.dataPath);
        PieceReader reader(file, parts, layout, samples);
        const double multiplier = cfg.MicrosecondsPerStamp();
        std::vector<double> figures;
        columns.Start(figures);
        ModelSink sink(columns, figures);
        Resampler resampler(sink, nA, nD, plan.rate, planned);
        SectionClock clock(cfg.rates);
        StampOrder order(parts.dataPath);

        const auto decode = [&](PiecePipeline::Slot& slot) {
            DecodePiece(slot.piece, layout, slot.decoded);
            MarkGaps(slot.decoded, nA);
        };
        std::int64_t taken = 0;
        long lines = 0;
        const auto take = [&](PiecePipeline::Slot& slot) {
            const SampleBlock& b = slot.decoded.block;
            const std::int64_t use = std::min<std::int64_t>(samples - taken, static_cast<std::int64_t>(b.count));
            for (std::int64_t s = 0; s < use; ++s) {
                const auto k = static_cast<std::size_t>(s);
                double seconds = 0;
                if (plan.sectionTimes) {
                    seconds = clock.Seconds(taken + s);
                } else {
                    order.Add(taken + s, b.stamp[k] * multiplier);
                    seconds = b.stamp[k] * multiplier * 1e-6;
                }
                resampler.Put(seconds, b.analog.data() + k * nA, b.digital.data() + k * nD);
            }
            result_.missingValues += slot.decoded.MissingIn(static_cast<std::size_t>(use));
            if (use == static_cast<std::int64_t>(b.count))
                CheckPieceEnd(parts, layout, slot.piece, slot.decoded, taken, lines, samples);
            taken += use;
            lines += slot.decoded.lines;
            Report(reader);
            return taken < samples;
        };
        {
            PiecePipeline pipeline(decode, nullptr);
            pipeline.Run([&](Piece& piece) { return reader.Next(piece); }, take);
        }
        if (taken < samples) DataEndedEarly(parts, layout, taken, lines, samples);
        columns.Merge(figures);
        if (sink.Written() != planned)
            throw ConvertError("'" + options_.input + "': resampling made " + std::to_string(sink.Written()) +
                               " samples where " + std::to_string(planned) + " were counted");
    }

    const ReadOptions& options_;
    RecordingModel& m_;
    const Progress& progress_;
    ReadResult& result_;
};

}  // namespace

std::string ReadResult::ReadAs() const { return "IEEE C37.111-" + std::to_string(revision) + " " + dataType; }

ReadResult ReadRecording(const ReadOptions& options, RecordingModel& model, const Progress& progress)
{
    ReadResult result;
    try {
        Reading(options, model, progress, result).Run();
    } catch (const ConvertError& e) {
        result.error = e.what();
    } catch (const std::bad_alloc&) {
        result.error = "'" + options.input + "': not enough memory to read it";
    } catch (const std::exception& e) {
        result.error = "'" + options.input + "': " + e.what();
    }
    if (!result.ok) {
        model = RecordingModel();
        result.samples = 0;
        result.resampled = false;
    } else {
        result.samples = model.lngLastSample;
    }
    return result;
}

}  // namespace sevrana::formats
