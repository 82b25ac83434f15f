// The data stage on every core against the same stage line by line: samples,
// raw extremes, peaks, the progress reported and the failing line must be the
// same to the bit, wherever in the file a fault sits and whatever the line ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
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

/// A model as the configuration stage leaves it. The sample blocks hold no more columns than
/// a file of fileBytes can fill (as the loader sizes them), so they may be smaller than last.
RecordingModel ModelFor(long last, long nA = kAnalog, long nD = kDigital, std::size_t fileBytes = SIZE_MAX / 2)
{
    RecordingModel m;
    m.varAnalogChannels = static_cast<double>(nA);
    m.intDigitalCount = static_cast<std::int16_t>(nD);
    m.lngLastSample = static_cast<std::int32_t>(last);
    for (auto* a : {&m.arrFactorA, &m.arrFactorB, &m.arrPeakValue}) a->Redim(1, nA);
    for (auto* a : {&m.arrRawMin, &m.arrRawMax}) a->Redim(1, nA);
    const double a[] = {0.5, 0.001, 3}, b[] = {0, 1.25, -7};
    for (long i = 1; i <= nA; ++i) {
        m.arrFactorA(i) = a[(i - 1) % 3];
        m.arrFactorB(i) = b[(i - 1) % 3];
    }
    const long columns = static_cast<long>(std::min<std::size_t>(last, (fileBytes + 1) / (2 * (nA + nD) + 3))) + 1;
    if (nA > 0) m.arrAnalogSamples.Redim(nA, columns);
    if (nD > 0) m.arrDigitalSamples.Redim(nD, columns);
    return m;
}

struct Outcome {
    long failed = 0;
    std::vector<long> progress;
    RecordingModel model;
};

constexpr DataSplit kLineByLine{1};

Outcome Read(const std::string& text, RecordingModel model, const DataSplit& split)
{
    Outcome o{0, {}, std::move(model)};
    LineReader reader = LineReader::FromMemory(text);
    o.failed = ReadDataLines(
        o.model, reader, [&](long percent) { o.progress.push_back(percent); }, split);
    return o;
}

Outcome Read(const std::string& text, long last, bool parallel)
{
    return Read(text, ModelFor(last), parallel ? DataSplit{} : kLineByLine);
}

