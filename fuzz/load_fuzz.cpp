// Fuzz entry for loading a recording. One input holds both files: the
// configuration, then a line "@@DAT@@", then the data file. Without that line
// the whole input is the configuration and the data file is empty.
//
// Differential: every input is loaded twice, line by line and on several threads
// in tiny parts, and the two loads must agree on the outcome, every caption and
// message, and every value of the model, to the bit. A difference aborts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "ChannelSetup.h"
#include "LineReader.h"
#include "Loader.h"
#include "RecordingModel.h"

namespace {

constexpr std::string_view kSeparator = "\n@@DAT@@\n";

/// Keeps everything the loader says, in order. Copying reads every byte, so that a
/// message built from freed or uninitialised memory shows up under the sanitizers.
class RecordingObserver final : public sevrana::LoadObserver {
public:
    void SetCaption(const std::string& caption) override { said.push_back("caption " + caption); }
    void ShowMessage(const std::string& text) override { said.push_back("message " + text); }

    std::vector<std::string> said;
};

/// An empty folder for the lifetime of the process: the configuration "lives"
/// there, so the loader's search for an information file beside it finds nothing
/// and the result depends on the input alone.
class EmptyFolder {
public:
    EmptyFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sevrana-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~EmptyFolder() { ::rmdir(path_.c_str()); }
    EmptyFolder(const EmptyFolder&) = delete;
    EmptyFolder& operator=(const EmptyFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const EmptyFolder& Folder()
{
    // Created once per process; a file-static would be made even by a process
    // that never runs an input, and the fuzzer runs millions of inputs.
    static const EmptyFolder folder;
    return folder;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "load_fuzz: %s\n", what);
    std::abort();
}

/// What the viewer relies on after a successful load: one entry per channel in
/// every per-channel array and room in the sample blocks for every sample. A
/// load that reports success without them would fail later, far from its cause.
void CheckLoadedModel(const sevrana::RecordingModel& m, bool samplesRead)
{
    const long nA = m.AnalogCount();
    const long nD = m.DigitalCount();
    if (nA < 0 || nD < 0) Fail("negative channel count after a successful load");
    if (nA > 0 && (m.arrAnalogNames.UBound() != nA || m.arrFactorA.UBound() != nA || m.arrFullScale.UBound() != nA ||
                   m.arrChannelScale.UBound() != nA))
        Fail("analog channel arrays do not match the analog channel count");
    if (nD > 0 && (m.arrDigitalNames.UBound() != nD || m.arrDigitalNormal.UBound() != nD))
        Fail("digital channel arrays do not match the digital channel count");
    if (!samplesRead) return;
    if (m.lngLastSample < 0) Fail("negative sample count after a successful load");
    if (nA > 0 && (m.arrAnalogSamples.Channels() != nA || m.arrAnalogSamples.Columns() <= m.lngLastSample))
        Fail("analog sample block smaller than the samples read");
    if (nD > 0 && (m.arrDigitalSamples.Channels() != nD || m.arrDigitalSamples.Columns() <= m.lngLastSample))
        Fail("digital sample block smaller than the samples read");
}

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }  // NaN and -0 too

template <class T>
bool Same(const T& a, const T& b)
{
    return a == b;
}

template <class T>
bool Same(const sevrana::Array1<T>& a, const sevrana::Array1<T>& b)
{
    if (a.LBound() != b.LBound() || a.UBound() != b.UBound()) return false;
    for (long i = a.LBound(); i <= a.UBound(); ++i)
        if (!Same(a(i), b(i))) return false;
    return true;
}

/// Sample columns 1..columns (as far as the blocks reach). A block sized for a recording
/// whose data were not read can be huge and untouched, and comparing it whole would
/// fault in every page of it.
template <class T>
bool Same(const sevrana::SampleMatrix<T>& a, const sevrana::SampleMatrix<T>& b, long columns)
{
    if (a.Channels() != b.Channels() || a.Columns() != b.Columns()) return false;
    columns = std::min(columns, a.Columns());
    return a.empty() || columns < 1 ||
           std::memcmp(a.Column(1), b.Column(1),
                       static_cast<std::size_t>(columns) * static_cast<std::size_t>(a.Channels()) * sizeof(T)) == 0;
}

/// Every field of the model, so that a stage that differs anywhere is caught where it differs.
/// No data line beyond dataLines can have been written, so the samples are compared up to it.
void CheckSameModel(const sevrana::RecordingModel& a, const sevrana::RecordingModel& b, long dataLines)
{
#define SEVRANA_SAME(field) \
    if (!Same(a.field, b.field)) Fail("line by line and in parallel differ in " #field)
    SEVRANA_SAME(varConfigFile);
    SEVRANA_SAME(strDataFile);
    SEVRANA_SAME(varStationName);
    SEVRANA_SAME(varDeviceId);
    SEVRANA_SAME(strRecordInfo);
    SEVRANA_SAME(varTotalChannels);
    SEVRANA_SAME(varAnalogChannels);
    SEVRANA_SAME(intDigitalCount);
    SEVRANA_SAME(intHasDigital);
    SEVRANA_SAME(intLineFrequency);
    SEVRANA_SAME(intSampleRateCount);
    SEVRANA_SAME(lngSampleRate);
    SEVRANA_SAME(lngLastSample);
    SEVRANA_SAME(arrSampleRates);
    SEVRANA_SAME(arrLastSamples);
    SEVRANA_SAME(varStartStamp);
    SEVRANA_SAME(strTriggerStamp);
    SEVRANA_SAME(arrAnalogNames);
    SEVRANA_SAME(arrAnalogUnits);
    SEVRANA_SAME(arrFactorA);
    SEVRANA_SAME(arrFactorB);
    SEVRANA_SAME(arrRangeMin);
    SEVRANA_SAME(arrRangeMax);
    SEVRANA_SAME(arrFullScale);
    SEVRANA_SAME(arrRawMin);
    SEVRANA_SAME(arrRawMax);
    SEVRANA_SAME(arrPeakValue);
    SEVRANA_SAME(arrChannelScale);
    SEVRANA_SAME(arrAutoScale);
    SEVRANA_SAME(arrDigitalNames);
    SEVRANA_SAME(arrDigitalNormal);
    SEVRANA_SAME(varTriggerTime);
    SEVRANA_SAME(lngTriggerSample);
    SEVRANA_SAME(dblScrollFactor);
    SEVRANA_SAME(lngViewSamples);
    SEVRANA_SAME(arrDigitalSelection);
    SEVRANA_SAME(strDigitalNames);
#undef SEVRANA_SAME
    if (!Same(a.arrAnalogSamples, b.arrAnalogSamples, dataLines))
        Fail("line by line and in parallel differ in analog samples");
    if (!Same(a.arrDigitalSamples, b.arrDigitalSamples, dataLines))
        Fail("line by line and in parallel differ in digital samples");
}

/// One load as the viewer does it, the channel set-up included.
struct Load {
    sevrana::RecordingModel model;
    RecordingObserver observer;
    sevrana::LoadOutcome outcome = sevrana::LoadOutcome::Failed;
    bool prepared = false;

    Load(std::string_view configBytes, std::string_view dataBytes, const sevrana::DataSplit& split)
    {
        model.varConfigFile = Folder().path() + "/fuzz.cfg";
        model.strDataFile = Folder().path() + "/fuzz.dat";
        sevrana::LineReader config = sevrana::LineReader::FromMemory(configBytes);
        sevrana::LineReader data = sevrana::LineReader::FromMemory(dataBytes);
        outcome = sevrana::LoadRecording(model, config, data, observer, split);
        if (outcome == sevrana::LoadOutcome::Loaded || outcome == sevrana::LoadOutcome::LoadedUnsupportedType) {
            CheckLoadedModel(model, outcome == sevrana::LoadOutcome::Loaded);
            prepared = sevrana::PrepareChannels(model, observer);
        }
    }
};

/// The parallel load's threads and part size, drawn from the input so that a saved
/// input replays exactly, and the corpus covers many ways of cutting the same file.
sevrana::DataSplit TinyParts(std::string_view input)
{
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (const char c : input) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return sevrana::DataSplit{2 + h % 3, 0, 1 + (h >> 8) % 64};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    std::string_view configBytes = input;
    std::string_view dataBytes;
    if (const std::size_t cut = input.find(kSeparator); cut != std::string_view::npos) {
        configBytes = input.substr(0, cut);
        dataBytes = input.substr(cut + kSeparator.size());
    }

    const Load lineByLine(configBytes, dataBytes, sevrana::DataSplit{1});
    const Load parallel(configBytes, dataBytes, TinyParts(input));
    if (parallel.outcome != lineByLine.outcome) Fail("line by line and in parallel end differently");
    if (parallel.observer.said != lineByLine.observer.said) Fail("line by line and in parallel say different things");
    if (parallel.prepared != lineByLine.prepared) Fail("line by line and in parallel set up channels differently");
    // A line takes at least its line end, but for the last one.
    CheckSameModel(lineByLine.model, parallel.model, static_cast<long>(dataBytes.size()) + 1);
    return 0;
}
