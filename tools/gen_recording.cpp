// Writes COMTRADE 1991 ASCII recordings: the bundled feeder-fault example and
// large synthetic recordings for the load benchmark. Output is deterministic for
// a given command line, so the checked-in example can be compared byte for byte.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kDeg = std::numbers::pi / 180.0;
constexpr std::int32_t kRawLimit = 32767;  // 16-bit recorders, symmetric range

constexpr long long kMaxSamples = 2147483647;
constexpr long long kMaxChannels = 999999;  // six-digit channel numbers
constexpr long long kMaxRate = 1000000;     // one sample per microsecond time stamp at most

/// One output file written through a 1 MB buffer; values are formatted straight
/// into the buffer, so writing a large recording costs no allocation per value.
class OutFile {
public:
    explicit OutFile(const std::string& path)
        : path_(path), file_(std::fopen(path.c_str(), "wb")), buffer_(kBufferBytes)
    {
    }
    ~OutFile()
    {
        if (file_ != nullptr) std::fclose(file_);
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    std::uint64_t BytesWritten() const { return written_ + used_; }

    void Text(std::string_view text)
    {
        if (text.size() > kBufferBytes - used_) Flush();
        if (text.size() > kBufferBytes) {
            WriteRaw(text.data(), text.size());
            return;
        }
        std::copy(text.begin(), text.end(), buffer_.data() + used_);
        used_ += text.size();
    }
    void Char(char c)
    {
        if (used_ == kBufferBytes) Flush();
        buffer_[used_++] = c;
    }
    void Int(long long value)
    {
        Reserve(24);
        const auto result = std::to_chars(buffer_.data() + used_, buffer_.data() + kBufferBytes, value);
        used_ = static_cast<std::size_t>(result.ptr - buffer_.data());
    }
    /// Shortest text that reads back as the same double ("0.5", "0.004").
    void Real(double value)
    {
        Reserve(32);
        const auto result = std::to_chars(buffer_.data() + used_, buffer_.data() + kBufferBytes, value);
        used_ = static_cast<std::size_t>(result.ptr - buffer_.data());
    }
    /// Windows recorders end lines with CR LF; readers must cope with it.
    void EndLine() { Text("\r\n"); }

    /// Flushes and closes; false when any write failed.
    bool Close()
    {
        Flush();
        if (file_ != nullptr && std::fclose(file_) != 0) failed_ = true;
        file_ = nullptr;
        return !failed_;
    }

private:
    static constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

    void Reserve(std::size_t bytes)
    {
        if (kBufferBytes - used_ < bytes) Flush();
    }
    void Flush()
    {
        WriteRaw(buffer_.data(), used_);
        written_ += used_;
        used_ = 0;
    }
    void WriteRaw(const char* data, std::size_t bytes)
    {
        if (bytes == 0 || failed_ || file_ == nullptr) return;
        if (std::fwrite(data, 1, bytes, file_) != bytes) failed_ = true;
    }

    std::string path_;
    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    bool failed_ = false;
};

/// SplitMix64: tiny, fast and the same on every platform (the standard
/// distributions are not), which keeps the example's bytes reproducible.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    /// Triangular noise in (-1, 1): the sum of two uniforms, closer to real
    /// converter noise than a flat spread.
    double Noise()
    {
        const std::uint64_t bits = Next();
        const double u1 = static_cast<double>(bits >> 32) / 4294967296.0;
        const double u2 = static_cast<double>(bits & 0xFFFFFFFFULL) / 4294967296.0;
        return u1 + u2 - 1.0;
    }

private:
    std::uint64_t state_;
};

/// Raw converter value for an engineering value, so that a * raw + b gives it back.
std::int32_t ToRaw(double value, double a, double b)
{
    const double raw = std::round((value - b) / a);
    return static_cast<std::int32_t>(std::clamp(raw, -static_cast<double>(kRawLimit), static_cast<double>(kRawLimit)));
}

