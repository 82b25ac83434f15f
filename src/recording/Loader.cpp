#include "Loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Messages.h"
#include "NumberUtils.h"
#include "RecordingFiles.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana {

namespace {

/// A line that does not meet the format: reported with the current error message.
struct LineFailure {};
/// A file the viewer does not handle: reported with its own message only.
struct Rejection {
    const char* message;
};

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Whole-field integer fast path: optional blanks, optional sign, up to 15 digits,
/// optional blanks. Gives exactly the double a full conversion gives (every such
/// integer is exact in a double), -0 included. False when the field is anything else.
inline bool ParseSmallInteger(const char* p, const char* e, double& out)
{
    while (p < e && *p == ' ') ++p;
    bool negative = false;
    if (p < e && (*p == '-' || *p == '+')) {
        negative = (*p == '-');
        ++p;
    }
    const char* digits = p;
    std::int64_t v = 0;
    while (p < e && IsDigit(*p)) {
        if (p - digits == 15) return false;  // longer numbers take the full conversion
        v = v * 10 + (*p - '0');
        ++p;
    }
    if (p == digits) return false;
    while (p < e && *p == ' ') ++p;
    if (p != e) return false;
    out = negative ? -static_cast<double>(v) : static_cast<double>(v);
    return true;
}

/// Val() of a data line's first field, fast for the usual plain sample number.
inline double SampleNumberOf(std::string_view field)
{
    const char* p = field.data();
    const char* e = p + field.size();
    while (p < e && (*p == ' ' || *p == '\t')) ++p;
    const char* digits = p;
    std::int64_t v = 0;
    while (p < e && IsDigit(*p) && p - digits < 15) {
        v = v * 10 + (*p - '0');
        ++p;
    }
    if (p > digits && (p == e || (!IsDigit(*p) && *p != '.' && *p != 'e' && *p != 'E')))
        return static_cast<double>(v);
    return Val(field);
}

class Loader {
public:
    Loader(RecordingModel& model, LineReader& config, LineReader& data, LoadObserver& observer)
        : m_(model), config_(config), data_(data), observer_(observer)
    {
    }

    LoadOutcome Run()
    {
        LoadOutcome outcome = LoadOutcome::Failed;
        try {
            outcome = ReadConfiguration();
        } catch (const Rejection& r) {
            observer_.ShowMessage(r.message);
            outcome = LoadOutcome::Rejected;
        } catch (...) {
            // Every other failure is reported as the line being read at the time.
            observer_.ShowMessage(currentError_.empty() ? std::string(messages::kDisplayError) : currentError_);
            outcome = LoadOutcome::Failed;
        }
        config_.Close();
        data_.Close();
        return outcome;
    }

private:
    const std::string& CfgPath() const { return m_.varConfigFile; }

    void SetLine(long n) { currentError_ = messages::ErrorAtLine(n, CfgPath()); }

    /// Next configuration line as text; the end of the file is an error of that line.
    std::string NextConfigLine()
    {
        std::string_view raw;
        if (!config_.ReadLine(raw)) throw LineFailure{};
        return decoder_.Decode(raw);
    }

    long Split(const std::string& line) { return SplitFields(line, ",", fields_); }
    std::string_view Field(long i) const { return fields_(i); }

