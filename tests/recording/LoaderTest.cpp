// The loader end to end on small recordings: what lands in the model, and the
// exact message (with the right line number) for each kind of bad input.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "ChannelSetup.h"
#include "Loader.h"
#include "Messages.h"
#include "RecordingText.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::RecordingText;
using testing::TempDir;

struct Captured : LoadObserver {
    std::vector<std::string> captions;
    std::vector<std::string> messages;
    void SetCaption(const std::string& c) override { captions.push_back(c); }
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

class LoaderTest : public ::testing::Test {
protected:
    LoadOutcome LoadText(const std::string& cfgText, const std::string& datText, const std::string& name = "F1")
    {
        cfgPath = dir.Write(name + ".cfg", cfgText);
        datPath = dir.Write(name + ".dat", datText);
        model.varConfigFile = cfgPath;
        model.strDataFile = datPath;
        LineReader cfg(cfgPath);
        LineReader dat(datPath);
        const LoadOutcome outcome = LoadRecording(model, cfg, dat, seen);
        EXPECT_FALSE(cfg.IsOpen());
        EXPECT_FALSE(dat.IsOpen());
        return outcome;
    }
    LoadOutcome Load(const RecordingText& r) { return LoadText(r.Config(), r.Data()); }

    /// Loads and expects exactly one message, the error of the given configuration line.
    void ExpectConfigLineError(const RecordingText& r, long line)
    {
        EXPECT_EQ(Load(r), LoadOutcome::Failed);
        ASSERT_EQ(seen.messages.size(), 1u);
        EXPECT_EQ(seen.messages[0], messages::ErrorAtLine(line, cfgPath));
    }
    void ExpectDataLineError(const RecordingText& r, long line)
    {
        EXPECT_EQ(Load(r), LoadOutcome::Failed);
        ASSERT_EQ(seen.messages.size(), 1u);
        EXPECT_EQ(seen.messages[0], messages::ErrorAtLine(line, datPath));
    }

    TempDir dir;
    RecordingModel model;
    Captured seen;
    std::string cfgPath;
    std::string datPath;
};

TEST_F(LoaderTest, GoodRecordingFillsTheModel)
{
    RecordingText r;
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_EQ(model.varStationName, "Kallio");
    EXPECT_EQ(model.varDeviceId, "REL-1");
    EXPECT_EQ(model.strRecordInfo, "");  // revision 1991 is not record information
    EXPECT_EQ(model.varTotalChannels, 3);
    EXPECT_EQ(model.varAnalogChannels, 2);
    EXPECT_EQ(model.intDigitalCount, 1);
    EXPECT_EQ(model.intLineFrequency, 50);
    EXPECT_EQ(model.intSampleRateCount, 1);
    EXPECT_EQ(model.lngSampleRate, 1000);
    EXPECT_EQ(model.lngLastSample, 10);
    EXPECT_EQ(model.arrSampleRates(1), 1000);
    EXPECT_EQ(model.arrLastSamples(1), 10);
    EXPECT_EQ(model.varStartStamp, "01/01/00,00:00:00.000000");
    EXPECT_EQ(model.arrAnalogNames(2), "UA");
    EXPECT_EQ(model.arrAnalogUnits(2), "kV");
    EXPECT_EQ(model.arrFullScale(1), 32767.0 * 2 - 1);
    EXPECT_EQ(model.arrFullScale(2), 2000.0 * 0.5);  // |max| wins when larger
    EXPECT_EQ(model.arrDigitalNames(1), "TRIP");
    EXPECT_EQ(model.arrDigitalNormal(1), 0);

    // Channel 1: raw 10n, a = 2, b = -1; channel 2: raw -n, a = 0.5.
    EXPECT_EQ(model.arrAnalogSamples.Columns(), 11);
    EXPECT_EQ(model.arrAnalogSamples(1, 1), 19.0);
    EXPECT_EQ(model.arrAnalogSamples(1, 10), 199.0);
    EXPECT_EQ(model.arrAnalogSamples(2, 4), -2.0);
    EXPECT_EQ(model.arrAnalogSamples(1, 11), 0.0);  // the spare column stays 0
    EXPECT_EQ(model.arrRawMax(1), 100);
    EXPECT_EQ(model.arrRawMin(1), 0);  // all positive: the minimum never leaves 0
    EXPECT_EQ(model.arrRawMax(2), 0);  // all negative: the maximum never leaves 0
    EXPECT_EQ(model.arrRawMin(2), -10);
    EXPECT_EQ(model.arrPeakValue(1), 199.0);
    EXPECT_EQ(model.arrPeakValue(2), 5.0);
    EXPECT_EQ(model.arrDigitalSamples(1, 5), 0);
    EXPECT_EQ(model.arrDigitalSamples(1, 6), 1);
    EXPECT_EQ(model.arrDigitalSelection.LBound(), 0);
    EXPECT_EQ(model.arrDigitalSelection.UBound(), 2);
}

TEST_F(LoaderTest, LineOneFieldCountAndRevision)
{
    RecordingText r;
    r.header = "OnlyStation";
    ExpectConfigLineError(r, 1);

    seen = {};
    r.header = "a,b,1991,extra";
    ExpectConfigLineError(r, 1);

    seen = {};
    r.header = "a,b, 1999 ";
    EXPECT_EQ(Load(r), LoadOutcome::Rejected);
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kRevision1999});

    seen = {};
    r.header = " Two Fields , Dev ";
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.varStationName, "Two Fields");
    EXPECT_EQ(model.strRecordInfo, "");

    r.header = "a,b,Earth fault L1";
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.strRecordInfo, "Earth fault L1");
}

