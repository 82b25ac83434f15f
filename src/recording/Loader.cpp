#include "Loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>
#include <limits>
#include <string_view>

#include "DataStage.h"
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

class Loader {
public:
    Loader(RecordingModel& model, LineReader& config, LineReader& data, LoadObserver& observer, const DataSplit& split,
           const CodePage* codePage)
        : m_(model), config_(config), data_(data), observer_(observer), split_(split), codePage_(codePage)
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

    /// The configuration's text and the record information's, which the same
    /// recorder wrote: judged together, a few words of either are not judged alone.
    std::string TextToJudge()
    {
        std::string text(config_.Peek(TextDecoder::kSampleBytes));
        try {
            const std::string infoFile = FindInfoFile(CfgPath());
            std::ifstream info(infoFile, std::ios::binary);
            std::string bytes(TextDecoder::kSampleBytes, '\0');
            info.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<std::size_t>(info.gcount()));
            text += '\n';
            text += bytes;
        } catch (...) {
            // Reported when the record information is read; the configuration is judged alone.
        }
        return text;
    }

    long Split(const std::string& line) { return SplitFields(line, ",", fields_); }
    std::string_view Field(long i) const { return fields_(i); }

    LoadOutcome ReadConfiguration()
    {
        m_.dblScrollFactor = 1.0;
        observer_.SetCaption(messages::OpeningCaption(CfgPath()));
        decoder_ = codePage_ != nullptr ? TextDecoder(*codePage_) : TextDecoder::Judge(TextToJudge());
        m_.strEncoding = decoder_.Encoding();

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
            // Read in the configuration's code page: the two were judged together.
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
        ReadData();
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
            m_.arrAnalogPhases.Redim(1, upper);
            m_.arrAnalogCircuits.Redim(1, upper);
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
            m_.arrAnalogPhases(i) = std::string(TrimBlanks(Field(3)));
            m_.arrAnalogCircuits(i) = std::string(TrimBlanks(Field(4)));
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

    void ReadData()
    {
        const long failed = ReadDataLines(
            m_, data_, [this](long percent) { observer_.SetCaption(messages::ProgressCaption(CfgPath(), percent)); },
            split_);
        if (failed != 0) {
            currentError_ = messages::ErrorAtLine(failed, m_.strDataFile);
            throw LineFailure{};
        }
    }

    RecordingModel& m_;
    LineReader& config_;
    LineReader& data_;
    LoadObserver& observer_;
    DataSplit split_;
    const CodePage* codePage_;  // chosen by the user; nullptr: judged from the text
    std::string currentError_;
    TextDecoder decoder_;  // the configuration's text
    Array1<std::string_view> fields_;
};

}  // namespace

LoadOutcome LoadRecording(RecordingModel& model, LineReader& config, LineReader& data, LoadObserver& observer,
                          const DataSplit& split, const CodePage* codePage)
{
    Loader loader(model, config, data, observer, split, codePage);
    return loader.Run();
}

}  // namespace sevrana
