// The data stage on every core against the same stage line by line: samples,
// raw extremes, peaks, the progress reported and the failing line must be the
// same to the bit, wherever in the file a fault sits and whatever the line ends.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DataStage.h"
#include "TempDir.h"

namespace sevrana {
namespace {

constexpr long kAnalog = 3;
constexpr long kDigital = 2;

/// Data lines 1..lines: analog values with fractions, negatives and extremes; digital 0/1.
std::vector<std::string> DataLines(long lines)
{
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(lines));
    for (long n = 1; n <= lines; ++n)
        out.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 125) + "," + std::to_string(n % 2000 - 1000) +
                      "," + std::to_string((n * 7919) % 65535 - 32767) + "," + std::to_string(n % 97) + ".5," +
                      std::to_string(n / 500 % 2) + "," + std::to_string(n % 3 == 0 ? 1 : 0));
    return out;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end)
{
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

RecordingModel ModelFor(long last)
{
    RecordingModel m;
    m.varAnalogChannels = kAnalog;
    m.intDigitalCount = kDigital;
    m.lngLastSample = static_cast<std::int32_t>(last);
    for (auto* a : {&m.arrFactorA, &m.arrFactorB, &m.arrPeakValue}) a->Redim(1, kAnalog);
    for (auto* a : {&m.arrRawMin, &m.arrRawMax}) a->Redim(1, kAnalog);
    const double a[] = {0.5, 0.001, 3}, b[] = {0, 1.25, -7};
    for (long i = 1; i <= kAnalog; ++i) {
        m.arrFactorA(i) = a[i - 1];
        m.arrFactorB(i) = b[i - 1];
    }
    m.arrAnalogSamples.Redim(kAnalog, last + 1);
    m.arrDigitalSamples.Redim(kDigital, last + 1);
    return m;
}

struct Outcome {
    long failed = 0;
    std::vector<long> progress;
    RecordingModel model;
};

Outcome Read(const std::string& text, long last, bool parallel)
{
    Outcome o{0, {}, ModelFor(last)};
    LineReader reader = LineReader::FromMemory(text);
    const std::function<void(long)> note = [&](long percent) { o.progress.push_back(percent); };
    o.failed = parallel ? ReadDataLines(o.model, reader, note) : ReadDataLinesSequential(o.model, reader, note);
    return o;
}

void ExpectSame(const Outcome& seq, const Outcome& par, const std::string& what)
{
    EXPECT_EQ(par.failed, seq.failed) << what;
    EXPECT_EQ(par.progress, seq.progress) << what;
    EXPECT_EQ(std::memcmp(par.model.arrAnalogSamples.data(), seq.model.arrAnalogSamples.data(),
                          seq.model.arrAnalogSamples.bytes()),
              0)
        << what;
    EXPECT_EQ(std::memcmp(par.model.arrDigitalSamples.data(), seq.model.arrDigitalSamples.data(),
                          seq.model.arrDigitalSamples.bytes()),
              0)
        << what;
    for (long i = 1; i <= kAnalog; ++i) {
        EXPECT_EQ(par.model.arrRawMin(i), seq.model.arrRawMin(i)) << what << " channel " << i;
        EXPECT_EQ(par.model.arrRawMax(i), seq.model.arrRawMax(i)) << what << " channel " << i;
        EXPECT_EQ(par.model.arrPeakValue(i), seq.model.arrPeakValue(i)) << what << " channel " << i;
    }
}

constexpr long kLines = 150000;  // about 6 MB: read in parallel

TEST(DataStage, ParallelReadEqualsLineByLineWhereverAFaultSits)
{
    const std::vector<std::string> good = DataLines(kLines);
    ASSERT_GT(Join(good, "\r\n").size(), kParallelDataBytes);
    // A good file; one with extra lines past the last sample; faults at the first line, in
    // every part (about every 1/16 of the file), near the end and at the last line.
    struct Fault {
        long line;
        std::string text;  // replaces the line; empty: the file ends before it
    };
    std::vector<Fault> faults = {{0, ""}, {1, "1,0,x,2,3,0,1"}, {kLines, "150000,0,1,2,3,0"}};
    for (long k = 1; k < 16; ++k) {
        const long n = kLines / 16 * k + k;
        const std::string nText = std::to_string(n);
        switch (k % 5) {
        case 0: faults.push_back({n, nText + ",0,5,6,7,0,2147483648"}); break;      // digital overflow
        case 1: faults.push_back({n, nText + ",0,5,9e99,7,0,1"}); break;           // raw value too large
        case 2: faults.push_back({n, std::to_string(n + 1) + ",0,5,6,7,0,1"}); break;  // wrong sample number
        case 3: faults.push_back({n, nText + ",0,-40000,6,,0,1"}); break;          // empty field after good ones
        default: faults.push_back({n, ""}); break;                                  // the file ends here
        }
    }
    for (const Fault& fault : faults) {
        std::vector<std::string> lines = good;
        std::string what = "fault at line " + std::to_string(fault.line);
        if (fault.line > 0 && fault.text.empty())
            lines.resize(static_cast<std::size_t>(fault.line - 1));
        else if (fault.line > 0)
            lines[static_cast<std::size_t>(fault.line - 1)] = fault.text;
        const std::string text = Join(lines, "\r\n");
        const Outcome seq = Read(text, kLines, false);
        EXPECT_EQ(seq.failed, fault.line) << what;
        ExpectSame(seq, Read(text, kLines, true), what);
    }
    // Lines beyond the last sample are not read; a shorter record stops early.
    const std::string text = Join(good, "\n");
    ExpectSame(Read(text, kLines - 1000, false), Read(text, kLines - 1000, true), "extra lines");
}

TEST(DataStage, LineEndsByteOrderMarkAndFilesAreSplitAlike)
{
    std::vector<std::string> lines = DataLines(kLines);
    std::string mixed = "\xEF\xBB\xBF";
    for (std::size_t k = 0; k < lines.size(); ++k) mixed += lines[k] + (k % 3 == 0 ? "\r" : k % 3 == 1 ? "\r\n" : "\n");
    mixed.resize(mixed.size() - 1);  // the last line without its line end
    ExpectSame(Read(mixed, kLines, false), Read(mixed, kLines, true), "mixed line ends");
    // An empty line in the middle is a line (and a fault) as line by line.
    std::string empty = Join(lines, "\n");
    empty.insert(empty.find("\n70001,") + 1, "\r\n");
    ExpectSame(Read(empty, kLines, false), Read(empty, kLines, true), "empty line");
    EXPECT_EQ(Read(empty, kLines, true).failed, 70001);

    // From a file, as the viewer reads it.
    testing::TempDir dir;
    const std::string path = dir.Write("big.dat", mixed);
    Outcome fromFile{0, {}, ModelFor(kLines)};
    LineReader reader(path);
    fromFile.failed = ReadDataLines(fromFile.model, reader, [&](long p) { fromFile.progress.push_back(p); });
    ExpectSame(Read(mixed, kLines, false), fromFile, "file");
    EXPECT_EQ(fromFile.failed, 0);
    EXPECT_EQ(fromFile.progress.size(), 100u);
    EXPECT_EQ(fromFile.model.arrAnalogSamples(2, kLines), 0.001 * ((kLines * 7919) % 65535 - 32767) + 1.25);
}

}  // namespace
}  // namespace sevrana