TEST_F(LoaderTest, InformationFileOverridesRevisionAndIsFoundWhateverItsCase)
{
    RecordingText r;
    r.header = "a,b,Revision text";
    dir.Write("f1.Inf", "[public record_information]\r\nrecord_information = Zone 1 trip   \r\n");
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.strRecordInfo, "Zone 1 trip");

    // An empty value leaves the revision text in place.
    dir.Write("f1.Inf", "[Public Record_Information]\nRecord_Information=\n");
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.strRecordInfo, "Revision text");
}

TEST_F(LoaderTest, UnreadableInformationFileFailsWithItsName)
{
    std::filesystem::create_directory(dir / "F1.INF");
    RecordingText r;
    EXPECT_EQ(Load(r), LoadOutcome::Failed);
    ASSERT_EQ(seen.messages.size(), 1u);
    EXPECT_EQ(seen.messages[0], messages::ErrorInFile(dir / "F1.INF"));
}

TEST_F(LoaderTest, ChannelCountLine)
{
    RecordingText r;
    r.counts = "3,2A,1D,4";
    ExpectConfigLineError(r, 2);

    seen = {};
    r.counts = "12,2A,1D";  // does not add up
    ExpectConfigLineError(r, 2);

    seen = {};
    r.counts = "3,2A";
    ExpectConfigLineError(r, 2);

    // Fractional and negative counts describe no channel lines.
    seen = {};
    r.counts = "2.5,1.5A,1D";
    ExpectConfigLineError(r, 2);
    seen = {};
    r.counts = "1,2A,-1D";
    ExpectConfigLineError(r, 2);
}

TEST_F(LoaderTest, AnalogLinesAreCheckedOneByOne)
{
    RecordingText r;
    r.analog[1] = "2,UA,A,,kV,0.5,0,0,-1000";  // 9 fields
    ExpectConfigLineError(r, 4);

    seen = {};
    r.analog[1] = "2,UA,A,,kV,0.5,0,0,-1000,2000,x";  // 11 fields
    ExpectConfigLineError(r, 4);

    seen = {};
    r = RecordingText();
    r.analog[0] = "2,IA,A,,A,2,-1,0,-32767,32767";  // number is not its position
    ExpectConfigLineError(r, 3);
}

TEST_F(LoaderTest, DigitalNumberingMayRestartOrContinue)
{
    RecordingText r;
    r.digital = {"1,TRIP,0"};
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
    r.digital = {"3,TRIP,0"};
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);

    r.digital = {"2,TRIP,0"};
    ExpectConfigLineError(r, 5);
    seen = {};
    r.digital = {"3,TRIP,"};
    ExpectConfigLineError(r, 5);
    seen = {};
    r.digital = {",TRIP,0"};
    ExpectConfigLineError(r, 5);
    seen = {};
    r.digital = {"3,TRIP,1,0"};
    ExpectConfigLineError(r, 5);
    seen = {};
    r.digital = {"3,TRIP, x"};  // not a number
    ExpectConfigLineError(r, 5);
}

