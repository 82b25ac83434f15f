// The reader against the converter and the 1991 loader: a recording read straight into the
// model must give the model the loader fills from the converter's copy, but for the gaps.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "Convert.h"
#include "Loader.h"
#include "NewRecording.h"
#include "Reader.h"
#include "RecordingFiles.h"
#include "SameModel.h"
#include "TempDir.h"
#include "TextDecoder.h"

namespace sevrana::formats {
namespace {

using testing::ModelDifference;
using testing::NewRecording;
using testing::TempDir;

struct Quiet : LoadObserver {
    std::vector<std::string> messages;
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

class ReaderTest : public ::testing::Test {
protected:
    ReadResult Read(const std::string& input, std::optional<double> rate = {}, Quantity quantity = Quantity::AsRecorded,
                    const Progress& progress = {})
    {
        ReadOptions options;
        options.input = input;
        options.rate = rate;
        options.quantity = quantity;
        model = {};
        return ReadRecording(options, model, progress);
    }

    /// The converter's copy loaded by the 1991 loader; its error when either refuses.
    std::string ConvertAndLoad(const std::string& input, std::optional<double> rate = {},
                               Quantity quantity = Quantity::AsRecorded)
    {
        ConvertOptions options;
        options.input = input;
        options.output = dir / "out/OUT.cfg";
        options.rate = rate;
        options.quantity = quantity;
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directories(dir / "out");
        const ConvertResult converted = ConvertRecording(options);
        if (!converted.ok) return converted.error;
        loaded = {};
        loaded.varConfigFile = options.output;
        loaded.strDataFile = ResolveDataFile(options.output);
        LineReader cfg(loaded.varConfigFile);
        LineReader dat(loaded.strDataFile);
        Quiet quiet;
        // The copy is UTF-8, as the converter writes it.
        if (LoadRecording(loaded, cfg, dat, quiet, {}, FindCodePage("UTF-8")) != LoadOutcome::Loaded)
            return "loader: " + (quiet.messages.empty() ? std::string("refused") : quiet.messages.front());
        return {};
    }

    /// Reads r both ways and expects the same model.
    void ExpectSameAsLoaded(const NewRecording& r, std::optional<double> rate = {},
                            Quantity quantity = Quantity::AsRecorded)
    {
        const std::string input = r.Write(dir, "IN");
        ASSERT_EQ(ConvertAndLoad(input, rate, quantity), "");
        const ReadResult result = Read(input, rate, quantity);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.samples, loaded.lngLastSample);
        EXPECT_EQ(ModelDifference(model, loaded, r.type == "FLOAT32"), "");
    }