// ---------------------------------------------------------------------------
// Dates

/// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

struct Civil {
    long long year;
    unsigned month;
    unsigned day;
};

Civil CivilFromDays(long long z)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<long long>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

/// A point in time in microseconds since 1970-01-01 00:00.
struct Moment {
    long long micros;

    static Moment At(long long year, unsigned month, unsigned day, int h, int m, int s, long long us)
    {
        return {((DaysFromCivil(year, month, day) * 24 + h) * 60 + m) * 60 * 1000000LL + s * 1000000LL + us};
    }
    Moment Plus(long long us) const { return {micros + us}; }

    /// "mm/dd/yy,hh:mm:ss.uuuuuu", 24 characters.
    std::string Text() const
    {
        constexpr long long kDay = 86400LL * 1000000LL;
        const long long days = micros >= 0 ? micros / kDay : (micros - kDay + 1) / kDay;
        long long rest = micros - days * kDay;
        const Civil c = CivilFromDays(days);
        const long long us = rest % 1000000;
        rest /= 1000000;
        char text[64];
        std::snprintf(text, sizeof text, "%02u/%02u/%02lld,%02lld:%02lld:%02lld.%06lld", c.month, c.day,
                      ((c.year % 100) + 100) % 100, rest / 3600, rest / 60 % 60, rest % 60, us);
        return text;
    }
};

// ---------------------------------------------------------------------------
// Configuration file

struct AnalogChannel {
    std::string name;
    std::string phase;
    std::string ccbm;  // circuit component being monitored
    std::string unit;
    double a;
    double b;
    std::int32_t rawLimit = kRawLimit;  // the declared range: -rawLimit..rawLimit
};

struct DigitalChannel {
    std::string name;
    int normal;
};

struct Header {
    std::string station;
    std::string device;
    std::vector<AnalogChannel> analog;
    std::vector<DigitalChannel> digital;
    int lineFrequency = 50;
    long long rate = 1000;
    long long lastSample = 0;
    Moment start{};
    Moment trigger{};
};

bool WriteConfig(const std::string& path, const Header& h)
{
    OutFile out(path);
    if (!out.IsOpen()) return false;
    out.Text(h.station);
    out.Char(',');
    out.Text(h.device);
    out.Text(",1991");
    out.EndLine();

    const auto nA = static_cast<long long>(h.analog.size());
    const auto nD = static_cast<long long>(h.digital.size());
    out.Int(nA + nD);
    out.Char(',');
    out.Int(nA);
    out.Text("A,");
    out.Int(nD);
    out.Char('D');
    out.EndLine();

    long long n = 0;
    for (const AnalogChannel& ch : h.analog) {
        out.Int(++n);
        for (const std::string* field : {&ch.name, &ch.phase, &ch.ccbm, &ch.unit}) {
            out.Char(',');
            out.Text(*field);
        }
        out.Char(',');
        out.Real(ch.a);
        out.Char(',');
        out.Real(ch.b);
        out.Text(",0,");  // no skew between channels
        out.Int(-ch.rawLimit);
        out.Char(',');
        out.Int(ch.rawLimit);
        out.EndLine();
    }
    for (const DigitalChannel& ch : h.digital) {
        out.Int(++n);
        out.Char(',');
        out.Text(ch.name);
        out.Char(',');
        out.Int(ch.normal);
        out.EndLine();
    }

    out.Int(h.lineFrequency);
    out.EndLine();
    out.Text("1");
    out.EndLine();
    out.Int(h.rate);
    out.Char(',');
    out.Int(h.lastSample);
    out.EndLine();
    out.Text(h.start.Text());
    out.EndLine();
    out.Text(h.trigger.Text());
    out.EndLine();
    out.Text("ASCII");
    out.EndLine();
    return out.Close();
}

/// Time stamp of 0-based sample i: whole microseconds since the first sample.
long long TimeStamp(long long i, long long rate) { return i * 1000000LL / rate; }

