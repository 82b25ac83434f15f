#include "AnyRevision.h"

#include <fstream>
#include <utility>

#include "LineReader.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "RecordingFiles.h"
#include "Source.h"
#include "SourceConfig.h"

namespace sevrana {

namespace {

/// Holds the loader's messages until it is known whether its answer stands; captions pass.
class HoldingObserver : public LoadObserver {
public:
    explicit HoldingObserver(LoadObserver& target) : target_(target) {}
    void SetCaption(const std::string& caption) override { target_.SetCaption(caption); }
    void ShowMessage(const std::string& text) override { held_.push_back(text); }

    void Release()
    {
        for (const std::string& text : held_) target_.ShowMessage(text);
        held_.clear();
    }
    /// "Read leniently: " and the first line of the last message: the refusal, which comes after
    /// any warning the loader gave on the way.
    std::string Note() const
    {
        if (held_.empty()) return "Read leniently.";
        const std::string& last = held_.back();
        return "Read leniently: " + last.substr(0, last.find_first_of("\r\n"));
    }

private:
    LoadObserver& target_;
    std::vector<std::string> held_;
};

/// The reader into a model of its own, asked for a rate once when it needs one; the model
/// replaces target only when the recording was read.
void ReadWithReader(const OpenRequest& request, RecordingModel& target, OpenOutcome& outcome,
                    const formats::Progress& progress)
{
    formats::ReadOptions options;
    options.input = request.path;
    options.rate = request.choice.rate;
    options.quantity = request.choice.quantity;
    options.codePage = request.codePage;
    bool stopped = false;
    const formats::Progress watched = [&](std::uint64_t done, std::uint64_t total) {
        stopped = progress && !progress(done, total);
        return !stopped;
    };
    RecordingModel model;
    outcome.read = formats::ReadRecording(options, model, watched);
    if (!outcome.read.ok && outcome.read.needsRate && !options.rate) {
        outcome.rateChosen = request.askRate ? request.askRate(*outcome.read.needsRate) : std::nullopt;
        if (!outcome.rateChosen) {
            outcome.rateRefused = true;
            return;
        }
        options.rate = outcome.rateChosen;
        model = RecordingModel();
        outcome.read = formats::ReadRecording(options, model, watched);
    }
    outcome.cancelled = !outcome.read.ok && stopped;
    if (outcome.read.ok) {
        target = std::move(model);
        outcome.by = OpenedBy::Reader;
    }
}

}  // namespace

bool NamesNewerRevision(const std::string& path)
{
    if (formats::HasExtension(path, "cff")) return true;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    // A first line is short; a file without line ends is not read whole for it.
    char c = 0;
    while (line.size() < 4096 && file.get(c) && c != '\r' && c != '\n') line.push_back(c);
    return formats::RevisionOfHeader(line) >= 1999;
}

bool GoesToReader(const std::string& path, const ReadChoice& choice)
{
    return choice.Given() || NamesNewerRevision(path);
}

OpenOutcome OpenAnyRevision(const OpenRequest& request, RecordingModel& model, LoadObserver& observer,
                            const formats::Progress& progress)
{
    OpenOutcome outcome;
    model.varConfigFile = request.path;
    model.strDataFile = ResolveDataFile(request.path);
    if (!FileExists(request.path)) {  // a missing file is told alike, whatever it would have been
        outcome.filesMissing = outcome.loaderAnswered = true;
        observer.ShowMessage(messages::kFileNotExist);
        return outcome;
    }
    if (GoesToReader(request.path, request.choice)) {
        ReadWithReader(request, model, outcome, progress);
        if (!outcome.Opened() && !outcome.rateRefused && !outcome.cancelled) observer.ShowMessage(outcome.read.error);
        return outcome;
    }

    if (!FileExists(model.strDataFile)) {
        outcome.filesMissing = outcome.loaderAnswered = true;
        observer.ShowMessage(messages::kFileNotExist);
        return outcome;
    }
    HoldingObserver holding(observer);
    LineReader config(model.varConfigFile);
    LineReader data(model.strDataFile);
    outcome.loaded = LoadRecording(model, config, data, holding, {}, request.codePage);
    if (outcome.loaded == LoadOutcome::Loaded) {
        outcome.by = OpenedBy::Loader;
        holding.Release();
        return outcome;
    }
    // Refused (or its data left unread): the reader may still take it, leniently. Until it has,
    // the model keeps what the loader read.
    ReadWithReader(request, model, outcome, progress);
    if (outcome.Opened()) {
        // Only a refusal is leniency: several rates or a data type the loader leaves unread (a
        // 1991 file may have binary data) are simply the reader's to read.
        if (outcome.loaded == LoadOutcome::Failed) model.strReadNote = holding.Note();
        return outcome;
    }
    if (outcome.rateRefused || outcome.cancelled) return outcome;
    if (outcome.loaded == LoadOutcome::Rejected) {
        observer.ShowMessage(outcome.read.error);  // a newer file after all: the reader knows why
        return outcome;
    }
    if (outcome.loaded == LoadOutcome::LoadedUnsupportedType) outcome.by = OpenedBy::Loader;
    outcome.loaderAnswered = !outcome.Opened();
    holding.Release();
    return outcome;
}

std::string ReadRemarks(const formats::ReadResult& read)
{
    std::string remarks;
    for (const std::string& warning : read.warnings) remarks += warning + "\n";
    if (read.missingValues == 1) remarks += "1 missing analog value is shown as a gap.\n";
    if (read.missingValues > 1) remarks += IntText(read.missingValues) + " missing analog values are shown as gaps.\n";
    if (!remarks.empty()) remarks.pop_back();
    return remarks;
}

std::string NeedsRateText(const std::vector<double>& ratesFound)
{
    std::string found;
    for (const double rate : ratesFound) found += (found.empty() ? "" : ", ") + GeneralNumber(rate) + " Hz";
    if (found.empty()) found = "time stamps only, unevenly spaced";
    return "The recording needs a rate to be shown at (found: " + found + "); give one with --rate HZ.";
}

}  // namespace sevrana
