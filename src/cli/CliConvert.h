#pragma once
// sevrana-cli convert, and --import for the commands that read a recording: recordings
// of the 1999 and 2013 revisions are read through the converter into the 1991 layout.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ImportedRecording.h"
#include "RecordingModel.h"

namespace sevrana {
struct CodePage;
}

namespace sevrana::cli {

/// args: "convert" and what follows it; returns the exit code. One line per recording on
/// out; warnings, missing values and (on a terminal, for large files) progress on err.
int RunConvert(std::vector<std::string> args, std::ostream& out, std::ostream& err);

/// Takes "--import" out of the arguments (up to "--"); true when it was there.
bool TakeImport(std::vector<std::string>& args);

/// What a command reads: the file given, or its converted copy.
struct CommandInput {
    std::string path;                    ///< the configuration file to load
    const CodePage* codePage = nullptr;  ///< the code page to read it in (nullptr: judged)
    std::string original;                ///< the file given, when path is its converted copy
    ImportFolder folder;                 ///< holds the copy until the command ends
    std::optional<int> exitCode;         ///< the import failed: the command ends with this code
};

/// With import, a file the viewer's Open refuses but the converter reads is converted into
/// a temporary folder first, and one line on err says so (or why it could not be); any
/// other file is read as it is.
CommandInput PrepareInput(const std::string& path, const CodePage* codePage, bool import, std::ostream& err);

/// Reads the file as PrepareInput has it read and, when it loaded, returns what use makes of it;
/// else says why on err and returns the exit code for that.
int RunOnInput(const std::string& path, const CodePage* codePage, bool import, std::ostream& err,
               const std::function<int(const RecordingModel&)>& use);

}  // namespace sevrana::cli
