// The converter end to end: recordings of the newer revisions written from known
// values, converted, and read back with the viewer's own loader.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ChannelSetup.h"
#include "Convert.h"
#include "Encode.h"
#include "Loader.h"
#include "NewRecording.h"
#include "RecordingFiles.h"
#include "TempDir.h"
#include "TextDecoder.h"

namespace sevrana::formats {
namespace {

using testing::Encode;
using testing::NewRecording;
using testing::TempDir;

struct Captured : LoadObserver {
    std::vector<std::string> messages;
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ConvertTest : public ::testing::Test {
protected:
    ConvertTest() { std::filesystem::create_directories(dir / "out"); }

    ConvertResult Convert(const std::string& input, std::optional<double> rate = {},
                          Quantity quantity = Quantity::AsRecorded)
    {
        ConvertOptions options = Options(input);
        options.rate = rate;
        options.quantity = quantity;
        return ConvertRecording(options);
    }

    ConvertOptions Options(const std::string& input) const
    {
        ConvertOptions options;
        options.input = input;
        options.output = out;
        return options;
    }

    /// Loads the recording at path into the model as the viewer does.
    LoadOutcome LoadFile(const std::string& path, Captured& seen)
    {
        model = {};
        model.varConfigFile = path;
        model.strDataFile = ResolveDataFile(path);
        LineReader cfg(model.varConfigFile);
        LineReader dat(model.strDataFile);
        return LoadRecording(model, cfg, dat, seen);
    }

    /// Loads the converted recording as the viewer does; true when it loads without a word.
    bool Load()
    {
        Captured seen;
        const LoadOutcome outcome = LoadFile(out, seen);
        EXPECT_EQ(seen.messages, std::vector<std::string>{});
        return outcome == LoadOutcome::Loaded && seen.messages.empty();
    }

    /// Every value of the converted recording is a * raw + b of the source's raw value, every state as written.
    void ExpectValues(const NewRecording& r)
    {
        ASSERT_EQ(model.lngLastSample, static_cast<long>(r.values.size()));
        for (std::size_t n = 0; n < r.values.size(); ++n) {
            for (std::size_t i = 0; i < r.analog.size(); ++i) {
                const double raw = std::isnan(r.values[n][i]) ? 0 : r.values[n][i];
                const double a = std::stod(r.analog[i].a), b = std::stod(r.analog[i].b);
                EXPECT_EQ(model.arrAnalogSamples(i + 1, n + 1), a * raw + b)
                    << "sample " << n + 1 << " channel " << i + 1;
            }
            for (std::size_t i = 0; i < r.digital.size(); ++i)
                EXPECT_EQ(model.arrDigitalSamples(i + 1, n + 1), r.states[n][i]) << "sample " << n + 1;
        }
    }

    std::vector<std::string> OutputFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "out"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    const std::string out = dir / "out/OUT.cfg";
    RecordingModel model;
};

TEST_F(ConvertTest, EveryTypeAndLayoutRoundTrips)
{
    struct Case {
        int revision;
        const char* type;
        bool combined;
        const char* info;
        const char* loadedInfo;
    };
    const Case cases[] = {
        {1999, "ASCII", false, "", "Converted from IEEE C37.111-1999 ASCII"},
        {1999, "BINARY", false, "Trip on Z1", "Trip on Z1"},
        {2013, "ASCII", false, "Zone 2 start", "Zone 2 start"},
        {2013, "BINARY", false, "", "Converted from IEEE C37.111-2013 BINARY"},
        {2013, "BINARY32", false, "", "Converted from IEEE C37.111-2013 BINARY32"},
        {2013, "FLOAT32", false, "Ground fault", "Ground fault"},
        {2013, "ASCII", true, "", "Converted from IEEE C37.111-2013 ASCII"},
        {2013, "BINARY", true, "Trip on Z1", "Trip on Z1"},
        {2013, "BINARY32", true, "Trip on Z1", "Trip on Z1"},
        {2013, "FLOAT32", true, "", "Converted from IEEE C37.111-2013 FLOAT32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.revision) + " " + c.type + (c.combined ? " combined" : ""));
        NewRecording r;
        r.revision = c.revision;
        r.type = c.type;
        r.combined = c.combined;
        r.info = c.info;
        r.header = "Fault on feeder 1\r\nrelay REL-670";
        r.station = "Kallio ÄÖ";
        r.analog[0].id = "IA µ";
        // Fractions where the type holds them: quarters exactly, and a decimal that binary cannot hold.
        if (r.type == "ASCII" || r.type == "FLOAT32")
            for (std::size_t n = 0; n < r.values.size(); ++n) r.values[n][0] += 0.25 * static_cast<double>(n % 4);
        if (r.type == "ASCII") r.values[5][1] = 0.1;
        const ConvertResult result = Convert(r.Write(dir, "IN" + std::to_string(&c - cases)));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(std::tuple(result.revision, result.dataType, result.combined, result.samples, result.missingValues),
                  std::tuple(c.revision, std::string(c.type), c.combined, std::int64_t{8}, std::int64_t{0}));
        EXPECT_EQ(result.warnings, std::vector<std::string>{});
        ASSERT_TRUE(Load());
        EXPECT_EQ(std::tuple(model.varStationName, model.varDeviceId, model.strRecordInfo),
                  std::tuple("Kallio ÄÖ", "REL-670", c.loadedInfo));
        EXPECT_EQ(std::tuple(model.arrAnalogNames(1), model.arrAnalogNames(2), model.arrAnalogUnits(1),
                             model.arrAnalogUnits(2)),
                  std::tuple("IA µ", "UB", "A", "kV"));
        EXPECT_EQ(std::tuple(model.arrDigitalNames(1), model.arrDigitalNames(2), model.arrDigitalNames(3)),
                  std::tuple("TRIP", "CB OPEN", "AR"));
        EXPECT_EQ(std::tuple(model.lngSampleRate, model.varStartStamp, model.strTriggerStamp, model.intLineFrequency),
                  std::tuple(1000, "03/15/21,10:20:30.123456", "03/15/21,10:20:30.126456", 50));
        ASSERT_EQ(ComputeTriggerPoint(model), TriggerResult::InRecord);
        EXPECT_EQ(model.lngTriggerSample, 4);
        ExpectValues(r);
        // A header section ends with its last line end; a header file is copied as it is.
        EXPECT_EQ(ReadFile(dir / "out/OUT.HDR"), r.header + (c.combined ? "\r\n" : ""));
        std::filesystem::remove(dir / "out/OUT.HDR");
        EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"OUT.INF", "OUT.cfg", "OUT.dat"}));
    }
}

TEST_F(ConvertTest, AnOlderRecordingLoadsAsItDidBeforeConversion)
{
    const std::string example = std::string(SEVRANA_SOURCE_DIR) + "/examples/feeder_fault.cfg";
    const ConvertResult result = Convert(example);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(std::tuple(result.revision, result.dataType), std::tuple(1991, "ASCII"));
    ASSERT_TRUE(Load());
    const RecordingModel converted = std::move(model);
    Captured seen;
    ASSERT_EQ(LoadFile(example, seen), LoadOutcome::Loaded);
    EXPECT_EQ(std::tuple(converted.varStationName, converted.strRecordInfo, converted.lngSampleRate,
                         converted.lngLastSample, converted.varStartStamp, converted.strTriggerStamp),
              std::tuple(model.varStationName, model.strRecordInfo, model.lngSampleRate, model.lngLastSample,
                         model.varStartStamp, model.strTriggerStamp));
    for (long i = 1; i <= model.AnalogCount(); ++i) {
        EXPECT_EQ(std::tuple(converted.arrAnalogNames(i), converted.arrAnalogUnits(i), converted.arrFactorA(i),
                             converted.arrFactorB(i), converted.arrFullScale(i)),
                  std::tuple(model.arrAnalogNames(i), model.arrAnalogUnits(i), model.arrFactorA(i), model.arrFactorB(i),
                             model.arrFullScale(i)));
        for (long n = 1; n <= model.lngLastSample; ++n)
            ASSERT_EQ(converted.arrAnalogSamples(i, n), model.arrAnalogSamples(i, n)) << i << " " << n;
    }
    for (long i = 1; i <= model.DigitalCount(); ++i) {
        EXPECT_EQ(converted.arrDigitalNames(i), model.arrDigitalNames(i));
        for (long n = 1; n <= model.lngLastSample; ++n)
            ASSERT_EQ(converted.arrDigitalSamples(i, n), model.arrDigitalSamples(i, n)) << i << " " << n;
    }
}

TEST_F(ConvertTest, ValuesAndTimesAreWrittenAsRead)
{
    // Single values in the shortest text that reads back to the same float; stamps times the multiplier.
    NewRecording r;
    r.type = "FLOAT32";
    r.timeMultiplier = "0.5";
    r.Fill(2);
    r.values = {{0.1, 1e6}, {16777216, -2.5e-7}};
    r.states = {{0, 1, 0}, {0, 0, 1}};
    r.stamps = {20, 2000};
    r.header = "As written\n";
    const ConvertResult result = Convert(r.Write(dir, "IN"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(ReadFile(dir / "out/OUT.dat"), "1,10,0.1,1e+06,0,1,0\r\n2,1000,16777216,-2.5e-07,0,0,1\r\n");
    EXPECT_EQ(ReadFile(dir / "out/OUT.cfg"),
              "Kallio,REL-670,1991\r\n5,2A,3D\r\n1,IA,A,Feeder 1,A,0.5,-2,0,-32767,32767\r\n"
              "2,UB,B,,kV,0.25,1.5,0,-32767,32767\r\n1,TRIP,0\r\n2,CB OPEN,1\r\n3,AR,0\r\n50\r\n1\r\n1000,2\r\n"
              "03/15/21,10:20:30.123456\r\n03/15/21,10:20:30.126456\r\nASCII\r\n");
    EXPECT_EQ(ReadFile(dir / "out/OUT.INF"),
              "[Public Record_Information]\r\nRecord_Information=Converted from IEEE C37.111-2013 FLOAT32\r\n");
    EXPECT_EQ(ReadFile(dir / "out/OUT.HDR"), "As written\n");
}

TEST_F(ConvertTest, MissingValuesAreWrittenAsZeroAndCounted)
{
    // FLOAT32 has no marker of its own, but a value that is no number is no value either.
    for (const char* type : {"ASCII", "BINARY", "BINARY32", "FLOAT32"}) {
        SCOPED_TRACE(type);
        NewRecording r;
        r.type = type;
        r.values[2][0] = NAN;
        r.values[5][1] = NAN;
        // The older way of marking a missing value in text.
        if (r.type == "ASCII") r.values[7][0] = 99999;
        const ConvertResult result = Convert(r.Write(dir, std::string("IN") + type));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.missingValues, r.type == "ASCII" ? 3 : 2);
        ASSERT_TRUE(Load());
        if (r.type == "ASCII") r.values[7][0] = NAN;
        ExpectValues(r);
    }
}

TEST_F(ConvertTest, EqualRatesAreMergedAndTimeStampsGiveTheRate)
{
    struct Case {
        std::vector<std::pair<std::string, long>> rates;
        const char* multiplier;
        double spacing;
        long loadedRate;
    };
    const Case cases[] = {
        {{{"1000", 3}, {"1000", 8}}, "1", 1000, 1000},
        {{{"0", 8}}, "1", 250, 4000},
        {{{"0", 8}}, "2", 250, 2000},
        {{{"0", 8}}, "0.5", 250, 8000},
        // A rate of 3 kHz gives stamps rounded to whole microseconds: still evenly spaced.
        {{{"0", 8}}, "1", 1000.0 / 3, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loadedRate);
        NewRecording r;
        r.rates = c.rates;
        r.timeMultiplier = c.multiplier;
        for (std::size_t n = 0; n < r.stamps.size(); ++n) r.stamps[n] = std::round(static_cast<double>(n) * c.spacing);
        const ConvertResult result = Convert(r.Write(dir, "IN"));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_FALSE(result.resampled);
        ASSERT_TRUE(Load());
        EXPECT_EQ(model.lngSampleRate, c.loadedRate);
        ExpectValues(r);
    }
}

TEST_F(ConvertTest, RatesTheLayoutCannotHoldAreRefusedUnlessResampled)
{
    NewRecording r;
    r.rates = {{"1000", 4}, {"4000", 8}};
    // Values that grow with time in quarter milliseconds, so interpolated values are known.
    for (long n = 0; n < 8; ++n) {
        r.values[n] = {n < 4 ? 4.0 * n : 12.0 + (n - 3), 100};
        r.states[n] = {n >= 5, n == 2, 1};
    }
    r.info = "Trip on Z1";
    const std::string in = r.Write(dir, "IN");
    ConvertResult result = Convert(in);
    EXPECT_EQ(result.error, "'" + in +
                                "' line 11: the recording has sampling rates of 1000 Hz and 4000 Hz, and the 1991 "
                                "layout holds one: give a rate to resample onto");
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{});

    result = Convert(in, 2000);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.resampled);
    EXPECT_EQ(result.samples, 9);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::tuple(model.lngSampleRate, model.strRecordInfo),
              std::tuple(2000, "Trip on Z1 (resampled to 2000 Hz)"));
    for (long k = 0; k < 9; ++k) {
        // New sample k lies at k / 2 ms, where the source's value is 2k quarter milliseconds.
        EXPECT_EQ(model.arrAnalogSamples(1, k + 1), 0.5 * (2.0 * k) - 2) << k;
        EXPECT_EQ(model.arrAnalogSamples(2, k + 1), 0.25 * 100 + 1.5) << k;
        // The state of the last source sample at or before: sample 5 (3.5 ms) sets the first channel.
        EXPECT_EQ(model.arrDigitalSamples(1, k + 1), k >= 7 ? 1 : 0) << k;
        EXPECT_EQ(model.arrDigitalSamples(2, k + 1), k == 4 || k == 5 ? 1 : 0) << k;
    }

    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) std::filesystem::remove(entry);
    r.rates = {{"1234.5", 8}};
    result = Convert(r.Write(dir, "IN"));
    EXPECT_EQ(result.error, "'" + in +
                                "' line 10: the sampling rate 1234.5 Hz is not a whole number, which the 1991 layout "
                                "needs: give a rate to resample onto");
    r.rates = {{"0", 8}};
    r.stamps[6] += 10;
    result = Convert(r.Write(dir, "IN"));
    EXPECT_EQ(result.error, "'" + (dir / "IN.dat") +
                                "': the configuration gives no sampling rate and the time stamps are not evenly "
                                "spaced (sample 7): give a rate to resample onto");
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{});
    // With a rate, uneven stamps are resampled: sample 7 is at 6.01 ms, so new sample 7 at 6 ms lies between.
    result = Convert(in, 1000);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::tuple(model.lngSampleRate, model.lngLastSample), std::tuple(1000, 8));
    EXPECT_EQ(model.arrAnalogSamples(1, 6), 0.5 * r.values[5][0] - 2);
    EXPECT_EQ(model.arrAnalogSamples(1, 8), 0.5 * r.values[7][0] - 2);
    EXPECT_EQ(model.arrAnalogSamples(1, 7),
              0.5 * (r.values[5][0] + (r.values[6][0] - r.values[5][0]) * (1000.0 / 1010.0)) - 2);
}