TEST_F(LoaderTest, FileEndingEarlyNamesTheLineThatIsMissing)
{
    RecordingText r;
    // Cut after line 5 (the digital line): the line-frequency line is missing.
    EXPECT_EQ(LoadText(RecordingText::Join(r.ConfigLines(), "\r\n", 5), r.Data()), LoadOutcome::Failed);
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::ErrorAtLine(6, cfgPath)});

    for (std::size_t keep : {0u, 1u, 7u, 8u, 9u, 10u}) {
        seen = {};
        EXPECT_EQ(LoadText(RecordingText::Join(r.ConfigLines(), "\r\n", keep), r.Data()), LoadOutcome::Failed);
        EXPECT_EQ(seen.messages, std::vector<std::string>{messages::ErrorAtLine(static_cast<long>(keep) + 1, cfgPath)})
            << keep;
    }
}

TEST_F(LoaderTest, FrequencyRateCountAndRateLines)
{
    RecordingText r;
    r.frequency = "";
    ExpectConfigLineError(r, 6);
    seen = {};
    r.frequency = "50,60";
    ExpectConfigLineError(r, 6);
    seen = {};
    r.frequency = "99999";  // beyond 16 bits
    ExpectConfigLineError(r, 6);

    seen = {};
    r = RecordingText();
    r.rateCount = "0";
    ExpectConfigLineError(r, 7);
    seen = {};
    r.rateCount = "2";
    EXPECT_EQ(Load(r), LoadOutcome::Rejected);
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kMultipleRates});

    seen = {};
    r = RecordingText();
    r.rate = "1000,";
    ExpectConfigLineError(r, 8);
    seen = {};
    r.rate = "1000";
    ExpectConfigLineError(r, 8);
    seen = {};
    r.rate = "1000, ";  // a blank field is not empty, but it is not a number
    ExpectConfigLineError(r, 8);
    seen = {};
    r.rate = "1000,3000000000";  // beyond 32 bits
    ExpectConfigLineError(r, 8);
    seen = {};
    r.rate = "1000,-5";  // no sample array can have that size
    ExpectConfigLineError(r, 8);

    r = RecordingText();
    r.rate = " 1000 , 10 ";
    seen = {};
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.lngLastSample, 10);
}

TEST_F(LoaderTest, ConversionFactorWarningOnceAndLoadGoesOn)
{
    RecordingText r;
    r.analog = {"1,IA,A,,A,0,7,0,-32767,32767", "2,UA,A,,kV,,0,0,-1000,2000"};
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    ASSERT_EQ(seen.messages.size(), 1u);
    EXPECT_EQ(seen.messages[0], "Warning: Conversion factor a is missing or zero for some of the\r\nanalog channels in '" +
                                    cfgPath + "'!");
    for (long n = 1; n <= 10; ++n) EXPECT_EQ(model.arrAnalogSamples(1, n), 7.0);
}

TEST_F(LoaderTest, DataFileTypeMustBeExactlyAscii)
{
    for (const char* type : {"BINARY", "ascii", "ASCII2"}) {
        RecordingText r;
        r.type = type;
        seen = {};
        ASSERT_EQ(Load(r), LoadOutcome::LoadedUnsupportedType) << type;
        EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kUnsupportedDataType});
        EXPECT_EQ(model.arrAnalogSamples.Columns(), 11);
        EXPECT_EQ(model.arrAnalogSamples(1, 3), 0.0);
        EXPECT_EQ(model.arrPeakValue(1), 0.0);
    }
    RecordingText r;
    r.type = "  ASCII ";
    seen = {};
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
}

TEST_F(LoaderTest, DataLineErrorsNameTheDataFileLine)
{
    RecordingText r;
    r.data.pop_back();  // one line short
    ExpectDataLineError(r, 10);

    seen = {};
    r = RecordingText();
    r.data[5] = "7,0,60,-6,1";  // sample number 7 at line 6
    ExpectDataLineError(r, 6);

    seen = {};
    r = RecordingText();
    r.data[2] = "3,0,,-3,0";  // empty analog value
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,   ,-3,0";  // blanks only
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,30,-3,0,9";  // one field too many
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,30,-3";  // one field too few
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,3x0,-3,0";  // not a number
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,30,-3,";  // empty digital value
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,30,-3,40000";  // digital value beyond 16 bits
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "3,0,3000000000,-3,0";  // raw maximum beyond 32 bits
    ExpectDataLineError(r, 3);

    seen = {};
    r.data[2] = "";
    ExpectDataLineError(r, 3);
}