// ---------------------------------------------------------------------------
// The bundled example: phase A to earth fault on a 110 kV feeder

struct ExampleTimes {
    static constexpr double kInception = 0.100;  // trigger, 100 ms into the record
    static constexpr double kPickup = 0.120;
    static constexpr double kTrip = 0.140;
    static constexpr double kContactsPart = 0.185;
    static constexpr double kAuxContactOpens = 0.205;
    static constexpr double kPickupReset = 0.225;
    static constexpr double kTripReset = 0.235;
};

struct Written {
    std::uint64_t dataBytes = 0;
    bool ok = false;
};

Written WriteExampleData(const std::string& path, const Header& h)
{
    constexpr double kOmega = kTwoPi * 50.0;
    const double uPeak = 110.0 / std::sqrt(3.0) * std::sqrt(2.0);  // kV, phase to earth
    constexpr double kAlpha = 20.0 * kDeg;                         // UA angle at inception
    constexpr double kLoadLag = 25.0 * kDeg;
    constexpr double kFaultPeak = 5200.0;  // A, symmetrical
    constexpr double kFaultAngle = 78.0 * kDeg;
    constexpr double kDcTau = 0.045;                   // s, DC time constant (X/R about 14)
    constexpr double kZeroSeqShare = 0.04;             // fault current seen in the healthy phases
    constexpr double kVoltageBlend = 0.0003;           // s, voltage collapse at inception
    constexpr double kRecoveryTau = 0.004;             // s, voltage recovery after clearing
    const double loadPeak[3] = {300.0, 290.0, 310.0};  // slightly unbalanced load
    const double shift[3] = {0.0, -120.0 * kDeg, 120.0 * kDeg};
    const double faultAmplitude[3] = {0.18, 1.07, 1.07};  // per unit during the fault
    const double faultShift[3] = {-5.0 * kDeg, -123.0 * kDeg, 123.0 * kDeg};

    OutFile out(path);
    Written result;
    if (!out.IsOpen()) return result;
    Random noise(0x5EF2A2A110ULL);

    bool open[3] = {false, false, false};
    double previous[3] = {0.0, 0.0, 0.0};
    double clearedAt = -1.0;  // when the arc in phase A went out
    for (long long i = 0; i < h.lastSample; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(h.rate);
        const double sinceFault = t - ExampleTimes::kInception;
        const bool faulted = sinceFault >= 0.0 && clearedAt < 0.0;

        double faultCurrent = 0.0;
        if (faulted) {
            faultCurrent = kFaultPeak * (std::sin(kOmega * t + kAlpha - kFaultAngle) -
                                         std::sin(kOmega * ExampleTimes::kInception + kAlpha - kFaultAngle) *
                                             std::exp(-sinceFault / kDcTau));
        }

        // Currents: each pole interrupts at its own current zero after the contacts part.
        double current[3];
        for (int p = 0; p < 3; ++p) {
            const double load = loadPeak[p] * (std::sin(kOmega * t + kAlpha - kLoadLag + shift[p]) +
                                               0.03 * std::sin(3.0 * (kOmega * t + kAlpha - kLoadLag)));
            const double ideal = load + (p == 0 ? 1.0 : kZeroSeqShare) * faultCurrent;
            if (!open[p] && t >= ExampleTimes::kContactsPart &&
                ((previous[p] < 0.0) != (ideal < 0.0) || t >= ExampleTimes::kContactsPart + 0.015)) {
                open[p] = true;
                if (p == 0) clearedAt = t;
            }
            previous[p] = ideal;
            current[p] = open[p] ? 0.0 : ideal;
        }

        // Voltages: busbar transformers, so the healthy voltages return after clearing.
        double faultWeight = 0.0;
        if (sinceFault >= 0.0) {
            faultWeight = 1.0 - std::exp(-sinceFault / kVoltageBlend);
            if (clearedAt >= 0.0) faultWeight *= std::exp(-(t - clearedAt) / kRecoveryTau);
        }
        double voltage[3];
        for (int p = 0; p < 3; ++p) {
            const double healthy = uPeak * std::sin(kOmega * t + kAlpha + shift[p]);
            const double duringFault = faultAmplitude[p] * uPeak * std::sin(kOmega * t + kAlpha + faultShift[p]);
            voltage[p] = (1.0 - faultWeight) * healthy + faultWeight * duringFault;
        }
        if (sinceFault >= 0.0) {  // line capacitance rings briefly when UA collapses
            voltage[0] -= 6.0 * std::exp(-sinceFault / 0.0025) * std::sin(kTwoPi * 730.0 * sinceFault);
        }

        std::int32_t raw[7];
        for (int p = 0; p < 3; ++p) {
            raw[p] = ToRaw(current[p] + 1.5 * noise.Noise(), h.analog[p].a, h.analog[p].b);
        }
        raw[3] = raw[0] + raw[1] + raw[2];  // residual by summation: exactly IA + IB + IC
        for (int p = 0; p < 3; ++p) {
            raw[4 + p] = ToRaw(voltage[p] + 0.02 * noise.Noise(), h.analog[4 + p].a, h.analog[4 + p].b);
        }
        for (std::size_t k = 0; k < std::size(raw); ++k)
            if (std::abs(raw[k]) > h.analog[k].rawLimit) return result;  // beyond what the header declares

        const int pickup = t >= ExampleTimes::kPickup && t < ExampleTimes::kPickupReset ? 1 : 0;
        const int trip = t >= ExampleTimes::kTrip && t < ExampleTimes::kTripReset ? 1 : 0;
        const int breakerClosed = t < ExampleTimes::kAuxContactOpens ? 1 : 0;

        out.Int(i + 1);
        out.Char(',');
        out.Int(TimeStamp(i, h.rate));
        for (std::int32_t v : raw) {
            out.Char(',');
            out.Int(v);
        }
        for (int v : {pickup, trip, breakerClosed}) {
            out.Char(',');
            out.Int(v);
        }
        out.EndLine();
    }
    result.dataBytes = out.BytesWritten();
    result.ok = out.Close();
    return result;
}