TEST_F(ConvertTest, PrimaryAndSecondaryQuantitiesRescaleTheFactors)
{
    NewRecording r;
    r.analog[0].primary = "1000";
    r.analog[0].ps = "S";
    r.analog[1].primary = "20000";
    r.analog[1].secondary = "100";
    const std::string in = r.Write(dir, "IN");
    struct Case {
        Quantity quantity;
        double a1, b1, a2, b2;
    };
    for (const Case& c :
         {Case{Quantity::Primary, 500, -2000, 0.25, 1.5}, Case{Quantity::Secondary, 0.5, -2, 0.00125, 0.0075},
          Case{Quantity::AsRecorded, 0.5, -2, 0.25, 1.5}}) {
        ASSERT_TRUE(Convert(in, {}, c.quantity).ok);
        ASSERT_TRUE(Load());
        EXPECT_DOUBLE_EQ(model.arrFactorA(1), c.a1);
        EXPECT_DOUBLE_EQ(model.arrFactorB(1), c.b1);
        EXPECT_DOUBLE_EQ(model.arrFactorA(2), c.a2);
        EXPECT_DOUBLE_EQ(model.arrFactorB(2), c.b2);
    }
    // A channel that does not say which side its factors give keeps them, and the person is told.
    r.analog[1].ps = "";
    const ConvertResult result = Convert(r.Write(dir, "IN"), {}, Quantity::Primary);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.warnings, std::vector<std::string>{"No primary and secondary values (or no P/S side) for UB: "
                                                        "their values are left as recorded."});
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::tuple(model.arrFactorA(1), model.arrFactorA(2)), std::tuple(500.0, 0.25));
}

