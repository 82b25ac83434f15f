// The loader end to end on small recordings: what lands in the model, and the
// exact message (with the right line number) for each kind of bad input.

#include <gtest/gtest.h>

#include <cmath>

#include "ChannelSetup.h"
#include "Encode.h"
#include "Loader.h"
#include "NumberUtils.h"
#include "RecordingText.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::Encode;
using testing::LineError;
using testing::RecordingText;
using testing::TempDir;

/// The names of a recording and its record information.
struct Names {
    std::string station;
    std::vector<std::string> analog;
    std::vector<std::string> units;
    std::vector<std::string> digital;
    std::string info;
    bool operator==(const Names&) const = default;
};

/// A recording of ten samples with these channels.
RecordingText Named(const Names& names)
{
    RecordingText r;
    const std::size_t nA = names.analog.size();
    const std::size_t nD = names.digital.size();
    r.header = names.station + ",REL-670,1991";
    r.counts = std::to_string(nA + nD) + "," + std::to_string(nA) + "A," + std::to_string(nD) + "D";
    r.analog.clear();
    for (std::size_t i = 0; i < nA; ++i)
        r.analog.push_back(std::to_string(i + 1) + "," + names.analog[i] + ",,," + names.units[i] +
                           ",0.01,0,0,-32767,32767");
    r.digital.clear();
    for (std::size_t i = 0; i < nD; ++i)
        r.digital.push_back(std::to_string(nA + i + 1) + "," + names.digital[i] + ",0");
    for (std::size_t n = 0; n < r.data.size(); ++n) {
        r.data[n] = std::to_string(n + 1) + "," + std::to_string(n * 1000);
        for (std::size_t i = 0; i < nA; ++i) r.data[n] += ",5";
        for (std::size_t i = 0; i < nD; ++i) r.data[n] += ",0";
    }
    return r;
}

std::string InfoFile(const std::string& info)
{
    return "[Public Record_Information]\r\nRecord_Information=" + info + "\r\n";
}

struct Captured : LoadObserver {
    std::vector<std::string> captions;
    std::vector<std::string> messages;
    void SetCaption(const std::string& c) override { captions.push_back(c); }
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

class LoaderTest : public ::testing::Test {
protected:
    LoadOutcome LoadText(const std::string& cfgText, const std::string& datText)
    {
        seen = {};
        model.varConfigFile = dir.Write("F1.cfg", cfgText);
        model.strDataFile = dir.Write("F1.dat", datText);
        LineReader cfg(cfgPath);
        LineReader dat(datPath);
        const LoadOutcome outcome = LoadRecording(model, cfg, dat, seen);
        EXPECT_FALSE(cfg.IsOpen());
        EXPECT_FALSE(dat.IsOpen());
        return outcome;
    }
    LoadOutcome Load(const RecordingText& r) { return LoadText(r.Config(), r.Data()); }

    /// Loads and expects a failure with exactly one message.
    void ExpectFailure(const RecordingText& r, const std::string& message)
    {
        EXPECT_EQ(Load(r), LoadOutcome::Failed);
        EXPECT_EQ(seen.messages, std::vector<std::string>{message});
    }

    /// The names and record information as loaded.
    Names Loaded() const
    {
        Names n{model.varStationName, {}, {}, {}, model.strRecordInfo};
        for (long i = 1; i <= model.AnalogCount(); ++i) {
            n.analog.push_back(model.arrAnalogNames(i));
            n.units.push_back(model.arrAnalogUnits(i));
        }
        for (long i = 1; i <= model.DigitalCount(); ++i) n.digital.push_back(model.arrDigitalNames(i));
        return n;
    }