void ExpectSame(const Outcome& seq, const Outcome& par, const std::string& what)
{
    EXPECT_EQ(par.failed, seq.failed) << what;
    EXPECT_EQ(par.progress, seq.progress) << what;
    const auto sameBytes = [](const auto& a, const auto& b) { return std::memcmp(a.data(), b.data(), b.bytes()) == 0; };
    EXPECT_TRUE(sameBytes(par.model.arrAnalogSamples, seq.model.arrAnalogSamples)) << what;
    EXPECT_TRUE(sameBytes(par.model.arrDigitalSamples, seq.model.arrDigitalSamples)) << what;
    for (long i = 1; i <= seq.model.AnalogCount(); ++i) {
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
    // Each part's fault in turn: a digital overflow, a raw value too large, a wrong sample number, an empty field
    // after good ones, or the file ends there.
    const std::string kinds[] = {",0,5,6,7,0,2147483648", ",0,5,9e99,7,0,1", ",0,5,6,7,0,1", ",0,-40000,6,,0,1", ""};
    for (long k = 1; k < 16; ++k) {
        const long n = kLines / 16 * k + k;
        const std::string& kind = kinds[k % 5];
        faults.push_back({n, kind.empty() ? "" : std::to_string(k % 5 == 2 ? n + 1 : n) + kind});
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

/// Part sizes from one byte up and thread counts beyond the cores: every boundary of a
/// small file is crossed somewhere.
std::vector<DataSplit> TinySplits()
{
    std::vector<DataSplit> splits;
    for (const std::uint64_t bytes : {1, 2, 3, 5, 8, 13, 40, 97, 1000})
        for (const unsigned threads : {2u, 3u, 5u}) splits.push_back(DataSplit{threads, 0, bytes});
    return splits;
}

/// The file read line by line, then on every tiny split; all of them must agree.
Outcome ExpectSameOnEverySplit(const std::string& text, long last, long nA, long nD, const std::string& what)
{
    Outcome seq = Read(text, ModelFor(last, nA, nD, text.size()), kLineByLine);
    for (const DataSplit& split : TinySplits())
        ExpectSame(seq, Read(text, ModelFor(last, nA, nD, text.size()), split),
                   what + ", parts of " + std::to_string(split.partBytes) + " bytes on " +
                       std::to_string(split.threads) + " threads");
    return seq;
}

TEST(DataStage, AFileCutShortInABlockSizedForItFailsAtTheSameLineWithoutWritingPastTheBlock)
{
    // The blocks hold the columns the file can fill, far fewer than the lines after the
    // failure (empty ones, or the empty lines that CR CR LF makes).
    std::string digitalLine;
    for (int i = 0; i < 64; ++i) digitalLine += i % 3 == 0 ? ",1" : ",0";
    std::string cutShort;
    for (long n = 1; n <= 400; ++n) cutShort += std::to_string(n) + ",0" + digitalLine + "\r\r\n";
    cutShort.resize(cutShort.size() - 50);
    const struct {
        const char* what;
        std::string text;
        long nA, nD;
    } cases[] = {
        {"one analog line, then empty lines", "1,0,5" + std::string(20000, '\n'), 1, 0},
        {"64 digital channels, CR CR LF, cut short", cutShort, 0, 64},
    };
    for (const auto& c : cases) {
        // Memory mapped just before the blocks lies just past them: it must stay as it is.
        SampleMatrix<double> neighbour;
        neighbour.Redim(1, 1 << 16);
        std::fill(neighbour.data(), neighbour.data() + (1 << 16), 1.0);
        EXPECT_EQ(ExpectSameOnEverySplit(c.text, 10000000, c.nA, c.nD, c.what).failed, 2) << c.what;
        EXPECT_TRUE(std::all_of(neighbour.data(), neighbour.data() + (1 << 16), [](double v) { return v == 1.0; }))
            << c.what;
    }
}

TEST(DataStage, AnUnterminatedLastLineLongerThanAPartIsCounted)
{
    std::string text;
    for (long n = 1; n <= 14; ++n) {
        text += std::to_string(n) + ",0";
        for (int i = 0; i < 40; ++i) text += ",  " + std::to_string((n * 31 + i) % 2000 - 1000);
        if (n < 14) text += "\n";
    }
    EXPECT_EQ(ExpectSameOnEverySplit(text, 14, 40, 0, "no final line end").failed, 0);
}

/// A random data file: mostly good lines with their sample numbers written in every
/// accepted way, now and then a hostile one. firstBad: the first line that must fail, as
/// the reader numbers them (CR CR LF ends a line and an empty one); lines: their count.
std::string RandomFile(std::mt19937& rng, long generated, long& firstBad, long& lines)
{
    const std::string ends[] = {"\n", "\r", "\r\n", "\r\r\n"};
    auto pick = [&](long n) { return static_cast<long>(rng() % static_cast<unsigned>(n)); };
    const bool oneEnd = pick(2) == 0;
    const std::string& end = ends[pick(4)];
    std::string text = pick(8) == 0 ? "\xEF\xBB\xBF" : "", previousEnd;
    firstBad = lines = 0;
    auto add = [&](std::string content, bool good, const std::string& lineEnd) {
        if (content.empty() && previousEnd == "\r" && lineEnd == "\n") content = " ";  // not one CR LF
        text += content + lineEnd;
        previousEnd = lineEnd;
        for (const bool lineGood : {good, false}) {  // CR CR LF: then an empty line
            ++lines;
            if (!lineGood && firstBad == 0) firstBad = lines;
            if (lineEnd != "\r\r\n") break;
        }
    };
    for (long k = 0; k < generated; ++k) {
        const std::string n = std::to_string(lines + 1);
        const std::string& lineEnd = oneEnd ? end : ends[pick(4)];
        if (pick(40) == 0) {
            // The last three follow the sample number.
            const std::string hostile[] = {
                "", " ", ",", "1,2", "x,0,1,2,3,0,1", ",,,,,,", ",0,1,2,3,0,1,9", ",0,1e400,2,3,0,1", ".5,0,1,2,3,0,1"};
            const long h = pick(9);
            add(h < 6 ? hostile[h] : n + hostile[h], false, lineEnd);
            continue;
        }
        const std::string number[] = {n, "00" + n, "  " + n, n + ".0", n + "A"};
        std::string line = number[pick(5)] + "," + std::to_string(pick(100000));
        for (long i = 0; i < kAnalog; ++i) line += "," + std::to_string(pick(70000) - 35000) + (pick(4) ? "" : ".25");
        for (long i = 0; i < kDigital; ++i) line += pick(10) ? (pick(2) ? ",1" : ",0") : ", 2 ";
        add(line, true, lineEnd);
    }
    if (pick(2) == 0 && lines > 0) text.pop_back();  // no final line end, or half of a CR LF
    return text;
}

TEST(DataStage, RandomAndHostileFilesReadAlikeOnEverySplit)
{
    std::mt19937 rng(20261207);
    long loaded = 0, failed = 0;
    for (int round = 0; round < 120; ++round) {
        long firstBad, lines;
        const std::string text = RandomFile(rng, static_cast<long>(rng() % 40), firstBad, lines);
        const long last = std::max(0L, lines + static_cast<long>(rng() % 7) - 3);  // fewer or more than the file
        const std::string what = "round " + std::to_string(round);
        const Outcome seq = ExpectSameOnEverySplit(text, last, kAnalog, kDigital, what);
        EXPECT_EQ(seq.failed, firstBad != 0 && firstBad <= last ? firstBad : last > lines ? lines + 1 : 0) << what;
        (seq.failed == 0 ? loaded : failed) += 1;
    }
    // Both kinds of outcome were compared, not only failures at line 1.
    EXPECT_GT(loaded, 15);
    EXPECT_GT(failed, 15);
}

}  // namespace
}  // namespace sevrana