TEST_F(LoaderTest, DataValuesAndStatistics)
{
    RecordingText r;
    r.data[0] = "0001, ,  2.5 ,-3.5,2";  // leading zeros, blank time stamp, halves
    r.data[1] = " 2,x,3.5,+1e1,1";
    r.data[2] = "3,0,-0,-2.5,0.5";
    r.data.push_back("11,0,oops,not,read");  // beyond the last sample: never read
    ASSERT_EQ(Load(r), LoadOutcome::Loaded) << (seen.messages.empty() ? "" : seen.messages[0]);
    EXPECT_EQ(model.arrAnalogSamples(1, 1), 2 * 2.5 - 1);
    EXPECT_EQ(model.arrRawMax(1), 100);
    EXPECT_EQ(model.arrAnalogSamples(2, 2), 5.0);
    EXPECT_EQ(model.arrRawMax(2), 10);
    EXPECT_EQ(model.arrDigitalSamples(1, 1), 2);  // stored as written, no 0/1 check
    EXPECT_EQ(model.arrDigitalSamples(1, 3), 0);  // 0.5 rounds to the even 0
    EXPECT_EQ(model.arrRawMin(2), -10);

    // Halves go to the even neighbour in the raw statistics.
    RecordingText h;
    for (auto& line : h.data) line = line.substr(0, line.find(',', line.find(',') + 1) + 1) + "0,0,0";
    h.data[0] = "1,0,2.5,-2.5,0";
    seen = {};
    ASSERT_EQ(Load(h), LoadOutcome::Loaded);
    EXPECT_EQ(model.arrRawMax(1), 2);
    EXPECT_EQ(model.arrRawMin(2), -2);
    h.data[0] = "1,0,3.5,-3.5,0";
    ASSERT_EQ(Load(h), LoadOutcome::Loaded);
    EXPECT_EQ(model.arrRawMax(1), 4);
    EXPECT_EQ(model.arrRawMin(2), -4);
}

TEST_F(LoaderTest, IntegerFastPathGivesTheSameDoubleAsTheFullConversion)
{
    const std::vector<std::string> raws = {"0",      "-0",           "7",          "-32768",          "2147483647",
                                           "-2147483648", "000000000000000002147483646", " 42 ", "+17",   "1.25",
                                           "-1e-3",  "6.02e23",      "0.1",        "00000000000000000000012"};
    RecordingText r;
    r.counts = "1,1A,0D";
    r.analog = {"1,X,,,u,0.1,-0.3,0,-1,1"};
    r.digital.clear();
    r.rate = "1000," + std::to_string(raws.size());
    r.data.clear();
    for (std::size_t i = 0; i < raws.size(); ++i) r.data.push_back(std::to_string(i + 1) + ",0," + raws[i]);
    ASSERT_EQ(Load(r), LoadOutcome::Failed);  // 6.02e23 overflows the 32-bit raw maximum
    r.data[11] = "12,0,6.02e3";
    seen = {};
    ASSERT_EQ(Load(r), LoadOutcome::Loaded) << seen.messages.at(0);
    for (std::size_t i = 0; i < raws.size(); ++i) {
        std::string text = i == 11 ? "6.02e3" : raws[i];
        const auto b = text.find_first_not_of(' ');
        text = text.substr(b, text.find_last_not_of(' ') - b + 1);
        if (text[0] == '+') text.erase(0, 1);
        double x = 0;
        std::from_chars(text.data(), text.data() + text.size(), x);
        const double expected = 0.1 * x + -0.3;
        EXPECT_EQ(std::signbit(model.arrAnalogSamples(1, static_cast<long>(i) + 1)), std::signbit(expected)) << raws[i];
        EXPECT_EQ(model.arrAnalogSamples(1, static_cast<long>(i) + 1), expected) << raws[i];
    }
}