    TempDir dir;
    RecordingModel model, loaded;
};

TEST_F(ReaderTest, EveryTypeAndLayoutReadsAsTheLoaderLoadsTheCopy)
{
    for (const int revision : {1999, 2013}) {
        for (const char* type : {"ASCII", "BINARY", "BINARY32", "FLOAT32"}) {
            for (const bool combined : {false, true}) {
                SCOPED_TRACE(std::to_string(revision) + " " + type + (combined ? " combined" : ""));
                NewRecording r;
                r.revision = revision;
                r.type = type;
                r.combined = combined && revision == 2013;
                r.info = "Trip on Z1";
                r.Fill(300);
                if (r.type == "ASCII" || r.type == "FLOAT32")
                    for (std::size_t n = 0; n < r.values.size(); ++n)
                        r.values[n][0] += 0.1 * static_cast<double>(n % 7);
                ExpectSameAsLoaded(r);
                EXPECT_EQ(std::tuple(model.strReadAs, model.varConfigFile, model.strRecordInfo),
                          std::tuple("IEEE C37.111-" + std::to_string(revision) + " " + type,
                                     dir / (r.combined ? "IN.cff" : "IN.cfg"), "Trip on Z1"));
                EXPECT_EQ(model.strDataFile, dir / (r.combined ? "IN.cff" : "IN.dat"));
            }
        }
    }
}

TEST_F(ReaderTest, AnOlderRecordingReadsAsTheLoaderLoadsItself)
{
    const std::string example = std::string(SEVRANA_SOURCE_DIR) + "/examples/feeder_fault.cfg";
    const ReadResult result = Read(example);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(std::tuple(result.ReadAs(), result.warnings),
              std::tuple("IEEE C37.111-1991 ASCII", std::vector<std::string>{}));
    loaded.varConfigFile = example;
    loaded.strDataFile = ResolveDataFile(example);
    LineReader cfg(loaded.varConfigFile);
    LineReader dat(loaded.strDataFile);
    Quiet quiet;
    ASSERT_EQ(LoadRecording(loaded, cfg, dat, quiet), LoadOutcome::Loaded);
    EXPECT_EQ(ModelDifference(model, loaded, false), "");
    EXPECT_EQ(std::tuple(model.strRecordInfo, model.strEncoding), std::tuple(loaded.strRecordInfo, loaded.strEncoding));
}

TEST_F(ReaderTest, GeneratedRecordingsReadAsTheLoaderLoadsTheCopy)
{
    const char* const types[] = {"ASCII", "BINARY", "BINARY32", "FLOAT32"};
    const char* const factorsA[] = {"0.5", "1", "0.001", "2.5e-3", "-1.25"};
    const char* const factorsB[] = {"0", "-2", "1.5"};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        NewRecording r;
        r.revision = pick(2) == 0 ? 1999 : 2013;
        r.type = types[pick(4)];
        r.combined = r.revision == 2013 && pick(2) == 0;
        r.analog.resize(static_cast<std::size_t>(pick(5)), r.analog[0]);
        for (auto& c : r.analog) {
            c.a = factorsA[pick(5)];
            c.b = factorsB[pick(3)];
        }
        r.digital.assign(static_cast<std::size_t>(pick(20)), "D");
        const long samples = 1 + pick(300);
        r.Fill(samples);
        for (auto& values : r.values) {
            for (double& v : values) {
                if (r.type == "BINARY32") v = static_cast<double>(static_cast<std::int32_t>(random()) / 2);
                if (r.type == "FLOAT32") v = static_cast<double>(static_cast<float>(v * 0.37));
                if (r.type == "ASCII") v = (v + pick(1000) / 1000.0) * 10;
                if (pick(50) == 0) v = NAN;
            }
        }
        for (auto& states : r.states)
            for (int& state : states) state = pick(2);
        std::optional<double> rate;
        switch (pick(4)) {
        case 0:  // time stamps only, evenly spaced
            r.rates = {{"0", samples}};
            for (long n = 0; n < samples; ++n) r.stamps[static_cast<std::size_t>(n)] = 250.0 * static_cast<double>(n);
            break;
        case 1:  // two sections at two rates, resampled
            r.rates = {{"1000", samples / 2}, {"3000", samples}};
            rate = 1000 + 500 * pick(6);
            break;
        case 2:  // resampled from its one rate
            rate = 500 + 250 * pick(8);
            break;
        default:
            break;
        }
        ExpectSameAsLoaded(r, rate);
    }
}

TEST_F(ReaderTest, MissingValuesAreGapsThatTakeNoPartInPeaksOrExtremes)
{
    for (const char* type : {"ASCII", "BINARY", "BINARY32", "FLOAT32"}) {
        SCOPED_TRACE(type);
        NewRecording r;
        r.type = type;
        r.analog[0].a = "1";
        r.analog[0].b = "-100";
        r.info = "Gaps";
        for (std::size_t n = 0; n < 8; ++n) r.values[n][0] = 150 + static_cast<double>(n);
        r.values[2][0] = NAN;
        r.values[5][1] = NAN;
        // The older way of marking a missing value in text.
        if (r.type == "ASCII") r.values[7][0] = 99999;
        const ReadResult result = Read(r.Write(dir, std::string("IN") + type));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.missingValues, r.type == "ASCII" ? 3 : 2);
        EXPECT_TRUE(std::isnan(model.arrAnalogSamples(1, 3)));
        EXPECT_TRUE(std::isnan(model.arrAnalogSamples(2, 6)));
        EXPECT_EQ(model.arrAnalogSamples(1, 4), 53);
        // A gap read as 0 would make the peak 100 (|-100|) and the minimum stays 0 from the start.
        const double last = r.type == "ASCII" ? 156 : 157;
        EXPECT_EQ(std::tuple(model.arrPeakValue(1), model.arrRawMin(1), model.arrRawMax(1)),
                  std::tuple(last - 100, 0.0, last));
        EXPECT_EQ(std::isnan(model.arrAnalogSamples(1, 8)), r.type == "ASCII");
    }
}