TEST_F(ConvertTest, WhatRealRecordersWriteIsRead)
{
    // Each case changes a good recording's files the way some recorder does.
    struct Case {
        const char* what;
        std::function<void(NewRecording&)> change;
        std::function<std::string(std::string)> config;
    };
    const auto replace = [](std::string from, std::string to) {
        return [=](std::string text) { return text.replace(text.find(from), from.size(), to); };
    };
    const auto same = [](std::string text) { return text; };
    const auto firstDataByte = [](char byte) {
        return [=](std::string text) {
            text[text.find_first_not_of("\r\n", text.find(" ---", text.find("DAT BINARY")) + 4)] = byte;
            return text;
        };
    };
    const Case cases[] = {
        {"line feeds only", [](NewRecording& r) { r.eol = "\n"; }, same},
        {"carriage returns only", [](NewRecording& r) { r.eol = "\r"; }, same},
        {"CR CR LF", [](NewRecording& r) { r.eol = "\r\r\n"; }, same},
        {"LF CR", [](NewRecording& r) { r.eol = "\n\r"; }, same},
        {"CR CR LF in one file", [](NewRecording& r) { r.combined = true, r.eol = "\r\r\n"; }, same},
        {"LF CR in one file", [](NewRecording& r) { r.combined = true, r.eol = "\n\r"; }, same},
        {"LF CR in one file of ASCII data",
         [](NewRecording& r) { r.combined = true, r.eol = "\n\r", r.type = "ASCII"; }, same},
        // The first sample number's first byte right after the data section's line end, as if it went on.
        {"line feeds in one file, binary data from a carriage return",
         [](NewRecording& r) { r.combined = true, r.eol = "\n"; }, firstDataByte('\r')},
        {"carriage returns in one file, binary data from a line feed",
         [](NewRecording& r) { r.combined = true, r.eol = "\r"; }, firstDataByte('\n')},
        {"end-of-file bytes", [](NewRecording& r) { r.dataEnd = "\x1a"; }, [](std::string t) { return t + "\x1a"; }},
        {"blanks around fields", [](NewRecording&) {},
         replace("1,IA,A,Feeder 1,A,0.5,-2,", " 1 , IA , A,Feeder 1, A ,0.5 , -2 ,")},
        {"a year 2000 revision", [](NewRecording& r) { r.revision = 1999; }, replace("REL-670,1999", "REL-670,2000")},
        {"no time multiplier", [](NewRecording& r) { r.revision = 1999; }, replace("BINARY\r\n1\r\n", "BINARY\r\n")},
        {"nanoseconds", [](NewRecording&) {}, replace("30.123456", "30.123456789")},
        {"binary bytes like line ends",
         [](NewRecording& r) {
             r.combined = true;
             r.values[0] = {0x0A0D, 0x0D0D};
             r.values[1] = {0x2D2D, 0x0A0A};
         },
         same},
        {"upper-case section lines", [](NewRecording& r) { r.combined = true; },
         [&](std::string t) {
             return replace("file type: DAT BINARY",
                            "FILE TYPE: dat binary")(replace("--- file type: CFG ---", "---  File Type: cfg  ---")(t));
         }},
        {"trailing commas", [](NewRecording&) {},
         [&](std::string t) { return replace(",,,0\r\n", ",,,0,\r\n")(replace("1,1,P\r\n", "1,1,P,,\r\n")(t)); }},
        {"a byte-order mark", [](NewRecording& r) { r.combined = true; },
         [](std::string t) { return "\xEF\xBB\xBF" + t; }},
        {"upper-case extensions", [](NewRecording& r) { r.station = "UPPER"; }, same},
        {"limits that are no numbers", [](NewRecording&) {}, replace("0,-32767,32767,1,1,P", "0,-1e999,max,1,1,P")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewRecording r;
        r.type = "BINARY";
        c.change(r);
        std::filesystem::remove_all(dir.Path());
        std::string in = r.Write(dir, "IN");
        in = r.combined ? dir.Write("IN.cff", c.config(r.Combined())) : dir.Write("IN.cfg", c.config(r.Config()));
        if (r.station == "UPPER") {
            std::filesystem::rename(dir / "IN.dat", dir / "IN.DAT");
            std::filesystem::rename(in, dir / "IN.CFG");
            in = dir / "IN.CFG";
        }
        std::filesystem::create_directories(dir / "out");
        const ConvertResult result = Convert(in);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.revision, r.revision);
        ASSERT_TRUE(Load());
        EXPECT_EQ(model.varStartStamp, "03/15/21,10:20:30.123456");
        ExpectValues(r);
    }
}

