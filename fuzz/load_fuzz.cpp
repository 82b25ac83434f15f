// Fuzz entry for loading a recording. One input holds both files: the
// configuration, then a line "@@DAT@@", then the data file. Without that line
// the whole input is the configuration and the data file is empty.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "ChannelSetup.h"
#include "LineReader.h"
#include "Loader.h"
#include "RecordingModel.h"

namespace {

constexpr std::string_view kSeparator = "\n@@DAT@@\n";

/// Reads every byte it is given, so that a message built from freed or
/// uninitialised memory shows up under the sanitizers instead of passing unseen.
class TouchingObserver final : public sevrana::LoadObserver {
public:
    void SetCaption(const std::string& caption) override { Touch(caption); }
    void ShowMessage(const std::string& text) override { Touch(text); }

private:
    void Touch(const std::string& s)
    {
        unsigned sum = 0;
        for (const char c : s) sum += static_cast<unsigned char>(c);
        sum_ = sum_ + sum;  // volatile: the reads cannot be optimised away
    }
    volatile unsigned sum_ = 0;
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
    if (nA > 0 && (m.arrAnalogNames.UBound() != nA || m.arrFactorA.UBound() != nA ||
                   m.arrFullScale.UBound() != nA || m.arrChannelScale.UBound() != nA))
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

    sevrana::RecordingModel model;
    model.varConfigFile = Folder().path() + "/fuzz.cfg";
    model.strDataFile = Folder().path() + "/fuzz.dat";
    sevrana::LineReader config = sevrana::LineReader::FromMemory(configBytes);
    sevrana::LineReader data = sevrana::LineReader::FromMemory(dataBytes);
    TouchingObserver observer;

    const sevrana::LoadOutcome outcome = sevrana::LoadRecording(model, config, data, observer);
    if (outcome == sevrana::LoadOutcome::Loaded || outcome == sevrana::LoadOutcome::LoadedUnsupportedType) {
        CheckLoadedModel(model, outcome == sevrana::LoadOutcome::Loaded);
        sevrana::PrepareChannels(model, observer);
    }
    return 0;
}