Header ExampleHeader()
{
    Header h;
    h.station = "Kallio 110 kV";
    h.device = "REL-670 F1";
    const std::string feeder = "Feeder F1";
    // The ranges the recorder declares, set a little above the largest raw value each channel
    // reaches (two significant figures, rounded up): the viewer's first scales follow them.
    h.analog = {
        {"IA", "A", feeder, "A", 0.5, 0.0, 19000},     {"IB", "B", feeder, "A", 0.5, 0.0, 1200},
        {"IC", "C", feeder, "A", 0.5, 0.0, 610},       {"IN", "N", feeder, "A", 0.5, 0.0, 20000},
        {"UA", "A", feeder, "kV", 0.004, 0.0, 23000},  {"UB", "B", feeder, "kV", 0.004, 0.0, 24000},
        {"UC", "C", feeder, "kV", 0.004, 0.012, 25000},  // this converter reads 12 V high at zero
    };
    h.digital = {{"PU", 0}, {"TRIP", 0}, {"CB_CLOSED", 1}};
    h.lineFrequency = 50;
    h.rate = 2000;
    h.lastSample = 1000;  // 0.5 s
    h.start = Moment::At(2024, 3, 14, 9, 26, 53, 250000);
    h.trigger = h.start.Plus(static_cast<long long>(ExampleTimes::kInception * 1e6));
    return h;
}