TEST_F(ConvertTest, TheRevisionLineOneNamesDecidesTheOrderOfTheDates)
{
    // Channel lines of the newer layout under a 1991 line 1 (or none) still come with 1991 dates, month first; only a
    // month above 12 proves the other order, and the person is told.
    struct Case {
        const char* header;
        const char* date;
        int revision;
        const char* stamp;  // as the viewer shows it: mm/dd/yy
        const char* order;  // of the warnings, when the other order was taken
    };
    const Case cases[] = {
        {"REL-670,1991", "10/12/15", 1991, "10/12/15", nullptr},
        {"REL-670", "10/12/15", 1991, "10/12/15", nullptr},
        {"REL-670,1999", "10/12/2015", 1999, "12/10/15", nullptr},
        {"REL-670,1991", "15/03/2021", 1991, "03/15/21",
         "no month 15 in the order mm/dd/yy that line 1's revision gives: read as dd/mm/yyyy"},
        {"REL-670,2013", "03/15/2021", 2013, "03/15/21",
         "no month 15 in the order dd/mm/yyyy that line 1's revision gives: read as mm/dd/yy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " " + c.date);
        NewRecording r;
        r.revision = 1999;
        r.start = std::string(c.date) + ",10:20:30.123456";
        r.trigger = std::string(c.date) + ",10:20:30.126456";
        r.Write(dir, "IN");
        std::string config = r.Config();
        config.replace(config.find("REL-670,1999"), 12, c.header);
        const ConvertResult result = Convert(dir.Write("IN.cfg", config));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.revision, c.revision);
        std::vector<std::string> warnings;
        if (c.order != nullptr) {
            const std::string where = "'" + (dir / "IN.cfg") + "' line ";
            warnings = {where + "11: the first sample's date " + c.date + " has " + c.order,
                        where + "12: the trigger point's date " + c.date + " has " + c.order};
        }
        EXPECT_EQ(result.warnings, warnings);
        ASSERT_TRUE(Load());
        EXPECT_EQ(std::tuple(model.varStartStamp, model.strTriggerStamp, model.strRecordInfo),
                  std::tuple(std::string(c.stamp) + ",10:20:30.123456", std::string(c.stamp) + ",10:20:30.126456",
                             "Converted from IEEE C37.111-" + std::to_string(c.revision) + " ASCII"));
        ExpectValues(r);
    }
}

