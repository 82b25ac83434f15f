// Fuzz entry for converting a recording. One input holds the configuration, then a
// line "@@DAT@@", then the data file; an input that starts with "@@CFF@@" followed
// by a line end is one combined file instead.
//
// Differential with the viewer's loader: whatever the converter says it wrote must
// load there without a word, and a refused input must leave nothing behind. And with the
// reader: it refuses exactly what the converter refuses, and its model is the loader's model
// of the copy but for the known differences (SameModel.h), through the channel set-up and its
// trigger point, however far from the record that lies.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "ChannelSetup.h"
#include "Convert.h"
#include "LineReader.h"
#include "Loader.h"
#include "Reader.h"
#include "RecordingFiles.h"
#include "RecordingModel.h"
#include "SameModel.h"
#include "TextDecoder.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSeparator = "\n@@DAT@@\n";
constexpr std::string_view kCombined = "@@CFF@@\n";

class Quiet final : public sevrana::LoadObserver {
public:
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& text) override { said += text + "\n"; }
    std::string said;
};

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "convert_fuzz: %s\n", what.c_str());
    std::abort();
}

/// A folder for the lifetime of the process, with an empty output folder inside it.
class Folder {
public:
    Folder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sevrana-cfuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
        path_ = pattern;
        fs::create_directories(path_ / "out");
    }
    ~Folder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string Write(const std::string& name, std::string_view bytes) const
    {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::string Out() const { return (path_ / "out" / "OUT.cfg").string(); }
    /// Names of the files in the output folder, emptying it.
    std::string TakeOutput() const
    {
        std::string names;
        for (const auto& entry : fs::directory_iterator(path_ / "out")) {
            names += entry.path().filename().string() + " ";
            fs::remove(entry.path());
        }
        return names;
    }
    void Clear() const
    {
        for (const char* name : {"IN.cfg", "IN.dat", "IN.cff"}) fs::remove(path_ / name);
    }

private:
    fs::path path_;
};

const Folder& TheFolder()
{
    static const Folder folder;
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const Folder& folder = TheFolder();
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    sevrana::formats::ConvertOptions options;
    options.output = folder.Out();
    if (input.substr(0, kCombined.size()) == kCombined) {
        options.input = folder.Write("IN.cff", input.substr(kCombined.size()));
    } else {
        const std::size_t cut = input.find(kSeparator);
        options.input = folder.Write("IN.cfg", input.substr(0, cut));
        folder.Write("IN.dat",
                     cut == std::string_view::npos ? std::string_view() : input.substr(cut + kSeparator.size()));
    }
    // Resampling at a rate drawn from the input, now and then.
    if (size > 0 && bytes[size - 1] % 4 == 0) options.rate = 1 + bytes[size - 1] * 40;

    const sevrana::formats::ConvertResult result = sevrana::formats::ConvertRecording(options);
    sevrana::formats::ReadOptions readOptions;
    readOptions.input = options.input;
    readOptions.rate = options.rate;
    sevrana::RecordingModel read;
    const sevrana::formats::ReadResult got = sevrana::formats::ReadRecording(readOptions, read);
    if (got.ok != result.ok)
        Fail(got.ok ? "the reader reads what the converter refuses: " + result.error
                    : "the reader refuses what the converter reads: " + got.error);
    if (!result.ok) {
        if (result.error.empty()) Fail("a refusal without a reason");
        const std::string left = folder.TakeOutput();
        if (!left.empty()) Fail("a refused conversion left " + left + "behind: " + result.error);
        folder.Clear();
        return 0;
    }

    sevrana::RecordingModel model;
    model.varConfigFile = options.output;
    model.strDataFile = sevrana::ResolveDataFile(options.output);
    sevrana::LineReader config(model.varConfigFile);
    sevrana::LineReader data(model.strDataFile);
    Quiet observer;
    // The copy is UTF-8, as the converter writes it: judging it again could take it for another code page.
    const sevrana::LoadOutcome outcome =
        sevrana::LoadRecording(model, config, data, observer, {}, sevrana::FindCodePage("UTF-8"));
    // The factor warning is the one thing the viewer may say: a recorder may well write a = 0.
    const bool onlyWarning = observer.said.empty() || observer.said.rfind("Warning: Conversion factor a", 0) == 0;
    if (outcome != sevrana::LoadOutcome::Loaded || !onlyWarning)
        Fail("the converted recording does not load: " + observer.said);
    if (model.lngLastSample != result.samples) Fail("the loader reads another number of samples than were written");
    if (got.samples != result.samples || got.missingValues != result.missingValues)
        Fail("the reader counts other samples or missing values than the converter");
    const std::string difference = sevrana::testing::ModelDifference(read, model, result.dataType == "FLOAT32");
    if (!difference.empty()) Fail("the reader's model differs from the loader's: " + difference);
    Quiet readSetUp, loadedSetUp;
    const bool readReady = sevrana::PrepareChannels(read, readSetUp);
    const bool loadedReady = sevrana::PrepareChannels(model, loadedSetUp);
    if (readReady != loadedReady || readSetUp.said != loadedSetUp.said)
        Fail("the channel set-up differs: '" + readSetUp.said + "' against '" + loadedSetUp.said + "'");
    if (read.lngTriggerSample != model.lngTriggerSample ||
        !(read.varTriggerTime == model.varTriggerTime ||
          (std::isnan(read.varTriggerTime) && std::isnan(model.varTriggerTime))))
        Fail("the trigger point differs");
    folder.TakeOutput();
    folder.Clear();
    return 0;
}
