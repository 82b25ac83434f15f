#pragma once
// The command-line checker: reads a recording exactly as the viewer does (loader or
// newer reader, and the window-free channel set-up) and reports what came of it, as a human
// summary, as one JSON object, as the samples in CSV, or as the file
// information report. Every command writes to the streams it is given, so the
// whole tool runs in-process as well.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AnyRevision.h"
#include "RecordingModel.h"

namespace sevrana::cli {

inline constexpr int kExitLoaded = 0;     ///< loaded; warnings allowed
inline constexpr int kExitNotLoaded = 1;  ///< failed or rejected
inline constexpr int kExitUsage = 2;      ///< bad command line, or a file of the recording is missing

enum class CheckOutcome { Loaded, Failed, Rejected };

/// "loaded", "failed" or "rejected".
const char* OutcomeName(CheckOutcome outcome);

/// A recording to read, and how.
struct ReadRequest {
    std::string path;                    ///< the configuration file or the combined .cff file
    const CodePage* codePage = nullptr;  ///< the code page to read its texts in (nullptr: judged)
    ReadChoice choice;                   ///< --rate, --primary, --secondary
    bool strict = false;                 ///< the 1991 loader alone, as before the newer reader
};

struct CheckedRecording {
    RecordingModel model;               ///< varConfigFile and strDataFile always set
    std::vector<std::string> messages;  ///< every message box text, in order
    CheckOutcome outcome = CheckOutcome::Failed;
    bool filesMissing = false;  ///< configuration or data file not found: nothing was read
    std::string reader;         ///< "1991", or how the newer reader read it; empty with --strict
};

/// Reads the recording (the 1991 loader first, the newer reader for what it does not take)
/// and runs the channel set-up, collecting the messages the viewer would show. A recording
/// that needs a rate and was given none is refused with a message naming the rates found.
CheckedRecording CheckRecording(const ReadRequest& request);

/// The text as a quoted JSON string; bytes that are not UTF-8 are read as Latin-1.
std::string JsonString(std::string_view text);

/// The text as one CSV field, quoted when it holds a comma, quote, CR or LF.
std::string CsvField(std::string_view text);

/// "message: <text>" per message; line breaks inside a text continue indented.
void WriteMessages(const std::vector<std::string>& messages, std::ostream& out);
void WriteSummary(const CheckedRecording& recording, std::ostream& out);
void WriteJson(const CheckedRecording& recording, std::ostream& out);
/// Header row, then one row per sample 1..lngLastSample; LF line ends.
void WriteCsv(const RecordingModel& model, std::ostream& out);

/// The file information report's lines, one per text line, LF line ends.
void WriteInfo(const RecordingModel& model, std::ostream& out);

int RunCheck(const ReadRequest& request, bool json, std::ostream& out, std::ostream& err);
int RunCsv(const ReadRequest& request, std::ostream& out, std::ostream& err);
int RunInfo(const ReadRequest& request, std::ostream& out, std::ostream& err);

/// Reads the recording; when it opened, returns what use makes of it, else says why on err and
/// returns the exit code for that (an exception from the read or from use counts as not loaded).
int RunOnLoadedRecording(const ReadRequest& request, std::ostream& err,
                         const std::function<int(const RecordingModel&)>& use);

/// Takes "--encoding NAME" (or "--encoding=NAME") out of the arguments and sets
/// codePage to the code page named (nullptr for "Automatic" or no option). The
/// problem with it, when the name is missing or names no known code page.
std::optional<std::string> TakeEncoding(std::vector<std::string>& args, const CodePage*& codePage);

/// "sevrana-cli: <problem>" and the usage text on err; returns the usage exit code.
int Usage(std::ostream& err, const std::string& problem);

/// The whole command line after the program name; returns the exit code.
int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace sevrana::cli