TEST_F(ConvertTest, DatesToTheNanosecondCountTheTimeStampsInNanoseconds)
{
    // 1200 samples per second: 833333 ns apart (1666667 units of half a nanosecond), written in whole microseconds;
    // without a rate, the stamps give it.
    struct Case {
        const char* rate;
        const char* multiplier;
        double spacing;  // in stamp units
    };
    for (const Case& c : {Case{"1200", "1", 1e9 / 1200}, Case{"0", "1", 1e9 / 1200}, Case{"0", "0.5", 2e9 / 1200}}) {
        SCOPED_TRACE(std::string(c.rate) + " Hz, multiplier " + c.multiplier);
        NewRecording r;
        r.rates = {{c.rate, 8}};
        r.timeMultiplier = c.multiplier;
        r.start = "15/03/2021,10:20:30.123456789";
        r.trigger = "15/03/2021,10:20:30.126456789";
        for (std::size_t n = 0; n < r.stamps.size(); ++n) r.stamps[n] = std::round(static_cast<double>(n) * c.spacing);
        const ConvertResult result = Convert(r.Write(dir, "IN"));
        ASSERT_TRUE(result.ok) << result.error;
        const std::string data = ReadFile(dir / "out/OUT.dat");
        const std::string first = "1,0,-30000,14728,0,0,0\r\n2,833,-22081,22647,1,0,0\r\n";
        const std::string last = "\r\n8,5833,25433,10160,1,1,1\r\n";
        EXPECT_EQ(data.substr(0, first.size()), first);
        EXPECT_EQ(data.substr(data.size() - std::min(data.size(), last.size())), last);
        ASSERT_TRUE(Load());
        EXPECT_EQ(model.lngSampleRate, 1200);
        ExpectValues(r);
    }
}

