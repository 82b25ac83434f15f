#pragma once
// Converts a recording of the 1991, 1999 or 2013 revision (ASCII, BINARY, BINARY32, FLOAT32 data,
// or one combined .cff file) into the 1991 ASCII layout that the viewer's loader reads.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sevrana {
struct CodePage;
}

namespace sevrana::formats {

enum class Quantity { AsRecorded, Primary, Secondary };

struct ConvertOptions {
    std::string input;           // IN.cfg or IN.cff
    std::string output;          // OUT.cfg; OUT.dat, OUT.INF and OUT.HDR are written beside it
    std::optional<double> rate;  // resample every channel onto this rate (Hz)
    Quantity quantity = Quantity::AsRecorded;
    const CodePage* codePage = nullptr;  // nullptr: judge the text's code page as the loader does
};

struct ConvertResult {
    bool ok = false;
    std::string error;                  // names the file, the line (or record and byte offset), what was expected
    std::vector<std::string> warnings;  // e.g. a year the 1991 layout cannot hold, with the date the viewer will show
    int revision = 0;                   // 1991, 1999 or 2013
    std::string dataType;               // "ASCII", "BINARY", "BINARY32" or "FLOAT32"
    bool combined = false;              // read from one .cff file
    std::int64_t samples = 0;           // samples written
    std::int64_t missingValues = 0;     // analog values missing in the source, written as 0
    bool resampled = false;
};

/// Called now and then with the input bytes read so far and in all; returning false cancels.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

/// Writes OUT.cfg, OUT.dat, OUT.INF (and OUT.HDR when the source has a header) completely, or
/// nothing at all: every file is written under a temporary name and renamed at the end.
ConvertResult ConvertRecording(const ConvertOptions& options, const Progress& progress = {});

/// True for a file the viewer's own Open refuses but the converter reads: a .cff file, or a .cfg
/// whose first line names the 1999 or 2013 revision or whose channel lines have the newer layout.
bool NeedsImport(const std::string& path);

}  // namespace sevrana::formats