bool WriteExampleInfo(const std::string& path, const Header& h)
{
    OutFile out(path);
    if (!out.IsOpen()) return false;
    const auto line = [&out](std::string_view text) {
        out.Text(text);
        out.EndLine();
    };
    line("[Public Record_Information]");
    line("Source=" + h.device);
    line("Record_Information=Phase A to earth fault, distance zone 1 trip");
    line("Location=" + h.station + ", feeder F1");
    line("Event_Type=Phase to earth fault");
    line("Faulted_Phase=A");
    line("Fault_Distance=12.4 km");
    line("Trip_Time=" + h.trigger.Plus(40000).Text());
    line("");
    line("[Public File_Description]");
    line("Station_Name=" + h.station);
    line("Recording_Device_ID=" + h.device);
    line("Revision_Year=1991");
    line("Total_Channel_Count=" + std::to_string(h.analog.size() + h.digital.size()));
    line("Analog_Channel_Count=" + std::to_string(h.analog.size()));
    line("Status_Channel_Count=" + std::to_string(h.digital.size()));
    line("Line_Frequency=" + std::to_string(h.lineFrequency));
    line("Num_Sample_Rates=1");
    line("Sample_Rate_#1=" + std::to_string(h.rate));
    line("End_Sample_Rate_#1=" + std::to_string(h.lastSample));
    line("File_Start_Time=" + h.start.Text());
    line("Trigger_Time=" + h.trigger.Text());
    line("File_Type=ASCII");
    return out.Close();
}

// ---------------------------------------------------------------------------
// Synthetic recordings for benchmarks

struct SyntheticOptions {
    std::string outBase;
    long long samples = -1;
    long long analog = -1;
    long long digital = -1;
    long long rate = 1000;
    std::uint64_t seed = 1;
};

/// Channel k: groups of three phases, current groups and voltage groups taking turns.
struct SyntheticLayout {
    static int Phase(long long k) { return static_cast<int>(k % 3); }
    static bool IsCurrent(long long k) { return (k / 3) % 2 == 0; }
    static long long Set(long long k) { return k / 6 + 1; }
    /// Sets differ a little in size so that the channels are not all alike.
    static double Scale(long long k) { return 1.0 + 0.05 * static_cast<double>(Set(k) % 4); }
    static int DigitalNormal(long long j) { return j % 4 == 3 ? 1 : 0; }
};

std::string WithNumber(std::string text, long long n)
{
    text += std::to_string(n);
    return text;
}

Header SyntheticHeader(const SyntheticOptions& o, long long faultIndex)
{
    Header h;
    h.station = "Synthetic test";
    h.device = "gen_recording";
    h.analog.reserve(static_cast<std::size_t>(o.analog));
    for (long long k = 0; k < o.analog; ++k) {
        const int p = SyntheticLayout::Phase(k);
        const std::string phase(1, static_cast<char>('A' + p));
        const bool isCurrent = SyntheticLayout::IsCurrent(k);
        const long long set = SyntheticLayout::Set(k);
        h.analog.push_back({WithNumber(std::string(isCurrent ? "I" : "U") + phase, set), phase,
                            WithNumber("Line ", set), isCurrent ? "A" : "kV", isCurrent ? 0.5 : 0.004, 0.0});
    }
    h.digital.reserve(static_cast<std::size_t>(o.digital));
    for (long long j = 0; j < o.digital; ++j) {
        h.digital.push_back({WithNumber("D", j + 1), SyntheticLayout::DigitalNormal(j)});
    }
    h.lineFrequency = 50;
    h.rate = o.rate;
    h.lastSample = o.samples;
    h.start = Moment::At(2024, 6, 1, 12, 0, 0, 0);
    h.trigger = h.start.Plus(TimeStamp(faultIndex, o.rate));
    return h;
}

