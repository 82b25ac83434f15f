#pragma once
// Opens a recording of any revision: what the 1991 loader takes goes through it exactly as
// before, messages and all; everything else, and a 1991 file the loader refuses, through the
// reader. The viewer and the command line open recordings only through here.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Loader.h"
#include "Reader.h"

namespace sevrana {

/// What only the reader can do with a recording; either one sends even a 1991 file to it.
struct ReadChoice {
    std::optional<double> rate;  // resample onto this rate (Hz)
    formats::Quantity quantity = formats::Quantity::AsRecorded;
    bool Given() const { return rate.has_value() || quantity != formats::Quantity::AsRecorded; }
};

struct OpenRequest {
    std::string path;                    // the configuration file or the combined .cff file
    const CodePage* codePage = nullptr;  // nullptr: judged from the texts
    ReadChoice choice;
    /// Asked once when the recording needs a rate the choice does not give; nothing: do not open.
    std::function<std::optional<double>(const formats::RateQuestion&)> askRate;
};

enum class OpenedBy { Nothing, Loader, Reader };

struct OpenOutcome {
    OpenedBy by = OpenedBy::Nothing;
    bool filesMissing = false;                 // the loader's files are not there: kFileNotExist told, nothing read
    bool rateRefused = false;                  // a rate was needed and none was chosen: nothing told
    bool cancelled = false;                    // the progress callback stopped the reader: nothing told
    bool loaderAnswered = false;               // not opened, and the loader's messages are the answer (a 1991 file)
    std::optional<double> rateChosen;          // the rate askRate gave
    LoadOutcome loaded = LoadOutcome::Failed;  // the loader's outcome when it opened the file or told why not
    formats::ReadResult read;                  // the reader's, when it tried
    bool Opened() const { return by != OpenedBy::Nothing; }
};

/// True for a .cff file or a configuration whose first line names the 1999 or a later revision:
/// the loader is never tried on it.
bool NamesNewerRevision(const std::string& path);

/// True when the file goes straight to the reader: one of a newer revision, or a choice only the
/// reader honours. Anything else is tried with the loader first (and read leniently when it fails).
bool GoesToReader(const std::string& path, const ReadChoice& choice);

/// Opens request.path into model. The loader's messages reach observer only when its answer
/// stands: when it opened the file, or when neither opened a 1991 file; the reader's failure is
/// told (one message) for any other file. On success through the reader after the loader's
/// refusal, model.strReadNote says why in one line. Captions reach observer as they come.
/// A failure leaves in model what the loader read (as the loader does), or the paths only.
OpenOutcome OpenAnyRevision(const OpenRequest& request, RecordingModel& model, LoadObserver& observer,
                            const formats::Progress& progress = {});

/// What to say after a recording the reader opened is on screen: its warnings and the count of
/// missing values, one per line; empty when there is nothing to say.
std::string ReadRemarks(const formats::ReadResult& read);

/// What a command line says of a recording that needs a rate and was given none, naming the rates
/// found ("time stamps only, unevenly spaced" when the configuration gives none).
std::string NeedsRateText(const std::vector<double>& ratesFound);

}  // namespace sevrana
