#pragma once
// Reads a recording of any revision (1991, 1999, 2013; ASCII, BINARY, BINARY32, FLOAT32; a .cfg
// with its data file or one combined .cff file) straight into the recording model, through the
// same source-reading code as the converter. A missing value becomes NaN (a gap) in the model.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Convert.h"
#include "RecordingModel.h"

namespace sevrana::formats {

struct ReadOptions {
    std::string input;           // IN.cfg or IN.cff
    std::optional<double> rate;  // resample every channel onto this rate (Hz)
    Quantity quantity = Quantity::AsRecorded;
    const CodePage* codePage = nullptr;  // nullptr: judge the text's code page as the loader does
};

/// What the person must choose when the recording has several rates, or time stamps only that are
/// not evenly spaced: the rate to show it at.
struct RateQuestion {
    std::vector<double> ratesFound;       // the configuration's different rates (empty: time stamps only)
    double highest = 0;                   // the highest rate found (0 when time stamps only)
    std::int64_t samplesAtHighest = 0;    // samples the record has at that rate
    double medianSpacing = 0;             // the rate of the median time stamp spacing (0 when not known)
    std::int64_t samplesAtMedian = 0;     // samples the record has at that rate
};

struct ReadResult {
    bool ok = false;
    std::string error;                  // names the file, the line (or record and byte offset), what was expected
    std::vector<std::string> warnings;  // to tell after the recording has opened
    int revision = 0;                   // 1991, 1999 or 2013, as line 1 names it
    std::string dataType;               // "ASCII", "BINARY", "BINARY32" or "FLOAT32"
    bool combined = false;              // read from one .cff file
    std::int64_t samples = 0;
    std::int64_t missingValues = 0;     // analog values missing in the source: NaN (gaps) in the model
    bool resampled = false;
    std::optional<RateQuestion> needsRate;  // set (ok false, error set) when a rate must be given first

    /// "IEEE C37.111-2013 BINARY32": how the recording was read.
    std::string ReadAs() const;
};

/// Fills model (varConfigFile and strDataFile included, and strReadAs) with the recording at
/// options.input: header, channels, samples, raw extremes and peaks, as the 1991 loader fills it,
/// ready for the channel set-up. On failure the model holds no samples and error says why.
///
/// The model equals the loader's model of the converter's copy but for: a missing value, a gap
/// (NaN) where the copy has 0, which takes no part in peaks and raw extremes; raw extremes as read
/// (the loader rounds each to a whole number) where the raw values are real; FLOAT32 values, which
/// are the floats themselves where the copy holds their shortest text read back as a double (equal
/// at float precision); the record information, which is the recording's own (empty when it has
/// none, never "Converted from ...", with the resampling note when resampled); and strEncoding,
/// the code page the source's text was read in.
ReadResult ReadRecording(const ReadOptions& options, RecordingModel& model, const Progress& progress = {});

}  // namespace sevrana::formats