TEST_F(ConvertTest, OddlyWrittenFilesAreReadOrRefusedBeforeAnythingIsWritten)
{
    // Each case writes a recording its own way and returns the path to convert; an empty error expects the values.
    struct Case {
        const char* what;
        std::function<std::string(NewRecording&)> write;
        std::string error;
    };
    const Case cases[] = {
        {"an end-of-file byte right after the last value",
         [&](NewRecording& r) {
             const std::string data = r.Data();
             dir.Write("IN.dat", data.substr(0, data.size() - 2) + "\x1a");
             return dir.Write("IN.cfg", r.Config());
         },
         ""},
        {"dots in the name", [&](NewRecording& r) { return r.Write(dir, "IN.2021.03"); }, ""},
        {"a header left by an earlier conversion to the same name",
         [&](NewRecording& r) {
             dir.Write("out/OUT.HDR", "another recording's header");
             return r.Write(dir, "IN");
         },
         ""},
        {"blanks inside section lines",
         [&](NewRecording& r) {
             std::string text = r.Combined();
             text.replace(text.find("--- file type: CFG ---"), 22, "--- File  Type : CFG---");
             text.replace(text.find("--- file type: DAT"), 18, "---file type :DAT");
             return dir.Write("IN.cff", text);
         },
         ""},
        {"two configuration sections in one file",
         [&](NewRecording& r) {
             std::string text = r.Combined();
             text.insert(text.find("--- file type: DAT"), "--- file type: CFG ---\r\n" + r.Config());
             return dir.Write("IN.cff", text);
         },
         "'" + (dir / "IN.cff") + "' line 18: expected one configuration section, found a second"},
        {"no channel at all",
         [&](NewRecording& r) {
             r.analog.clear();
             r.digital.clear();
             r.Fill(8);
             return r.Write(dir, "IN");
         },
         "'" + (dir / "IN.cfg") + "' line 2: expected at least one analog or digital channel, found none"},
        {"an output named as the input", [&](NewRecording& r) { return r.Write(dir, "out/OUT"); },
         "'" + out + "' would replace a file of the recording being converted: choose another output name"},
        {"an output whose data file is the input's",
         [&](NewRecording& r) {
             dir.Write("out/OUT.dat", r.Data());
             return dir.Write("out/OUT.1999.cfg", r.Config());
         },
         "'" + (dir / "out/OUT.dat") +
             "' would replace a file of the recording being converted: choose another output name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directories(dir / "out");
        NewRecording r;
        const std::string in = c.write(r);
        const auto written = [&] {
            std::vector<std::string> files;
            for (const std::string& name : OutputFiles())
                files.push_back(name + ": " + ReadFile(dir / ("out/" + name)));
            return files;
        };
        const std::vector<std::string> before = written();
        const ConvertResult result = Convert(in);
        EXPECT_EQ(result.error, c.error);
        if (!c.error.empty()) {
            EXPECT_EQ(written(), before);
            continue;
        }
        ASSERT_TRUE(Load());
        ExpectValues(r);
        EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"OUT.INF", "OUT.cfg", "OUT.dat"}));
    }
}