    LoadOutcome ReadConfiguration()
    {
        m_.dblScrollFactor = 1.0;
        observer_.SetCaption(messages::OpeningCaption(CfgPath()));
        decoder_ = TextDecoder(config_.Peek(TextDecoder::kSampleBytes));

        // Line 1: station, device, revision.
        SetLine(1);
        std::string line = NextConfigLine();
        long count = Split(line);
        if (count < 2 || count > 3) throw LineFailure{};
        m_.varStationName = std::string(TrimBlanks(Field(1)));
        m_.varDeviceId = std::string(TrimBlanks(Field(2)));
        const std::string revision = count == 3 ? std::string(TrimBlanks(Field(3))) : std::string();
        if (revision == "1999") throw Rejection{messages::kRevision1999};

        // Record information beside the recording.
        m_.strRecordInfo.clear();
        const std::string infoGuess =
            CfgPath().size() >= 3 ? CfgPath().substr(0, CfgPath().size() - 3) + "INF" : std::string("INF");
        currentError_ = messages::ErrorInFile(infoGuess);
        const std::string infoFile = FindInfoFile(CfgPath());
        if (!infoFile.empty()) {
            currentError_ = messages::ErrorInFile(infoFile);
            // The recorder that wrote the configuration wrote this too, and a few
            // words of record information are too little to judge alone.
            std::string info =
                ReadProfileString(infoFile, "Public Record_Information", "Record_Information", decoder_.Encoding());
            if (!info.empty()) m_.strRecordInfo = std::move(info);
        }
        if (m_.strRecordInfo.empty() && revision != "1991") m_.strRecordInfo = revision;

        // Line 2: channel counts.
        SetLine(2);
        line = NextConfigLine();
        if (Split(line) != 3) throw LineFailure{};
        m_.varTotalChannels = Val(Field(1));
        m_.varAnalogChannels = Val(Field(2));
        m_.intDigitalCount = ToInt16(Val(Field(3)));
        if (m_.varTotalChannels != m_.varAnalogChannels + m_.intDigitalCount) throw LineFailure{};
        // A fractional or negative count cannot describe channel lines.
        if (m_.varAnalogChannels < 0 || m_.varAnalogChannels != std::floor(m_.varAnalogChannels) ||
            m_.varAnalogChannels > std::numeric_limits<std::int32_t>::max() - 1 || m_.intDigitalCount < 0)
            throw LineFailure{};
        const long nA = m_.AnalogCount();
        const long nD = m_.DigitalCount();

        CreateChannelArrays(nA, nD);
        ReadAnalogLines(nA);
        ReadDigitalLines(nA, nD);

        long n = nA + nD + 3;
        SetLine(n);
        line = NextConfigLine();
        if (Split(line) != 1 || Field(1).empty()) throw LineFailure{};
        m_.intLineFrequency = TextToInt16(TrimBlanks(Field(1)));

        SetLine(++n);
        line = NextConfigLine();
        if (Split(line) != 1 || Field(1).empty()) throw LineFailure{};
        m_.intSampleRateCount = TextToInt16(TrimBlanks(Field(1)));
        if (m_.intSampleRateCount > 1) throw Rejection{messages::kMultipleRates};
        if (m_.intSampleRateCount != 1) throw LineFailure{};
        m_.arrSampleRates.Redim(1, m_.intSampleRateCount);
        m_.arrLastSamples.Redim(1, m_.intSampleRateCount);

        SetLine(++n);
        const long rateLine = n;
        line = NextConfigLine();
        if (Split(line) != 2 || Field(1).empty() || Field(2).empty()) throw LineFailure{};
        m_.lngSampleRate = TextToInt32(Field(1));
        m_.lngLastSample = TextToInt32(Field(2));
        m_.arrSampleRates(1) = m_.lngSampleRate;
        m_.arrLastSamples(1) = m_.lngLastSample;
        if (m_.lngLastSample < 0) throw LineFailure{};  // no sample array can have that size

        SetLine(++n);
        std::string_view raw;
        if (!config_.ReadLine(raw)) throw LineFailure{};
        m_.varStartStamp = decoder_.Decode(raw);
        SetLine(++n);
        if (!config_.ReadLine(raw)) throw LineFailure{};
        m_.strTriggerStamp = decoder_.Decode(raw);

        SetLine(++n);
        line = NextConfigLine();
        const bool ascii = TrimBlanks(line) == "ASCII";

        // The sample block is sized once the type is known: an ASCII file can hold
        // no more lines than its size allows, so a configuration that claims more
        // samples than that never makes us reserve memory for them.
        SetLine(rateLine);
        CreateSampleArrays(nA, nD, ascii);

        if (!ascii) {
            observer_.ShowMessage(messages::kUnsupportedDataType);
            Finish();
            return LoadOutcome::LoadedUnsupportedType;
        }
        ReadData(nA, nD);
        Finish();
        return LoadOutcome::Loaded;
    }

    void Finish()
    {
        config_.Close();
        data_.Close();
        currentError_.clear();
    }