TEST_F(ReaderTest, SeveralRatesAskForOneAndAreResampledOntoIt)
{
    NewRecording r;
    r.rates = {{"1000", 6}, {"4000", 8}};
    r.info = "Trip on Z1";
    const std::string in = r.Write(dir, "IN");
    const ReadResult result = Read(in);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "'" + in +
                                "' line 11: the recording has sampling rates of 1000 Hz and 4000 Hz, and the viewer "
                                "holds one: give a rate to resample onto");
    ASSERT_TRUE(result.needsRate);
    // 5 ms at 1 kHz, then 2 samples at 4 kHz: 5.5 ms; most samples are 1 ms apart.
    const RateQuestion& q = *result.needsRate;
    EXPECT_EQ(std::tuple(q.ratesFound, q.highest, q.samplesAtHighest, q.medianSpacing, q.samplesAtMedian),
              std::tuple(std::vector<double>{1000, 4000}, 4000.0, std::int64_t{23}, 1000.0, std::int64_t{6}));
    EXPECT_EQ(std::tuple(model.arrAnalogSamples.Columns(), model.lngLastSample), std::tuple(0L, 0));

    r.rates = {{"1000", 4}, {"4000", 6}, {"1000", 7}, {"2000", 8}};
    EXPECT_EQ(Read(r.Write(dir, "IN")).error,
              "'" + in +
                  "' line 11: the recording has sampling rates of 1000 Hz, 4000 Hz "
                  "and 2000 Hz, and the viewer holds one: give a rate to resample onto");
    r.rates = {{"1000", 6}, {"4000", 8}};
    ExpectSameAsLoaded(r, 4000);
    EXPECT_EQ(std::tuple(model.lngSampleRate, model.lngLastSample, model.strRecordInfo),
              std::tuple(4000, 23, "Trip on Z1 (resampled to 4000 Hz)"));
    ExpectSameAsLoaded(r, 2000, Quantity::Secondary);
}

TEST_F(ReaderTest, TimeStampsGiveTheRateOrAskForOne)
{
    NewRecording r;
    r.rates = {{"0", 8}};
    for (std::size_t n = 0; n < 8; ++n) r.stamps[n] = 250.0 * static_cast<double>(n);
    ExpectSameAsLoaded(r);
    EXPECT_EQ(model.lngSampleRate, 4000);

    r.stamps[6] += 10;
    const std::string in = r.Write(dir, "IN");
    const ReadResult result = Read(in);
    EXPECT_EQ(result.error, "'" + (dir / "IN.dat") +
                                "': the configuration gives no sampling rate and the time stamps are not evenly "
                                "spaced (sample 7): give a rate to resample onto");
    ASSERT_TRUE(result.needsRate);
    const RateQuestion& q = *result.needsRate;
    EXPECT_EQ(std::tuple(q.ratesFound, q.highest, q.samplesAtHighest, q.medianSpacing, q.samplesAtMedian),
              std::tuple(std::vector<double>{}, 0.0, std::int64_t{0}, 4000.0, std::int64_t{8}));
    ExpectSameAsLoaded(r, 4000);
    ExpectSameAsLoaded(r, 3000);

    // A short record: 300 and 400 us apart; the first stamp is no spacing (taken for one, the median would be
    // 300 us, 3333 Hz).
    r.Fill(3);
    r.rates = {{"0", 3}};
    r.stamps = {100, 400, 800};
    const ReadResult few = Read(r.Write(dir, "IN"));
    ASSERT_TRUE(few.needsRate);
    EXPECT_EQ(std::tuple(few.needsRate->medianSpacing, few.needsRate->samplesAtMedian),
              std::tuple(2500.0, std::int64_t{2}));
}

TEST_F(ReaderTest, ProgressIsToldAndCancels)
{
    NewRecording r;
    r.type = "BINARY";
    r.Fill(50000);
    const std::string in = r.Write(dir, "IN");
    std::vector<std::uint64_t> done;
    ReadResult result = Read(in, {}, Quantity::AsRecorded, [&](std::uint64_t now, std::uint64_t total) {
        EXPECT_EQ(total, 50000u * 14);
        done.push_back(now);
        return true;
    });
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_GT(done.size(), 2u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), 50000u * 14);
    result = Read(in, {}, Quantity::AsRecorded, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_EQ(result.error, "'" + in + "': the reading was cancelled");
    EXPECT_EQ(std::tuple(result.ok, result.samples, model.arrAnalogSamples.Columns()), std::tuple(false, 0, 0L));
}