    TempDir dir;
    RecordingModel model;
    Captured seen;
    const std::string cfgPath = dir / "F1.cfg";
    const std::string datPath = dir / "F1.dat";
};

// The command-line tests show most of the model of a good recording; these are the parts they do not show.
TEST_F(LoaderTest, GoodRecordingFillsTheModel)
{
    ASSERT_EQ(Load(RecordingText()), LoadOutcome::Loaded);
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_EQ(std::tuple(model.intSampleRateCount, model.arrSampleRates(1), model.arrLastSamples(1)),
              std::tuple(1, 1000, 10));
    // Raw 100 * 2 - 1 in the last sample; the spare column stays 0.
    EXPECT_EQ(
        std::tuple(model.arrAnalogSamples.Columns(), model.arrAnalogSamples(1, 10), model.arrAnalogSamples(1, 11)),
        std::tuple(11, 199.0, 0.0));
    EXPECT_EQ(std::tuple(model.arrDigitalSamples.Columns(), model.arrDigitalSamples(1, 11)), std::tuple(11, 0));
    // All positive: the minimum never leaves 0; all negative: the maximum never leaves 0.
    EXPECT_EQ(std::tuple(model.arrRawMin(1), model.arrRawMax(2)), std::tuple(0, 0));
    EXPECT_EQ(std::tuple(model.arrDigitalSelection.LBound(), model.arrDigitalSelection.UBound()), std::tuple(0, 2));
}

TEST_F(LoaderTest, EachBadConfigurationLineNamesItself)
{
    // Texts that fail each configuration line (1-based). Line 2 does not add up, or its counts are fractional or
    // negative; a channel number must be its position, digital ones counting from 1 or on from the analog ones (3);
    // 99999 is beyond 16 bits and 3000000000 beyond 32; a blank field is not empty, but it is not a number either.
    const std::vector<std::pair<std::size_t, std::vector<std::string>>> cases = {
        {1, {"OnlyStation", "a,b,1991,extra"}},
        {2, {"3,2A,1D,4", "12,2A,1D", "3,2A", "2.5,1.5A,1D", "1,2A,-1D"}},
        {3, {"2,IA,A,,A,2,-1,0,-32767,32767"}},
        {4, {"2,UA,A,,kV,0.5,0,0,-1000", "2,UA,A,,kV,0.5,0,0,-1000,2000,x"}},
        {5, {"2,TRIP,0", "3,TRIP,", ",TRIP,0", "3,TRIP,1,0", "3,TRIP, x"}},
        {6, {"", "50,60", "99999"}},
        {7, {"0", "", "1,1"}},
        {8, {"1000,", "1000", "1000, ", "1000,3000000000", "1000,-5", "1000,10,5"}}};
    for (const auto& [line, texts] : cases)
        for (const std::string& text : texts) {
            std::vector<std::string> lines = RecordingText().ConfigLines();
            lines[line - 1] = text;
            EXPECT_EQ(LoadText(RecordingText::Join(lines, "\r\n", SIZE_MAX), RecordingText().Data()),
                      LoadOutcome::Failed);
            EXPECT_EQ(seen.messages, std::vector<std::string>{LineError(static_cast<long>(line), cfgPath)}) << text;
        }

    // A file that ends early fails on the line that is missing.
    const RecordingText r;
    for (const std::size_t keep : {0u, 1u, 5u, 7u, 8u, 9u, 10u}) {
        EXPECT_EQ(LoadText(RecordingText::Join(r.ConfigLines(), "\r\n", keep), r.Data()), LoadOutcome::Failed);
        EXPECT_EQ(seen.messages, std::vector<std::string>{LineError(static_cast<long>(keep) + 1, cfgPath)}) << keep;
    }
    // So does a file that is not there.
    seen = {};
    model.varConfigFile = dir / "none.cfg";
    model.strDataFile = dir / "none.dat";
    LineReader none(model.varConfigFile);
    LineReader noData(model.strDataFile);
    EXPECT_EQ(LoadRecording(model, none, noData, seen), LoadOutcome::Failed);
    EXPECT_EQ(seen.messages, std::vector<std::string>{LineError(1, dir / "none.cfg")});
}

TEST_F(LoaderTest, AcceptedVariantsOfTheHeaderLines)
{
    RecordingText r;
    r.header = " Two Fields , Dev ";
    r.digital = {"1,TRIP,0"};
    r.rate = " 1000 , 10 ";
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(std::tuple(model.varStationName, model.varDeviceId, model.strRecordInfo, model.lngLastSample),
              std::tuple("Two Fields", "Dev", "", 10));

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

    std::filesystem::remove(dir / "f1.Inf");
    std::filesystem::create_directory(dir / "F1.INF");
    ExpectFailure(r, "Error in file '" + (dir / "F1.INF") + "'.");
}

TEST_F(LoaderTest, ConversionFactorWarningOnceAndLoadGoesOn)
{
    RecordingText r;
    r.analog = {"1,IA,A,,A,0,7,0,-32767,32767", "2,UA,A,,kV,,0,0,-1000,2000"};
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(seen.messages, std::vector<std::string>{"Warning: Conversion factor a is missing or zero for some of "
                                                      "the\r\nanalog channels in '" +
                                                      cfgPath + "'!"});
    for (long n = 1; n <= 10; ++n) EXPECT_EQ(model.arrAnalogSamples(1, n), 7.0);
    r.analog = {"1,IA,A,,A,2,,0,-32767,32767", "2,UA,A,,kV,0.5,,0,-1000,2000"};  // only b missing: no warning
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_TRUE(seen.messages.empty());
}

// Revision 1999 is rejected as the command-line tests show.
TEST_F(LoaderTest, MultipleRatesAreRejectedAndTheDataFileTypeMustBeExactlyAscii)
{
    RecordingText rates;
    rates.rateCount = "2";
    EXPECT_EQ(Load(rates), LoadOutcome::Rejected);
    EXPECT_EQ(seen.messages, std::vector<std::string>{"Multiple sampling rates not supported!"});

    for (const char* type : {"BINARY", "ascii", "ASCII2"}) {
        RecordingText r;
        r.type = type;
        ASSERT_EQ(Load(r), LoadOutcome::LoadedUnsupportedType) << type;
        EXPECT_EQ(seen.messages,
                  std::vector<std::string>{"Data file type specified in configuration file is not supported!"});
        EXPECT_EQ(model.arrAnalogSamples.Columns(), 11);  // samples and statistics stay 0
    }
    RecordingText r;
    r.type = "  ASCII ";
    EXPECT_EQ(Load(r), LoadOutcome::Loaded);
}

TEST_F(LoaderTest, EachBadDataLineNamesItself)
{
    RecordingText r;
    r.data.pop_back();  // one line short
    ExpectFailure(r, LineError(10, datPath));

    // Sample number 7 at line 6; at line 3 an empty or blank analog value, one field too many or too few, a value
    // that is not a number, an empty digital value, one beyond 16 bits, raw values beyond 32 bits, an empty line.
    const std::vector<std::pair<std::size_t, std::vector<std::string>>> cases = {
        {6, {"7,0,60,-6,1"}},
        {3,
         {"3,0,,-3,0", "3,0,   ,-3,0", "3,0,30,-3,0,9", "3,0,30,-3", "3,0,3x0,-3,0", "3,0,30,-3,", "3,0,30,-3,40000",
          "3,0,30,-3,0,9,9", "3,0,30,-3,0,9,9,000000", "3,0,3000000000,-3,0", "3,0,-3000000000,-3,0", ""}}};
    for (const auto& [line, texts] : cases)
        for (const std::string& text : texts) {
            r = RecordingText();
            r.data[line - 1] = text;
            ExpectFailure(r, LineError(static_cast<long>(line), datPath));
        }
}

TEST_F(LoaderTest, DataValuesAndStatistics)
{
    RecordingText r;
    r.data[0] = "0001, ,  2.5 ,-3.5,2";  // leading zeros, blank time stamp, halves
    r.data[1] = " 2,x,3.5,+1e1,1";
    r.data[2] = "3,0,-0,-2.5,0.5";
    r.data[4] = "+5,0,50,-5,0";
    r.data[9] = "1e1,0,100,-10,1";
    r.data.push_back("11,0,oops,not,read");  // beyond the last sample: never read
    ASSERT_EQ(Load(r), LoadOutcome::Loaded) << (seen.messages.empty() ? "" : seen.messages[0]);
    EXPECT_EQ(model.arrAnalogSamples(1, 1), 4.0);  // 2 * 2.5 - 1
    EXPECT_EQ(model.arrAnalogSamples(2, 2), 5.0);
    EXPECT_EQ(model.arrRawMax(2), 10);
    EXPECT_EQ(model.arrDigitalSamples(1, 1), 2);  // stored as written, no 0/1 check
    EXPECT_EQ(model.arrDigitalSamples(1, 3), 0);  // 0.5 rounds to the even 0

    // Halves go to the even neighbour in the raw statistics.
    for (const auto& [line, rawMax, rawMin] : {std::tuple{"1,0,2.5,-2.5,0", 2, -2}, {"1,0,3.5,-3.5,0", 4, -4}}) {
        r = RecordingText();
        for (int n = 1; n <= 10; ++n) r.data[n - 1] = std::to_string(n) + ",0,0,0,0";
        r.data[0] = line;
        ASSERT_EQ(Load(r), LoadOutcome::Loaded);
        EXPECT_EQ(model.arrRawMax(1), rawMax);
        EXPECT_EQ(model.arrRawMin(2), rawMin);
    }
}

TEST_F(LoaderTest, IntegerFastPathGivesTheSameDoubleAsTheFullConversion)
{
    const std::vector<std::string> raws = {
        "0",    "-0",  "7",    "-32768", "2147483647", "-2147483648", "000000000000000002147483646",
        " 42 ", "+17", "1.25", "-1e-3",  "6.02e3",     "0.1",         "00000000000000000000012"};
    RecordingText r;
    r.counts = "1,1A,0D";
    r.analog = {"1,X,,,u,0.1,-0,0,-1,1"};  // b = -0 keeps the sign of a zero product
    r.digital.clear();
    r.rate = "1000," + std::to_string(raws.size());
    r.data.clear();
    for (std::size_t i = 0; i < raws.size(); ++i) r.data.push_back(std::to_string(i + 1) + ",0," + raws[i]);
    ASSERT_EQ(Load(r), LoadOutcome::Loaded) << seen.messages.at(0);
    for (std::size_t i = 0; i < raws.size(); ++i) {
        const double value = model.arrAnalogSamples(1, static_cast<long>(i) + 1);
        const double expected = 0.1 * *ParseNumber(raws[i]) + -0.0;
        EXPECT_TRUE(value == expected && std::signbit(value) == std::signbit(expected)) << raws[i] << " " << value;
    }
}

// Latin-1 and UTF-8 names are decoded as the command-line summary shows.
TEST_F(LoaderTest, LineEndsAndByteOrderMark)
{
    for (const char* eol : {"\r\n", "\r", "\n"}) {
        RecordingText r;
        r.eol = eol;
        ASSERT_EQ(LoadText("\xEF\xBB\xBF" + r.Config(), "\xEF\xBB\xBF" + r.Data()), LoadOutcome::Loaded);
        EXPECT_EQ(model.varStationName, "Kallio");
        EXPECT_EQ(model.arrAnalogSamples(1, 10), 199.0);
    }
}

TEST_F(LoaderTest, NamesAndRecordInformationInTheRecordersCodePage)
{
    const Names russian{"Подстанция Северная 110 кВ",
                        {"Ток фазы А", "Ток фазы В", "Напряжение фазы В"},
                        {"А", "А", "кВ"},
                        {"Выключатель отключен", "Пуск защиты от замыканий на землю"},
                        "Короткое замыкание на линии 110 кВ"};
    const Names french{"Poste électrique de Besançon",
                       {"Courant phase 1", "Intensité phase 2", "Tension barre côté ligne"},
                       {"A", "A", "kV"},
                       {"Disjoncteur déclenché", "Sectionneur fermé"},
                       "Défaut fugitif à la terre, réenclenchement réussi"};
    const std::vector<std::pair<const char*, Names>> cases = {
        {"WINDOWS-1251", russian},
        {"IBM866", russian},
        {"KOI8-R", russian},
        {"GB18030",
         {"220千伏北郊变电站",
          {"A相电流", "B相电流", "B相电压"},
          {"安", "安", "千伏"},
          {"断路器分闸", "保护装置启动"},
          "线路A相接地故障，断路器跳闸"}},
        {"BIG5",
         {"161千伏北郊變電所",
          {"A相電流", "B相電流", "B相電壓"},
          {"安", "安", "千伏"},
          {"斷路器分閘", "保護電驛動作"},
          "線路A相接地故障，斷路器跳脫"}},
        // The backslash stays one: some Shift-JIS tables read it as a yen sign.
        {"SHIFT_JIS",
         {"東京北変電所",
          {"A相電流", "B相電流", "B相電圧"},
          {"A", "A", "kV"},
          {"遮断器開", "保護継電器動作"},
          "送電線A相地絡事故、遮断器トリップ C:\\記録"}},
        // 0x96, the en dash, is only in the Windows page.
        {"WINDOWS-1252",
         {"Umspannwerk Süd",
          {"Strom Phase L1", "Strom Phase L2", "Spannung Ü – Sammelschiene 1"},
          {"A", "A", "kV"},
          {"Leistungsschalter geöffnet", "Schutzauslösung Überstrom"},
          "Erdschluss Phase L1 – Leistungsschalter ausgelöst"}},
        {"ISO-8859-1", french}};
    for (const auto& [encoding, names] : cases) {
        SCOPED_TRACE(encoding);
        dir.Write("F1.INF", Encode(InfoFile(names.info), encoding));
        const RecordingText r = Named(names);
        ASSERT_EQ(LoadText(Encode(r.Config(), encoding), r.Data()), LoadOutcome::Loaded);
        EXPECT_EQ(Loaded(), names);
    }

    // An ASCII configuration says nothing of the information file's encoding: that file is judged on its own.
    dir.Write("F1.INF", Encode(InfoFile(russian.info), "WINDOWS-1251"));
    ASSERT_EQ(Load(RecordingText()), LoadOutcome::Loaded);
    EXPECT_EQ(model.varStationName, "Kallio");
    EXPECT_EQ(model.strRecordInfo, "Короткое замыкание на линии 110 кВ");
}

TEST_F(LoaderTest, Utf8StaysAsItIsAndEveryLineIsReadInTheFilesCodePage)
{
    const Names names{"Подстанция Северная", {"Ток фазы А"}, {"А"}, {"Выключатель отключен"}, "Пуск защиты"};
    const RecordingText r = Named(names);
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        dir.Write("F1.INF", bom + InfoFile(names.info));
        ASSERT_EQ(LoadText(bom + r.Config(), r.Data()), LoadOutcome::Loaded);
        EXPECT_EQ(Loaded(), names);
    }

