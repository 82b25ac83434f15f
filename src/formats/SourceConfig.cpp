#include "SourceConfig.h"

#include <cmath>
#include <optional>

#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::formats {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitTrimmed(std::string_view line, char delimiter)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t at = line.find(delimiter);
        fields.push_back(Trim(line.substr(0, at)));
        if (at == std::string_view::npos) return fields;
        line.remove_prefix(at + 1);
    }
}

/// Reads the lines one after the other, each error naming the line it is about.
class ConfigReader {
public:
    ConfigReader(const std::vector<std::string>& lines, const std::string& path, long firstLine)
        : lines_(lines), path_(path), firstLine_(firstLine)
    {
    }

    bool AtEnd() const { return next_ >= lines_.size(); }
    long LineNumber() const { return firstLine_ + static_cast<long>(current_); }

    /// The next line; the end of the file is an error that says what was expected there.
    std::string_view Next(std::string_view expected)
    {
        if (AtEnd())
            throw ConvertError(LineMessage(path_, firstLine_ + static_cast<long>(next_),
                                           "expected " + std::string(expected) + ", found the end of the file"));
        current_ = next_++;
        return lines_[current_];
    }

    /// "'path' line N: what" about the current line.
    std::string Message(std::string_view what) const { return LineMessage(path_, LineNumber(), what); }
    [[noreturn]] void Fail(std::string_view what) const { throw ConvertError(Message(what)); }

    double Number(std::string_view field, std::string_view expected) const
    {
        const std::optional<double> value = ParseNumber(field);
        if (!value) Fail("expected " + std::string(expected) + ", found '" + std::string(field) + "'");
        return *value;
    }

    std::int64_t Whole(std::string_view field, std::string_view expected) const
    {
        const double value = Number(field, expected);
        if (value != std::floor(value) || std::fabs(value) > 9e15)
            Fail("expected " + std::string(expected) + ", found '" + std::string(field) + "'");
        return static_cast<std::int64_t>(value);
    }

private:
    const std::vector<std::string>& lines_;
    const std::string& path_;
    long firstLine_;
    std::size_t next_ = 0;
    std::size_t current_ = 0;
};