Written WriteSyntheticData(const std::string& path, const SyntheticOptions& o, long long faultIndex,
                           long long faultLength)
{
    OutFile out(path);
    Written result;
    if (!out.IsOpen()) return result;
    Random noise(o.seed);

    constexpr double kFaultAngle = 80.0 * kDeg;
    constexpr double kDcTau = 0.04;
    const double rate = static_cast<double>(o.rate);
    const long long faultEnd = faultIndex + faultLength;
    const double faultStartAngle = kTwoPi * static_cast<double>((faultIndex * 50) % o.rate) / rate;
    // Amplitudes in raw counts: 300 A load and 5 kA fault at 0.5 A per count; 89.8 kV at 4 V per count.
    const double currentPeak = 600.0;
    const double faultPeak = 10000.0;
    const double voltagePeak = 110.0 / std::sqrt(3.0) * std::sqrt(2.0) / 0.004;
    const double shift[3] = {0.0, -120.0 * kDeg, 120.0 * kDeg};

    // Each digital channel changes twice: shortly after the fault starts, and back after it ends.
    const long long step = std::max(1LL, o.rate / 200);  // 5 ms
    std::vector<long long> rise(static_cast<std::size_t>(o.digital));
    std::vector<long long> fall(static_cast<std::size_t>(o.digital));
    for (long long j = 0; j < o.digital; ++j) {
        rise[static_cast<std::size_t>(j)] = faultIndex + (j % 8 + 1) * step;
        fall[static_cast<std::size_t>(j)] = faultEnd + (j % 8 + 2) * step;
    }

    std::vector<double> base(6);  // [current A, B, C, voltage A, B, C] in counts before scaling
    for (long long i = 0; i < o.samples; ++i) {
        // Angle from the exact position within the cycle, so very long records lose no precision.
        const double angle = kTwoPi * static_cast<double>((i * 50) % o.rate) / rate;
        const bool inFault = i >= faultIndex && i < faultEnd;
        for (int p = 0; p < 3; ++p) {
            double current = currentPeak * std::sin(angle + shift[p] - 25.0 * kDeg);
            double voltage = voltagePeak * std::sin(angle + shift[p]);
            if (inFault && p == 0) {
                const double since = static_cast<double>(i - faultIndex) / rate;
                current += faultPeak * (std::sin(angle - kFaultAngle) -
                                        std::sin(faultStartAngle - kFaultAngle) * std::exp(-since / kDcTau));
                voltage *= 0.2;
            } else if (inFault) {
                voltage *= 1.05;
            }
            base[static_cast<std::size_t>(p)] = current;
            base[static_cast<std::size_t>(3 + p)] = voltage;
        }

        out.Int(i + 1);
        out.Char(',');
        out.Int(TimeStamp(i, o.rate));
        for (long long k = 0; k < o.analog; ++k) {
            const std::size_t which =
                static_cast<std::size_t>(SyntheticLayout::Phase(k)) + (SyntheticLayout::IsCurrent(k) ? 0 : 3);
            const double value = base[which] * SyntheticLayout::Scale(k) + 3.0 * noise.Noise();
            out.Char(',');
            out.Int(ToRaw(value, 1.0, 0.0));
        }
        for (long long j = 0; j < o.digital; ++j) {
            const auto u = static_cast<std::size_t>(j);
            const bool active = i >= rise[u] && i < fall[u];
            out.Char(',');
            out.Char(static_cast<char>('0' + (SyntheticLayout::DigitalNormal(j) ^ (active ? 1 : 0))));
        }
        out.EndLine();
    }
    result.dataBytes = out.BytesWritten();
    result.ok = out.Close();
    return result;
}

// ---------------------------------------------------------------------------
// Command line

constexpr const char* kUsage =
    "usage: gen_recording --example OUTBASE\n"
    "       gen_recording --out OUTBASE --samples N --analog A --digital D [--rate R] [--seed S]\n"
    "Writes OUTBASE.cfg and OUTBASE.dat (COMTRADE 1991, ASCII); the example also OUTBASE.INF.\n"
    "  N: 0..2147483647 samples   A, D: 0..999999 channels\n"
    "  R: 1..1000000 samples per second (default 1000)   S: unsigned 64-bit seed (default 1)\n";

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "gen_recording: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