    // Mostly Windows-1251, with a line that is valid UTF-8 and one of Latin-1: both are read in the file's
    // code page, every byte as a letter of it.
    std::filesystem::remove(dir / "F1.INF");
    const RecordingText mixed = Named({"Подстанция Северная 110 кВ",
                                       {"Ток фазы А", "@UTF8@", "Напряжение фазы С"},
                                       {"А", "@U@", "кВ"},
                                       {"Выключатель отключен", "@LATIN1@"},
                                       ""});
    std::string text = Encode(mixed.Config(), "WINDOWS-1251");
    for (const auto& [mark, bytes] :
         {std::pair{"@UTF8@", "Ток фазы В"}, std::pair{"@U@", "А"}, std::pair{"@LATIN1@", "L\xE4ht\xF6"}})
        text.replace(text.find(mark), std::string_view(mark).size(), bytes);
    ASSERT_EQ(LoadText(text, mixed.Data()), LoadOutcome::Loaded);
    EXPECT_EQ(model.varStationName, "Подстанция Северная 110 кВ");
    EXPECT_EQ(model.strEncoding, "Windows-1251");
    EXPECT_EQ(model.arrAnalogNames(2), "РўРѕРє С„Р°Р·С‹ Р’");
    EXPECT_EQ(model.arrAnalogUnits(2), "Рђ");
    EXPECT_EQ(model.arrAnalogNames(3), "Напряжение фазы С");
    EXPECT_EQ(model.arrDigitalNames(2), "Lдhtц");
}