/// Two-digit years are read as the viewer reads them: 00..29 are 2000..2029, 30..99 are 1930..1999.
int FullYear(int year, std::size_t digits)
{
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

bool ParseInt(std::string_view text, int& value)
{
    text = Trim(text);
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

Stamp ParseStamp(ConfigReader& reader, bool dayFirst, std::string_view what, std::vector<std::string>& warnings)
{
    const std::string_view line = reader.Next(what);
    const std::string expected = "the " + std::string(what) + " as " + (dayFirst ? "dd/mm/yyyy" : "mm/dd/yy") +
                                 ",hh:mm:ss.ssssss, found '" + std::string(line) + "'";
    const std::vector<std::string_view> parts = SplitTrimmed(line, ',');
    if (parts.size() != 2) reader.Fail("expected " + expected);
    std::vector<std::string_view> date = SplitTrimmed(parts[0], '/');
    if (date.size() != 3) date = SplitTrimmed(parts[0], '-');
    if (date.size() != 3) date = SplitTrimmed(parts[0], '.');
    const std::vector<std::string_view> clock = SplitTrimmed(parts[1], ':');
    Stamp s;
    s.line = reader.LineNumber();
    int first = 0, second = 0, year = 0;
    if (date.size() != 3 || clock.size() != 3 || !ParseInt(date[0], first) || !ParseInt(date[1], second) ||
        !ParseInt(date[2], year) || !ParseInt(clock[0], s.hour) || !ParseInt(clock[1], s.minute))
        reader.Fail("expected " + expected);
    s.year = FullYear(year, date[2].size());
    s.day = dayFirst ? first : second;
    s.month = dayFirst ? second : first;
    // Recorders that mix the layouts give themselves away with a month above 12: only then is the other order
    // taken, and the person told, since a date that fits both orders cannot be told apart.
    if (s.month > 12 && s.day <= 12) {
        warnings.push_back(
            reader.Message("the " + std::string(what) + " " + std::string(parts[0]) + " has no month " +
                           std::to_string(s.month) + " in the order " + (dayFirst ? "dd/mm/yyyy" : "mm/dd/yy") +
                           " that line 1's revision gives: read as " + (dayFirst ? "mm/dd/yy" : "dd/mm/yyyy")));
        std::swap(s.month, s.day);
    }

    const std::string_view seconds = clock[2];
    const std::size_t point = seconds.find('.');
    if (!ParseInt(seconds.substr(0, point), s.second)) reader.Fail("expected " + expected);
    if (point != std::string_view::npos) {
        // Microseconds are all the 1991 layout holds: further digits (nanoseconds) are dropped.
        const std::string_view fraction = seconds.substr(point + 1);
        long scale = 100000;
        for (const char c : fraction) {
            if (c < '0' || c > '9') reader.Fail("expected " + expected);
            s.micro += (c - '0') * scale;
            scale /= 10;
        }
        s.decimals = static_cast<int>(fraction.size());
    }
    if (s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 || s.hour > 23 || s.minute > 59 || s.second > 59)
        reader.Fail("expected " + expected);
    return s;
}

void ReadChannelCounts(ConfigReader& reader, long& nA, long& nD)
{
    const std::string_view line = reader.Next("the channel counts");
    const std::vector<std::string_view> f = SplitTrimmed(line, ',');
    const std::string expected = "the channel counts as total,nnA,nnD, found '" + std::string(line) + "'";
    if (f.size() < 3) reader.Fail("expected " + expected);
    double total = 0, analog = 0, digital = 0;
    try {
        total = Val(f[0]);
        analog = Val(f[1]);
        digital = Val(f[2]);
    } catch (const ConversionError&) {
        reader.Fail("expected " + expected);
    }
    const auto count = [](double v) { return v >= 0 && v <= 1e6 && v == std::floor(v); };
    if (!count(analog) || !count(digital) || total != analog + digital) reader.Fail("expected " + expected);
    // The viewer has nothing to show (and stops) without a channel.
    if (total == 0) reader.Fail("expected at least one analog or digital channel, found none");
    nA = static_cast<long>(analog);
    nD = static_cast<long>(digital);
}

/// A channel line's fields; empty ones after the most a channel line has are a writer's trailing commas.
std::vector<std::string_view> ChannelFields(std::string_view line, std::size_t most)
{
    std::vector<std::string_view> fields = SplitTrimmed(line, ',');
    while (fields.size() > most && fields.back().empty()) fields.pop_back();
    return fields;
}

AnalogChannel ReadAnalog(ConfigReader& reader)
{
    const std::string_view line = reader.Next("an analog channel line");
    const std::vector<std::string_view> f = ChannelFields(line, 13);
    if (f.size() < 10 || f.size() > 13)
        reader.Fail("expected an analog channel line of 13 fields (10 in the 1991 layout), found " +
                    std::to_string(f.size()));
    AnalogChannel c;
    c.id = f[1];
    c.phase = f[2];
    c.circuit = f[3];
    c.unit = f[4];
    c.a = f[5];
    c.b = f[6].empty() ? std::string_view("0") : f[6];
    c.factorA = reader.Number(c.a, "the factor a as a number");
    c.factorB = reader.Number(c.b, "the offset b as a number");
    c.skew = f[7];
    // The viewer reads the limits for its first scale: a text that is no number counts as 0 there.
    c.min = ParseNumber(f[8]) ? f[8] : std::string_view("0");
    c.max = ParseNumber(f[9]) ? f[9] : std::string_view("0");
    if (f.size() >= 12) {
        c.primary = ParseNumber(f[10]).value_or(0);
        c.secondary = ParseNumber(f[11]).value_or(0);
    }
    if (f.size() == 13 && !f[12].empty()) {
        const char side = static_cast<char>(f[12][0] & ~0x20);
        if (side == 'P' || side == 'S') c.ps = side;
    }
    return c;
}

/// Digital channel lines of four fields, read leniently; told once for the file.
struct ShortDigitalLines {
    long count = 0;
    long firstLine = 0;
};

bool IsState(std::string_view field) { return field == "0" || field == "1"; }

DigitalChannel ReadDigital(ConfigReader& reader, ShortDigitalLines& shortLines)
{
    const std::string_view line = reader.Next("a digital channel line");
    const std::vector<std::string_view> f = ChannelFields(line, 5);
    if (f.size() < 3 || f.size() > 5)
        reader.Fail("expected a digital channel line of 5 fields (3 in the 1991 layout), found " +
                    std::to_string(f.size()));
    DigitalChannel c;
    c.id = f[1];
    if (f.size() == 5) {
        c.phase = f[2];
        c.circuit = f[3];
    }
    std::string_view normal = f.back();
    if (f.size() == 4) {
        // Some recorders leave out one field: the one that is a state is the normal state, the other the circuit.
        if (shortLines.count++ == 0) shortLines.firstLine = reader.LineNumber();
        const bool stateFirst = IsState(f[2]) && !IsState(f[3]);
        normal = stateFirst ? f[2] : f[3];
        c.circuit = stateFirst ? f[3] : f[2];
    }
    c.normal = normal.empty() ? std::string_view("0") : normal;
    const std::int64_t state = reader.Whole(c.normal, "the normal state as 0 or 1");
    if (state < -32768 || state > 32767) reader.Fail("expected the normal state as 0 or 1, found '" + c.normal + "'");
    return c;
}

}  // namespace

std::string LineMessage(const std::string& path, long line, std::string_view what)
{
    return "'" + path + "' line " + std::to_string(line) + ": " + std::string(what);
}

std::string_view DataTypeName(DataType type)
{
    switch (type) {
    case DataType::Ascii:
        return "ASCII";
    case DataType::Binary:
        return "BINARY";
    case DataType::Binary32:
        return "BINARY32";
    case DataType::Float32:
        return "FLOAT32";
    }
    return "ASCII";
}

bool ParseDataType(std::string_view text, DataType& type)
{
    text = Trim(text);
    for (const DataType t : {DataType::Ascii, DataType::Binary, DataType::Binary32, DataType::Float32}) {
        if (EqualsIgnoreCase(text, DataTypeName(t))) {
            type = t;
            return true;
        }
    }
    return false;
}

int RevisionOfHeader(std::string_view line)
{
    const std::vector<std::string_view> f = SplitTrimmed(line, ',');
    int year = 0;
    if (f.size() < 3 || !ParseInt(f[2], year)) return 1991;
    if (year >= 2013) return 2013;
    return year >= 1999 ? 1999 : 1991;
}

SourceConfig ParseConfig(const std::vector<std::string>& lines, const std::string& path, long firstLine)
{
    ConfigReader reader(lines, path, firstLine);
    SourceConfig cfg;

    const std::string_view header = reader.Next("the station name, device and revision year");
    std::vector<std::string_view> f = SplitTrimmed(header, ',');
    if (f.size() < 2 || f.size() > 3)
        reader.Fail("expected the station name, device and revision year, found '" + std::string(header) + "'");
    cfg.station = f[0];
    cfg.device = f[1];
    if (f.size() == 3) cfg.revisionText = f[2];
    cfg.revision = RevisionOfHeader(header);

    long nA = 0, nD = 0;
    ReadChannelCounts(reader, nA, nD);
    for (long i = 0; i < nA; ++i) cfg.analog.push_back(ReadAnalog(reader));
    ShortDigitalLines shortLines;
    for (long i = 0; i < nD; ++i) cfg.digital.push_back(ReadDigital(reader, shortLines));
    if (shortLines.count > 0) {
        const std::string more = shortLines.count > 1 ? ", and " + std::to_string(shortLines.count - 1) + " more" : "";
        cfg.warnings.push_back(LineMessage(path, shortLines.firstLine,
                                           "a digital channel line of 4 fields, not 5 (3 in the 1991 layout)" + more +
                                               ": the field that is 0 or 1 is read as the normal state, the other as "
                                               "the circuit"));
    }

    std::string_view line = Trim(reader.Next("the line frequency"));
    const double frequency = line.empty() ? 0 : RoundHalfEven(reader.Number(line, "the line frequency in Hz"));
    if (frequency < 0 || frequency > 32767)
        reader.Fail("expected the line frequency in Hz, found '" + std::string(line) + "'");
    cfg.frequency = static_cast<int>(frequency);

    line = Trim(reader.Next("the number of sampling rates"));
    const std::int64_t rateCount = reader.Whole(line, "the number of sampling rates");
    if (rateCount < 0 || rateCount > 1000)
        reader.Fail("expected the number of sampling rates, found '" + std::string(line) + "'");
    for (std::int64_t i = 0; i < std::max<std::int64_t>(rateCount, 1); ++i) {
        line = reader.Next("a sampling rate line");
        f = SplitTrimmed(line, ',');
        const std::string expected = "a sampling rate and last sample number";
        if (f.size() != 2) reader.Fail("expected " + expected + ", found '" + std::string(line) + "'");
        RateSection r;
        r.line = reader.LineNumber();
        r.rate = reader.Number(f[0], expected);
        r.lastSample = reader.Whole(f[1], expected);
        const std::int64_t previous = cfg.rates.empty() ? 0 : cfg.rates.back().lastSample;
        if (r.rate < 0 || r.lastSample < previous || r.lastSample > 2147483647)
            reader.Fail("expected " + expected + ", found '" + std::string(line) + "'");
        cfg.rates.push_back(r);
    }
    if (cfg.Samples() == 0) reader.Fail("expected a last sample number above 0, found " + std::string(line));

    // The revision line 1 names decides the order of the dates, whatever the layout of the channel lines: recorders
    // that write the newer channel lines under a 1991 line 1 still write 1991 dates.
    const bool dayFirst = cfg.revision >= 1999;
    cfg.start = ParseStamp(reader, dayFirst, "first sample's date", cfg.warnings);
    cfg.trigger = ParseStamp(reader, dayFirst, "trigger point's date", cfg.warnings);
    // A recorder that dates to the nanosecond counts its time stamps in nanoseconds too.
    cfg.nanoseconds = std::max(cfg.start.decimals, cfg.trigger.decimals) > 6;

    line = reader.Next("the data file type");
    if (!ParseDataType(line, cfg.type))
        reader.Fail("expected the data file type ASCII, BINARY, BINARY32 or FLOAT32, found '" + std::string(line) +
                    "'");
    cfg.typeLine = reader.LineNumber();

    // The lines a newer revision adds are read when present; a 1991 file simply ends.
    if (reader.AtEnd()) return cfg;
    line = Trim(reader.Next("the time multiplier"));
    if (!line.empty()) {
        cfg.timeMultiplier = reader.Number(line, "the time multiplier as a number");
        if (!(cfg.timeMultiplier > 0))
            reader.Fail("expected a time multiplier above 0, found '" + std::string(line) + "'");
    }
    if (reader.AtEnd()) return cfg;
    f = SplitTrimmed(reader.Next("the time code line"), ',');
    cfg.timeCode = f[0];
    if (f.size() > 1) cfg.localCode = f[1];
    if (reader.AtEnd()) return cfg;
    f = SplitTrimmed(reader.Next("the time quality line"), ',');
    cfg.timeQuality = f[0];
    if (f.size() > 1) cfg.leapSecond = f[1];
    return cfg;
}

}  // namespace sevrana::formats