template <class T>
std::optional<T> ParseWhole(std::string_view text, T low, T high)
{
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

int Fail(const std::string& path)
{
    std::fprintf(stderr, "gen_recording: cannot write '%s'\n", path.c_str());
    return 1;
}

int RunExample(const std::string& base)
{
    const Header h = ExampleHeader();
    if (!WriteConfig(base + ".cfg", h)) return Fail(base + ".cfg");
    const Written data = WriteExampleData(base + ".dat", h);
    if (!data.ok) return Fail(base + ".dat");
    if (!WriteExampleInfo(base + ".INF", h)) return Fail(base + ".INF");
    std::fprintf(stderr,
                 "gen_recording: wrote %s.cfg/.dat/.INF: %lld samples, %zu analog, %zu digital, %lld Hz, %llu data "
                 "bytes\n",
                 base.c_str(), h.lastSample, h.analog.size(), h.digital.size(), h.rate,
                 static_cast<unsigned long long>(data.dataBytes));
    return 0;
}

int RunSynthetic(const SyntheticOptions& o)
{
    const long long faultIndex = o.samples / 2;
    const long long faultLength = std::min(std::max(1LL, o.rate / 10), o.samples - faultIndex);  // 100 ms
    const Header h = SyntheticHeader(o, faultIndex);
    if (!WriteConfig(o.outBase + ".cfg", h)) return Fail(o.outBase + ".cfg");
    const Written data = WriteSyntheticData(o.outBase + ".dat", o, faultIndex, faultLength);
    if (!data.ok) return Fail(o.outBase + ".dat");
    std::fprintf(stderr,
                 "gen_recording: wrote %s.cfg/.dat: %lld samples, %lld analog, %lld digital, %lld Hz, %llu "
                 "data bytes\n",
                 o.outBase.c_str(), o.samples, o.analog, o.digital, o.rate,
                 static_cast<unsigned long long>(data.dataBytes));
    return 0;
}

struct NumberOption {
    std::string_view name;
    long long* target;
    long long low;
    long long high;
};

int Run(const std::vector<std::string_view>& args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!args.empty() && args[0] == "--example") {
        if (args.size() != 2 || args[1].empty()) return Usage("--example takes exactly one OUTBASE");
        return RunExample(std::string(args[1]));
    }

    SyntheticOptions o;
    const NumberOption numbers[] = {{"--samples", &o.samples, 0, kMaxSamples},
                                    {"--analog", &o.analog, 0, kMaxChannels},
                                    {"--digital", &o.digital, 0, kMaxChannels},
                                    {"--rate", &o.rate, 1, kMaxRate}};
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string_view name = args[i];
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                         [name](const NumberOption& option) { return option.name == name; });
        if (name != "--out" && name != "--seed" && number == std::end(numbers)) {
            return Usage("unknown argument '" + std::string(name) + "'");
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return Usage(std::string(name) + " given twice");
        seen.push_back(name);
        if (i + 1 >= args.size()) return Usage(std::string(name) + " needs a value");
        const std::string_view value = args[i + 1];
        const std::string bad = "bad value '" + std::string(value) + "' for " + std::string(name);

        if (name == "--out") {
            if (value.empty()) return Usage(bad);
            o.outBase = std::string(value);
        } else if (name == "--seed") {
            const auto seed = ParseWhole<std::uint64_t>(value, 0, UINT64_MAX);
            if (!seed) return Usage(bad);
            o.seed = *seed;
        } else {
            const auto parsed = ParseWhole<long long>(value, number->low, number->high);
            if (!parsed) return Usage(bad);
            *number->target = *parsed;
        }
    }
    if (o.outBase.empty() || o.samples < 0 || o.analog < 0 || o.digital < 0) {
        return Usage("--out, --samples, --analog and --digital are needed");
    }
    return RunSynthetic(o);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    return Run(args);
}