TEST_F(LoaderTest, ProgressCaptionsShowEachPercentageOnce)
{
    RecordingText r;
    r.rate = "1000,1000";
    r.data.clear();
    for (int n = 1; n <= 1000; ++n) r.data.push_back(std::to_string(n) + ",0,1,1,0");
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    const std::string opening = "Sevrana - Opening file " + cfgPath + "...";
    ASSERT_EQ(seen.captions.size(), 101u);
    EXPECT_EQ(std::tuple(seen.captions[0], seen.captions[1], seen.captions[100]),
              std::tuple(opening, opening + "1 %", opening + "100 %"));

    r.rate = "1000,1";
    ASSERT_EQ(Load(r), LoadOutcome::Loaded);
    EXPECT_EQ(seen.captions, (std::vector<std::string>{opening, opening + "100 %"}));
}

TEST_F(LoaderTest, LyingCountsDoNotReserveMemoryForThem)
{
    RecordingText r;
    r.rate = "1000,2000000000";
    ExpectFailure(r, LineError(11, datPath));  // the data file ends after ten lines
    // Sized by what the small data file can hold, not by the claim.
    EXPECT_LT(model.arrAnalogSamples.Columns(), 100);
    EXPECT_EQ(model.lngLastSample, 2000000000);
    // ... but a file of the shortest possible lines, without a final line end, still fits.
    r.counts = "1,1A,0D";
    r.analog = {"1,X,,,u,1,0,0,-1,1"};
    r.digital.clear();
    r.rate = "1000,9";
    r.data.clear();
    for (int n = 1; n <= 9; ++n) r.data.push_back(std::to_string(n) + ",,7");
    const std::string shortest = RecordingText::Join(r.data, "\n", SIZE_MAX);
    ASSERT_EQ(LoadText(r.Config(), shortest.substr(0, shortest.size() - 1)), LoadOutcome::Loaded) << seen.messages[0];
    EXPECT_EQ(model.arrAnalogSamples(1, 9), 7.0);

    r = RecordingText();
    r.counts = "2000000001,2000000000A,1D";
    ExpectFailure(r, LineError(5, cfgPath));  // line 5 is the digital line, not analog channel 3
    EXPECT_LT(model.arrAnalogNames.size(), 1000u);

    // A non-ASCII file is not read, so its claim cannot be bounded: too large is the rate line's error.
    r.rate = "1000,2000000000";
    r.counts = "30002,30000A,2D";
    r.analog.clear();
    for (int i = 1; i <= 30000; ++i) r.analog.push_back(std::to_string(i) + ",C,,,V,1,0,0,-1,1");
    r.digital = {"1,A,0", "2,B,0"};
    r.type = "BINARY";
    ExpectFailure(r, LineError(30000 + 2 + 3 + 2, cfgPath));
}

