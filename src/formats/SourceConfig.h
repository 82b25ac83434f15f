#pragma once
// The configuration of a recording in any revision (1991, 1999, 2013), read
// liberally: real recorders mix the layouts, pad fields with blanks and end
// lines in every way.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sevrana::formats {

/// A conversion that cannot go on; the text names the file, the place and what was expected.
struct ConvertError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// "'path' line N: what".
std::string LineMessage(const std::string& path, long line, std::string_view what);

enum class DataType { Ascii, Binary, Binary32, Float32 };

/// "ASCII", "BINARY", "BINARY32" or "FLOAT32".
std::string_view DataTypeName(DataType type);
/// The type a text names, letter case and blanks ignored; false when it names none.
bool ParseDataType(std::string_view text, DataType& type);

struct AnalogChannel {
    std::string id, phase, circuit, unit, skew, min, max;
    std::string a, b;  // the factors as written, so that they are copied unchanged
    double factorA = 0, factorB = 0;
    double primary = 0, secondary = 0;
    char ps = 0;  // 'P' or 'S' when the line says which side a and b give; 0 when it does not
};

struct DigitalChannel {
    std::string id, phase, circuit, normal;
};

struct RateSection {
    double rate = 0;              // samples per second; 0: the time stamps tell
    std::int64_t lastSample = 0;  // number of the section's last sample
    long line = 0;
};

/// A date line: calendar year (four digits), month, day and time with microseconds.
struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long micro = 0;
    int decimals = 0;  // of the seconds, as written
    long line = 0;
};

struct SourceConfig {
    std::string station, device, revisionText;
    int revision = 1991;  // 1991, 1999 or 2013, as line 1 names it (1991 when it names none)
    std::vector<AnalogChannel> analog;
    std::vector<DigitalChannel> digital;
    int frequency = 0;
    std::vector<RateSection> rates;  // at least one
    Stamp start, trigger;
    DataType type = DataType::Ascii;
    long typeLine = 0;
    double timeMultiplier = 1.0;
    std::string timeCode, localCode, timeQuality, leapSecond;  // 2013's extra lines, when present
    bool nanoseconds = false;           // the date lines give nanoseconds, and the data time stamps count them
    std::vector<std::string> warnings;  // what was read leniently, to tell the person

    std::int64_t Samples() const { return rates.back().lastSample; }
    /// Microseconds that one unit of a data time stamp stands for (the time multiplier included).
    double MicrosecondsPerStamp() const { return nanoseconds ? timeMultiplier * 0.001 : timeMultiplier; }
};

/// Parses the decoded lines of a configuration (line ends removed). firstLine is the
/// number of lines[0] in its file (a combined file has lines before it). Throws ConvertError.
SourceConfig ParseConfig(const std::vector<std::string>& lines, const std::string& path, long firstLine = 1);

/// The revision a configuration's first line names: 1999 or 2013 for a year from 1999 on
/// (2013 from 2013 on), else 1991.
int RevisionOfHeader(std::string_view line);

}  // namespace sevrana::formats