TEST_F(LoaderTest, LineEndsByteOrderMarkAndEncodings)
{
    for (const char* eol : {"\r\n", "\r", "\n"}) {
        RecordingText r;
        r.eol = eol;
        seen = {};
        ASSERT_EQ(LoadText("\xEF\xBB\xBF" + r.Config(), "\xEF\xBB\xBF" + r.Data()), LoadOutcome::Loaded);
        EXPECT_EQ(model.varStationName, "Kallio");
        EXPECT_EQ(model.arrAnalogSamples(1, 10), 199.0);
    }
    RecordingText r;
    r.header = "S\xE4hk\xF6" "asema,Laite";  // Latin-1
    r.analog[0] = "1,I\xC3\x84,A,,A,2,-1,0,-32767,32767";  // UTF-8
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(model.varStationName, "S\xC3\xA4hk\xC3\xB6" "asema");
    EXPECT_EQ(model.arrAnalogNames(1), "I\xC3\x84");
}

TEST_F(LoaderTest, ProgressCaptionsShowEachPercentageOnce)
{
    RecordingText r;
    r.rate = "1000,1000";
    r.data.clear();
    for (int n = 1; n <= 1000; ++n) r.data.push_back(std::to_string(n) + ",0,1,1,0");
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    ASSERT_EQ(seen.captions.size(), 101u);
    EXPECT_EQ(seen.captions[0], "Sevrana - Opening file " + cfgPath + "...");
    EXPECT_EQ(seen.captions[1], "Sevrana - Opening file " + cfgPath + "...1 %");
    EXPECT_EQ(seen.captions[100], "Sevrana - Opening file " + cfgPath + "...100 %");

    RecordingText one;
    one.rate = "1000,1";
    seen = {};
    ASSERT_EQ(Load(one), LoadOutcome::Loaded);
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Sevrana - Opening file " + cfgPath + "...",
                                                       "Sevrana - Opening file " + cfgPath + "...100 %"}));
}

TEST_F(LoaderTest, LyingSampleCountDoesNotReserveMemoryForIt)
{
    RecordingText r;
    r.rate = "1000,2000000000";
    ExpectDataLineError(r, 11);  // the data file ends after ten lines
    // Sized by what the small data file can hold, not by the claim.
    EXPECT_LT(model.arrAnalogSamples.Columns(), 100);
    EXPECT_EQ(model.lngLastSample, 2000000000);

    // A non-ASCII file is not read, so its claim cannot be bounded: too large is the rate line's error.
    seen = {};
    r.counts = "30002,30000A,2D";
    r.analog.clear();
    for (int i = 1; i <= 30000; ++i) r.analog.push_back(std::to_string(i) + ",C,,,V,1,0,0,-1,1");
    r.digital = {"1,A,0", "2,B,0"};
    r.type = "BINARY";
    ExpectConfigLineError(r, 30000 + 2 + 3 + 2);
}

TEST_F(LoaderTest, LyingChannelCountFailsWhereTheFileEnds)
{
    RecordingText r;
    r.counts = "2000000001,2000000000A,1D";
    ExpectConfigLineError(r, 5);  // line 5 is the digital line, not analog channel 3
    EXPECT_LT(model.arrAnalogNames.size(), 1000u);
}

TEST_F(LoaderTest, RecordingWithoutAnalogOrDigitalChannels)
{
    RecordingText r;
    r.counts = "1,0A,1D";
    r.analog.clear();
    r.digital = {"1,TRIP,1"};
    for (auto& d : r.data) d = d.substr(0, d.find(',', d.find(',') + 1)) + ",1";
    ASSERT_EQ(Load(r), LoadOutcome::Loaded) << seen.messages.at(0);
    EXPECT_TRUE(model.arrAnalogSamples.empty());
    EXPECT_EQ(model.arrDigitalSamples(1, 4), 1);

    model = RecordingModel();  // arrays of a count that becomes 0 keep their old contents
    RecordingText a;
    a.counts = "2,2A,0D";
    a.digital.clear();
    for (auto& d : a.data) d = d.substr(0, d.rfind(','));
    seen = {};
    ASSERT_EQ(Load(a), LoadOutcome::Loaded);
    EXPECT_TRUE(model.arrDigitalSamples.empty());
    EXPECT_EQ(model.arrDigitalSelection.UBound(), 1);
}

TEST_F(LoaderTest, MissingFilesFailOnTheirFirstLine)
{
    model.varConfigFile = dir / "none.cfg";
    model.strDataFile = dir / "none.dat";
    LineReader cfg(model.varConfigFile);
    LineReader dat(model.strDataFile);
    EXPECT_EQ(LoadRecording(model, cfg, dat, seen), LoadOutcome::Failed);
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::ErrorAtLine(1, model.varConfigFile)});
}

}  // namespace
}  // namespace sevrana