TEST_F(LoaderTest, RecordingWithoutAnalogOrDigitalChannels)
{
    RecordingText digitalOnly;
    digitalOnly.counts = "1,0A,1D";
    digitalOnly.analog.clear();
    digitalOnly.digital = {"1,TRIP,1"};
    for (auto& d : digitalOnly.data) d = d.substr(0, d.find(',', d.find(',') + 1)) + ",1";
    ASSERT_EQ(Load(digitalOnly), LoadOutcome::Loaded) << seen.messages.at(0);
    EXPECT_TRUE(model.arrAnalogSamples.empty());
    EXPECT_EQ(model.arrDigitalSamples(1, 4), 1);

    // Arrays of a count that becomes 0 keep their old contents.
    RecordingText analogOnly;
    analogOnly.counts = "2,2A,0D";
    analogOnly.digital.clear();
    for (auto& d : analogOnly.data) d = d.substr(0, d.rfind(','));
    ASSERT_EQ(Load(analogOnly), LoadOutcome::Loaded);
    EXPECT_EQ(std::tuple(model.arrDigitalSamples(1, 4), model.arrDigitalNames(1), model.arrDigitalSelection.UBound()),
              std::tuple(1, "TRIP", 1));
    ASSERT_EQ(Load(digitalOnly), LoadOutcome::Loaded);
    EXPECT_EQ(std::tuple(model.arrAnalogSamples.Channels(), model.arrAnalogNames(2), model.arrAnalogSamples(1, 10)),
              std::tuple(2, "UA", 199.0));
}

}  // namespace
}  // namespace sevrana
