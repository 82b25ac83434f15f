#pragma once
// Loading a recording into the model: the configuration stage, the data stage
// and, after them, the pure parts of the channel set-up (initial scales, zoom
// list, trigger point). The viewer and the command-line checker share all of it.

#include <string>
#include <vector>

#include "DataStage.h"
#include "LineReader.h"
#include "RecordingModel.h"

namespace sevrana {

struct CodePage;

/// Receives what the loader has to say to the user.
class LoadObserver {
public:
    virtual ~LoadObserver() = default;
    /// Main window caption while loading ("Sevrana - Opening file ...", with progress).
    virtual void SetCaption(const std::string& caption) = 0;
    /// A modal message box (OK button, title "Sevrana").
    virtual void ShowMessage(const std::string& text) = 0;
};

enum class LoadOutcome {
    Loaded,                 ///< samples in memory
    LoadedUnsupportedType,  ///< header read, data file type not ASCII: message shown, samples stay 0
    Failed,                 ///< error message shown; model holds what was read so far
    Rejected,               ///< revision 1999 or several sampling rates
};

/// Reads configuration and data into the model. model.varConfigFile and
/// model.strDataFile name the files (for messages and the information file);
/// config and data are their opened readers, both closed on every path. split tells
/// the data stage how to share the data file out among the cores. The text is read
/// in codePage when one is given, else in the code page judged from it; either way
/// model.strEncoding names it.
LoadOutcome LoadRecording(RecordingModel& model, LineReader& config, LineReader& data, LoadObserver& observer,
                          const DataSplit& split = {}, const CodePage* codePage = nullptr);

}  // namespace sevrana