    void CreateChannelArrays(long nA, long nD)
    {
        if (nA > 0) {
            // Each analog line takes at least ten bytes: a longer list cannot be in the file,
            // so reserve no more than the file can describe (it fails at its end anyway).
            const long fits = static_cast<long>(std::min<std::uint64_t>(config_.SizeBytes() / 10 + 1, nA));
            const long upper = std::min(nA, fits);
            m_.arrAnalogNames.Redim(1, upper);
            m_.arrAnalogUnits.Redim(1, upper);
            m_.arrFactorA.Redim(1, upper);
            m_.arrFactorB.Redim(1, upper);
            m_.arrRangeMin.Redim(1, upper);
            m_.arrRangeMax.Redim(1, upper);
            m_.arrFullScale.Redim(1, upper);
            m_.arrRawMin.Redim(1, upper);
            m_.arrRawMax.Redim(1, upper);
            m_.arrPeakValue.Redim(1, upper);
            m_.arrChannelScale.Redim(1, upper);
            m_.arrAutoScale.Redim(1, upper);
        }
        m_.arrDigitalSelection.Redim(0, nD + 1);
        if (nD > 0) {
            m_.arrDigitalNames.Redim(1, nD);
            m_.arrDigitalNormal.Redim(1, nD);
        }
    }

    void ReadAnalogLines(long nA)
    {
        bool factorMissing = false;
        for (long i = 1; i <= nA; ++i) {
            SetLine(i + 2);
            const std::string line = NextConfigLine();
            if (Split(line) != 10 || Val(Field(1)) != static_cast<double>(i)) throw LineFailure{};
            if (i > m_.arrAnalogNames.UBound()) throw LineFailure{};
            const double a = Val(Field(6));
            if (a == 0 || Field(6).empty()) factorMissing = true;
            m_.arrAnalogNames(i) = std::string(TrimBlanks(Field(2)));
            m_.arrAnalogUnits(i) = std::string(Field(5));
            m_.arrFactorA(i) = a;
            m_.arrFactorB(i) = Val(Field(7));
            m_.arrRangeMin(i) = Val(Field(9));
            m_.arrRangeMax(i) = Val(Field(10));
            const double lo = std::fabs(m_.arrRangeMin(i));
            const double hi = std::fabs(m_.arrRangeMax(i));
            m_.arrFullScale(i) = (hi < lo ? lo : hi) * a + m_.arrFactorB(i);
        }
        if (factorMissing) observer_.ShowMessage(messages::FactorWarning(CfgPath()));
    }

    void ReadDigitalLines(long nA, long nD)
    {
        for (long i = 1; i <= nD; ++i) {
            SetLine(nA + 2 + i);
            const std::string line = NextConfigLine();
            if (Split(line) != 3 || Field(1).empty() || Field(3).empty()) throw LineFailure{};
            const double number = Val(Field(1));
            if (number != static_cast<double>(i) && number != static_cast<double>(nA + i)) throw LineFailure{};
            m_.arrDigitalNames(i) = std::string(TrimBlanks(Field(2)));
            m_.arrDigitalNormal(i) = TextToInt16(TrimBlanks(Field(3)));
        }
    }

    void CreateSampleArrays(long nA, long nD, bool ascii)
    {
        long columns = m_.lngLastSample;
        if (ascii && nA + nD >= 0) {
            // Shortest possible data line: a one-digit sample number, an empty time
            // stamp, one character per value, the commas and a line end.
            const std::uint64_t shortest = 2 * static_cast<std::uint64_t>(nA + nD) + 3;
            const std::uint64_t fits = (data_.SizeBytes() + 1) / shortest;
            if (fits < static_cast<std::uint64_t>(columns)) columns = static_cast<long>(fits);
        }
        if (nA > 0) m_.arrAnalogSamples.Redim(nA, columns + 1);
        if (nD > 0) m_.arrDigitalSamples.Redim(nD, columns + 1);
    }