TEST_F(ConvertTest, ErrorsNameTheFileThePlaceAndWhatWasExpected)
{
    NewRecording r;
    r.type = "BINARY";
    std::string data = r.Data();
    dir.Write("IN.cfg", r.Config());
    dir.Write("IN.dat", data.substr(0, data.size() - 5));
    // Record 8 of 14 bytes (two times four, two analog values of two, one word of states) has 9.
    EXPECT_EQ(Convert(dir / "IN.cfg").error,
              "'" + (dir / "IN.dat") +
                  "': record 8 at byte offset 98: expected 14 bytes, found 9 (the configuration "
                  "gives 8 samples)");
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{});

    r.type = "ASCII";
    dir.Write("IN.dat", r.Data());
    std::string config = r.Config();
    config.replace(config.find(",-32767,32767,1,1,P"), 19, ",-32767");
    dir.Write("IN.cfg", config);
    EXPECT_EQ(Convert(dir / "IN.cfg").error,
              "'" + (dir / "IN.cfg") +
                  "' line 3: expected an analog channel line of 13 fields (10 in the 1991 layout), found 9");

    // What the viewer could not read back is refused, by its line.
    const std::pair<std::string, std::string> badLines[] = {
        {",,,0\r\n", ",,,40000\r\n"},
        {"\r\n50\r\n", "\r\n99999\r\n"},
        {"1000,8\r\n", "1000,0\r\n"},
    };
    const char* says[] = {"line 5: expected the normal state as 0 or 1, found '40000'",
                          "line 8: expected the line frequency in Hz, found '99999'",
                          "line 10: expected a last sample number above 0, found 1000,0"};
    for (std::size_t i = 0; i < std::size(badLines); ++i) {
        config = r.Config();
        config.replace(config.find(badLines[i].first), badLines[i].first.size(), badLines[i].second);
        EXPECT_EQ(Convert(dir.Write("IN.cfg", config)).error, "'" + (dir / "IN.cfg") + "' " + says[i]);
    }

    // Raw values are read into 32 bits: a larger one cannot be written as it is.
    r.type = "FLOAT32";
    r.values[2][0] = 3e9;
    EXPECT_EQ(Convert(r.Write(dir, "IN")).error,
              "'" + (dir / "IN.dat") +
                  "': sample 3, analog value 1: 3e+09 is beyond the 32-bit range that the viewer "
                  "reads raw values into");

    ConvertOptions options;
    options.input = r.Write(dir, "IN");
    options.output = dir / "missing/OUT.cfg";
    EXPECT_EQ(ConvertRecording(options).error,
              "'" + options.output + "': cannot be written: No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{});
}

TEST_F(ConvertTest, LargeRecordingsAreReadInPieces)
{
    // Long enough to be read, decoded and written in several pieces, whose line ends may fall on the cuts.
    for (const auto& [type, eol] : {std::pair{"ASCII", "\r\n"}, std::pair{"ASCII", "\r"}, std::pair{"ASCII", "\n"},
                                    std::pair{"BINARY", "\r\n"}, std::pair{"FLOAT32", "\r\n"}}) {
        SCOPED_TRACE(std::string(type) + " " + (std::string(eol) == "\r\n" ? "CRLF" : eol[0] == '\r' ? "CR" : "LF"));
        NewRecording r;
        r.type = type;
        r.eol = eol;
        r.Fill(70000);
        r.values[123][0] = r.values[69999][1] = NAN;
        ConvertOptions options = Options(r.Write(dir, "IN"));
        std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
        const ConvertResult result = ConvertRecording(options, [&](std::uint64_t done, std::uint64_t total) {
            calls.emplace_back(done, total);
            return true;
        });
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.missingValues, 2);
        // Now and then, growing, up to all of the data file.
        const std::uint64_t size = std::filesystem::file_size(dir / "IN.dat");
        ASSERT_GE(calls.size(), 2u);
        EXPECT_TRUE(std::is_sorted(calls.begin(), calls.end()));
        EXPECT_EQ(calls.back(), std::pair(size, size));
        ASSERT_TRUE(Load());
        ExpectValues(r);
        // Cancelled half-way, it leaves nothing.
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directories(dir / "out");
        EXPECT_EQ(ConvertRecording(options, [&](std::uint64_t done, std::uint64_t) { return done < size / 2; }).error,
                  "'" + options.input + "': the conversion was cancelled");
        EXPECT_EQ(OutputFiles(), std::vector<std::string>{});
    }
    // The fault is named by its line however far in; lines after the last sample are not read.
    NewRecording r;
    r.Fill(70000);
    std::string data = r.Data();
    data.insert(data.find("\r\n65000,64999000,") + 17, "x");
    dir.Write("IN.dat", data);
    dir.Write("IN.cfg", r.Config());
    EXPECT_EQ(Convert(dir / "IN.cfg").error, "'" + (dir / "IN.dat") +
                                                 "' line 65000: expected analog value 1 as a number, found 'x" +
                                                 std::to_string(static_cast<long>(r.values[64999][0])) + "'");
    r.rates = {{"1000", 64999}};
    dir.Write("IN.cfg", r.Config());
    const ConvertResult result = Convert(dir / "IN.cfg");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.samples, 64999);
}

TEST_F(ConvertTest, AConversionWhoseProcessEndsHalfWayLeavesNothing)
{
    // Killed or interrupted, the process cleans nothing up: no file of the output may remain even so.
    NewRecording r;
    r.Fill(70000);
    const ConvertOptions options = Options(r.Write(dir, "IN"));
    EXPECT_EXIT(ConvertRecording(options,
                                 [](std::uint64_t done, std::uint64_t total) {
                                     if (done > total / 2) std::_Exit(3);
                                     return true;
                                 }),
                ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{});
}