TEST_F(ReaderTest, WhatTheModelCannotHoldIsToldNotChanged)
{
    NewRecording r;
    std::string in = r.Write(dir, "IN");
    // The line frequency only labels the recording.
    std::string cfg = r.Config();
    cfg.replace(cfg.find("\r\n50\r\n"), 6, "\r\n59.94\r\n");
    dir.Write("IN.cfg", cfg);
    ReadResult result = Read(in);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(model.intLineFrequency, 60);
    EXPECT_EQ(result.warnings,
              std::vector<std::string>{"The line frequency 59.94 Hz is not a whole number: shown as 60 Hz."});

    r.rates = {{"3000000000", 8}};
    in = r.Write(dir, "IN");
    result = Read(in);
    EXPECT_EQ(result.error, "'" + in +
                                "' line 10: the sampling rate 3000000000 Hz is above the 2147483647 samples per "
                                "second the viewer holds: give a rate to resample onto");
    EXPECT_TRUE(result.needsRate);
}

// Fault: 1 analog and 32,768 digital channels were "converted", and the loader refused the copy.
TEST_F(ReaderTest, MoreDigitalChannelsThanTheModelCountsAreRefused)
{
    NewRecording r;
    r.analog.resize(1);
    r.digital.assign(32768, "D");
    r.Fill(2);
    const std::string in = r.Write(dir, "IN");
    const std::string said = "'" + in + "': 32768 digital channels, more than the 32767 the viewer holds";
    EXPECT_EQ(ConvertAndLoad(in), said);
    EXPECT_EQ(Read(in).error, said);
    r.digital.resize(32767);
    r.Fill(2);
    ExpectSameAsLoaded(r);
}

// Fault: a resampling that makes more samples than the model counts grew without bound.
TEST_F(ReaderTest, AResamplingBeyondTheSampleLimitIsRefusedBeforeWriting)
{
    NewRecording r;
    r.rates = {{"1e-300", 2}, {"1000", 8}};
    std::string in = r.Write(dir, "IN");
    const std::string tooMany = "'" + in +
                                "': resampled at 1000 Hz the recording would have 9.999999999999998e+302 samples, "
                                "more than the 2147483647 samples the viewer holds";
    EXPECT_EQ(ConvertAndLoad(in, 1000), tooMany);
    EXPECT_EQ(Read(in, 1000).error, tooMany);

    r.Fill(2);
    r.rates = {{"0", 2}};
    r.stamps = {0, 4294967294};
    r.type = "BINARY";
    in = r.Write(dir, "IN");
    const std::string said = "'" + in +
                             "': resampled at 1000000 Hz the recording would have 4294967295 samples, more than the "
                             "2147483647 samples the viewer holds";
    EXPECT_EQ(ConvertAndLoad(in, 1e6), said);
    EXPECT_EQ(Read(in, 1e6).error, said);

    // The most samples the model holds pass the limit (converted only: read, they would fill gigabytes); here
    // the data then end early.
    r.type = "ASCII";
    r.Fill(2);
    r.rates = {{"1000", 2147483647}};
    in = r.Write(dir, "IN");
    EXPECT_EQ(ConvertAndLoad(in),
              "'" + (dir / "IN.dat") + "': expected 2147483647 samples, found 2: the data end at line 3");
}

// Fault: a data line longer than 128 KiB was cut, and its fields miscounted.
TEST_F(ReaderTest, DataLinesOfAnyLengthAreReadWhole)
{
    NewRecording r;
    r.analog.assign(20000, r.analog[0]);
    r.Fill(5);
    // Eighths make each value some 9 characters: lines of about 180 KB.
    for (auto& values : r.values)
        for (double& v : values) v += 0.125;
    ExpectSameAsLoaded(r);
    EXPECT_EQ(model.arrAnalogSamples(20000, 5), 0.5 * r.values[4][19999] - 2);
}

// Fault: stamps 3000, 2000, 1000, 0 resampled at 1 kHz made 1 sample.
TEST_F(ReaderTest, TimeStampsThatGoBackwardsAreRefused)
{
    NewRecording r;
    r.Fill(4);
    r.rates = {{"0", 4}};
    r.stamps = {3000, 2000, 1000, 0};
    const std::string in = r.Write(dir, "IN");
    const std::string said = "'" + (dir / "IN.dat") +
                             "': sample 2 has the time stamp 2000 microseconds, earlier than the sample before it "
                             "(3000 microseconds): time stamps must not go backwards";
    for (const std::optional<double> rate : {std::optional<double>(), std::optional<double>(1000)}) {
        EXPECT_EQ(ConvertAndLoad(in, rate), said);
        EXPECT_EQ(Read(in, rate).error, said);
    }
}

}  // namespace
}  // namespace sevrana::formats