    void ReadData(long nA, long nD)
    {
        const long last = m_.lngLastSample;
        const long expected = nA + nD + 2;
        const double* factorA = nA > 0 ? m_.arrFactorA.data() : nullptr;
        const double* factorB = nA > 0 ? m_.arrFactorB.data() : nullptr;
        std::int32_t* rawMin = nA > 0 ? m_.arrRawMin.data() : nullptr;
        std::int32_t* rawMax = nA > 0 ? m_.arrRawMax.data() : nullptr;
        double* peak = nA > 0 ? m_.arrPeakValue.data() : nullptr;
        const std::string& dataPath = m_.strDataFile;
        long shown = 0;
        std::vector<std::string_view> fields(static_cast<std::size_t>(expected));

        long n = 1;
        try {
            for (; n <= last; ++n) {
                const long percent = static_cast<long>(RoundHalfEven(static_cast<double>(n) / last * 100));
                if (percent > shown) {
                    observer_.SetCaption(messages::ProgressCaption(CfgPath(), percent));
                    shown = percent;
                }
                std::string_view line;
                if (!data_.ReadLine(line)) FailData();
                if (!SplitLine(line, fields) || SampleNumberOf(fields[0]) != static_cast<double>(n))
                    FailData();

                if (nA > 0) {
                    double* out = m_.arrAnalogSamples.Column(n);
                    for (long i = 0; i < nA; ++i) {
                        const std::string_view f = fields[static_cast<std::size_t>(i + 2)];
                        const double x = ValueOf(f);
                        if (x > rawMax[i]) rawMax[i] = ToInt32(x);
                        if (x < rawMin[i]) rawMin[i] = ToInt32(x);
                        const double v = factorA[i] * x + factorB[i];
                        out[i] = v;
                        if (std::fabs(v) > peak[i]) peak[i] = std::fabs(v);
                    }
                }
                if (nD > 0) {
                    std::int16_t* out = m_.arrDigitalSamples.Column(n);
                    for (long i = 0; i < nD; ++i) {
                        const std::string_view f = fields[static_cast<std::size_t>(nA + i + 2)];
                        if (f.size() == 1 && IsDigit(f[0])) {
                            out[i] = static_cast<std::int16_t>(f[0] - '0');
                            continue;
                        }
                        const double x = ValueOf(f);
                        out[i] = ToInt16(x);
                    }
                }
            }
        } catch (...) {
            // Whatever went wrong, it went wrong on this line of the data file.
            currentError_ = messages::ErrorAtLine(n, dataPath);
            throw LineFailure{};
        }
    }

    /// Splits a data line at commas into exactly the expected number of fields;
    /// false when the count differs.
    static bool SplitLine(std::string_view line, std::vector<std::string_view>& fields)
    {
        const std::size_t expected = fields.size();
        const char* p = line.data();
        const char* const e = p + line.size();
        const char* start = p;
        std::size_t k = 0;
#if defined(__SSE2__)
        // Sixteen bytes at a time: fields are short, so one search per field costs more than the field.
        const __m128i comma = _mm_set1_epi8(',');
        while (e - p >= 16) {
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), comma)));
            while (mask != 0) {
                const char* c = p + __builtin_ctz(mask);
                mask &= mask - 1;
                if (k == expected) return false;
                fields[k++] = std::string_view(start, static_cast<std::size_t>(c - start));
                start = c + 1;
            }
            p += 16;
        }
#endif
        for (; p < e; ++p) {
            if (*p != ',') continue;
            if (k == expected) return false;
            fields[k++] = std::string_view(start, static_cast<std::size_t>(p - start));
            start = p + 1;
        }
        if (k == expected) return false;
        fields[k++] = std::string_view(start, static_cast<std::size_t>(e - start));
        return k == expected;
    }

    /// One value field: the integer fast path, else the full conversion; an empty
    /// or non-numeric field fails the line.
    static double ValueOf(std::string_view f)
    {
        double x;
        if (ParseSmallInteger(f.data(), f.data() + f.size(), x)) return x;
        const auto parsed = ParseNumber(f);
        if (!parsed) throw LineFailure{};
        return *parsed;
    }

    [[noreturn]] static void FailData() { throw LineFailure{}; }

    RecordingModel& m_;
    LineReader& config_;
    LineReader& data_;
    LoadObserver& observer_;
    std::string currentError_;
    TextDecoder decoder_;  // the configuration's text
    Array1<std::string_view> fields_;
};

}  // namespace

LoadOutcome LoadRecording(RecordingModel& model, LineReader& config, LineReader& data, LoadObserver& observer)
{
    Loader loader(model, config, data, observer);
    return loader.Run();
}

}  // namespace sevrana