TEST_F(ConvertTest, AYearTheLayoutCannotHoldIsWrittenWithAWarning)
{
    NewRecording r;
    r.start = "15/03/2031,10:20:30.123456";
    r.trigger = "15/03/2031,10:20:30.126456";
    const ConvertResult result = Convert(r.Write(dir, "IN"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{"The first sample's date 15/03/2031 cannot be written with its year in the "
                                        "1991 layout: the viewer will show it as 15/03/1931.",
                                        "The trigger point's date 15/03/2031 cannot be written with its year in the "
                                        "1991 layout: the viewer will show it as 15/03/1931."}));
    ASSERT_TRUE(Load());
    EXPECT_EQ(model.varStartStamp, "03/15/31,10:20:30.123456");
}

TEST_F(ConvertTest, TextIsReadInTheRecordersCodePage)
{
    NewRecording r;
    r.station = Encode("Подстанция", "WINDOWS-1251");
    r.info = Encode("Отключение", "WINDOWS-1251");
    const std::string in = r.Write(dir, "IN");
    for (const CodePage* page : {static_cast<const CodePage*>(nullptr), FindCodePage("cp1251")}) {
        ConvertOptions options = Options(in);
        options.codePage = page;
        ASSERT_TRUE(ConvertRecording(options).ok);
        ASSERT_TRUE(Load());
        EXPECT_EQ(std::tuple(model.varStationName, model.strRecordInfo), std::tuple("Подстанция", "Отключение"));
    }
    // Told the wrong code page, it reads what that page says.
    ConvertOptions options = Options(in);
    options.codePage = FindCodePage("IBM866");
    ASSERT_TRUE(ConvertRecording(options).ok);
    ASSERT_TRUE(Load());
    EXPECT_NE(model.varStationName, "Подстанция");
    // The viewer reads 254 characters of the record information, however many bytes they take.
    std::string longInfo;
    for (int i = 0; i < 30; ++i) longInfo += "Отключение";
    r.info = Encode(longInfo, "WINDOWS-1251");
    ASSERT_TRUE(ConvertRecording(Options(r.Write(dir, "IN"))).ok);
    ASSERT_TRUE(Load());
    EXPECT_EQ(model.strRecordInfo, longInfo.substr(0, 2 * 254));  // two bytes each in UTF-8
}

TEST_F(ConvertTest, NeedsImportKnowsTheNewerLayouts)
{
    const std::string analog1991 = "1,IA,A,,A,0.5,0,0,-1,1\r\n";
    const std::string analog1999 = "1,IA,A,,A,0.5,0,0,-1,1,1,1,P\r\n";
    // Whole 1991 files: the viewer reads one rate and data typed exactly "ASCII".
    const std::string head = "S,D,1991\r\n2,1A,1D\r\n" + analog1991 + "1,T,0\r\n50\r\n";
    const std::string dates = "03/15/21,10:20:30.123456\r\n03/15/21,10:20:30.126456\r\n";
    const std::pair<std::string, bool> cases[] = {
        {head + "1\r\n1000,8\r\n" + dates + "ASCII\r\n", false},
        {head + "1\r\n1000,8\r\n" + dates + "BINARY\r\n", true},
        {head + "1\r\n1000,8\r\n" + dates + "ascii\r\n", true},
        {head + "2\r\n1000,4\r\n1000,8\r\n" + dates + "ASCII\r\n", true},
        {"S,D,1999\r\n2,1A,1D\r\n" + analog1999 + "1,T,,,0\r\n", true},
        {"S,D,2013\r\n2,1A,1D\r\n" + analog1999 + "1,T,,,0\r\n", true},
        {"S,D,2000\r\n2,1A,1D\r\n" + analog1991 + "1,T,0\r\n", true},
        {"S,D,1991\r\n2,1A,1D\r\n" + analog1999 + "1,T,0\r\n", true},
        {"S,D,1991\r\n2,1A,1D\r\n" + analog1991 + "1,T,,,0\r\n", true},
        {"S,D,1991\r\n2,1A,1D\r\n" + analog1991 + "1,T,0\r\n", false},
        {"S,D,1997\r\n2,1A,1D\r\n" + analog1991 + "1,T,0\r\n", false},
        {"S,D\r\n2,1A,1D\r\n" + analog1991 + "1,T,0\r\n", false},
    };
    for (const auto& [text, needs] : cases) EXPECT_EQ(NeedsImport(dir.Write("F.cfg", text)), needs) << text;
    EXPECT_TRUE(NeedsImport(dir.Write("F.CFF", "")));
    EXPECT_FALSE(NeedsImport(dir / "none.cfg"));
}

}  // namespace
}  // namespace sevrana::formats
