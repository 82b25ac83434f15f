// The command-line checker: exit codes, the JSON report and the summary of
// good, failing and rejected recordings, usage errors, and the CSV export. Most
// cases run the commands in-process; one runs the built binary.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "CliCommands.h"
#include "Encode.h"
#include "NewRecording.h"
#include "RecordingText.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::Encode;
using testing::LineError;
using testing::NewRecording;
using testing::RecordingText;
using testing::TempDir;

constexpr const char* kUsage =
    "usage: sevrana-cli check FILE [--json] [--strict] [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli csv FILE [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli info FILE [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli pdf FILE OUT.pdf [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli measure FILE [--at SECONDS | --sample N] [--reference CHANNEL] [--json] [--rate HZ] "
    "[--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli events FILE [--channel N]... [--json] [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli convert IN.cfg|IN.cff OUT.cfg [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "       sevrana-cli convert --out-dir DIR FILES... [--rate HZ] [--primary|--secondary] [--encoding NAME]\n"
    "FILE is a recording of any revision: its .cfg file, or one combined .cff file\n"
    "--rate resamples every channel onto that rate; a recording with several rates, or with unevenly\n"
    "       spaced time stamps only, needs one\n"
    "--primary, --secondary show the values on that side of the transformers\n"
    "--strict reads with the 1991 loader alone\n"
    "--encoding reads the recording's texts in that code page instead of the one judged from them:\n"
    "       UTF-8, Windows-1251, IBM866, KOI8-R, GB18030, Big5, Shift-JIS, EUC-KR, Windows-1252\n"
    "exit codes: 0 loaded, 1 failed or rejected, 2 usage error or missing file\n";
constexpr const char* kFileNotExist = "COMTRADE configuration or data file not exist in specified location!";

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
    bool operator==(const CliRun&) const = default;
    friend void PrintTo(const CliRun& r, std::ostream* os)
    {
        *os << r.code << "\nout: " << r.out << "\nerr: " << r.err;
    }
};

/// Every piece appears in the text.
void ExpectIn(const std::string& text, const std::vector<std::string>& pieces)
{
    for (const std::string& piece : pieces) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
}

CliRun RunInProcess(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs the built checker, its output going through files in dir (paths without quotes).
CliRun RunBinary(const std::vector<std::string>& args, const TempDir& dir)
{
    std::string command = "'" SEVRANA_CLI "'";
    for (const auto& arg : args) command += " '" + arg + "'";
    // No display (though one is asked for) and no runtime folder: a batch run must not need
    // either, nor mention them.
    command = "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb " + command;
    const int status = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir / "out"), ReadFile(dir / "err")};
}

/// 200 samples at 1000/s, trigger 0.1 s after the first. IA (a = 2, b = -1) reads
/// raw 10, then -3, then 0; UA (a = 0.5) reads -n; TRIP is set after sample 100.
RecordingText TriggeredRecording()
{
    RecordingText r;
    r.rate = "1000,200";
    r.trigger = "01/01/00,00:00:00.100000";
    r.data.clear();
    for (int n = 1; n <= 200; ++n)
        r.data.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 1000) + "," +
                         std::to_string(n == 1   ? 10
                                        : n == 2 ? -3
                                                 : 0) +
                         "," + std::to_string(-n) + "," + (n > 100 ? "1" : "0"));
    return r;
}

class CliTest : public ::testing::Test {
protected:
    /// Writes F1.cfg and F1.dat; returns the configuration path.
    std::string Write(const RecordingText& r)
    {
        dir.Write("F1.dat", r.Data());
        return dir.Write("F1.cfg", r.Config());
    }

    /// check --strict --json in-process (the 1991 loader's own answers): the exit code, nothing
    /// on stderr, and every piece in the report.
    void ExpectReport(const RecordingText& r, int code, const std::vector<std::string>& pieces)
    {
        const CliRun run = RunInProcess({"check", Write(r), "--strict", "--json"});
        EXPECT_EQ(run.code, code);
        EXPECT_EQ(run.err, "");
        ExpectIn(run.out, pieces);
    }

    /// The text with @CFG and @DAT standing for the recording's two paths.
    std::string Paths(std::string text) const
    {
        for (const auto& [mark, path] : {std::pair{"@CFG", cfg}, std::pair{"@DAT", dat}})
            for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, 4, path);
        return text;
    }

    TempDir dir;
    const std::string cfg = dir / "F1.cfg";
    const std::string dat = dir / "F1.dat";
};

TEST(CliExample, OpensWithScalesJustAboveWhatEachChannelReaches)
{
    // The declared ranges sit just above each channel's largest raw value, so a few hundred amperes
    // of IB and IC fill their windows instead of a scale of 16385 A.
    const CliRun run = RunInProcess({"check", SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg"});
    EXPECT_EQ(run.code, 0) << run.err;
    ExpectIn(run.out, {"  #  name  unit  a      b      peak    initial scale\n"
                       "  1  IA    A     0.5    0      9083    9501\n"
                       "  2  IB    A     0.5    0      558     601\n"
                       "  3  IC    A     0.5    0      302     306\n"
                       "  4  IN    A     0.5    0      9598    10001\n"
                       "  5  UA    kV    0.004  0      89.776  93\n"
                       "  6  UB    kV    0.004  0      95.88   97\n"
                       "  7  UC    kV    0.004  0.012  96.096  101\n"});
}

TEST_F(CliTest, JsonReportOfAGoodRecording)
{
    EXPECT_EQ(RunInProcess({"check", Write(TriggeredRecording()), "--json"}),
              (CliRun{0,
                      Paths(R"({
  "messages": [],
  "outcome": "loaded",
  "reader": "1991",
  "config_file": "@CFG",
  "data_file": "@DAT",
  "encoding": "ASCII",
  "model": {
    "station": "Kallio",
    "device": "REL-1",
    "record_info": "",
    "total_channels": 3,
    "analog_channels": 2,
    "digital_channels": 1,
    "line_frequency": 50,
    "sample_rate": 1000,
    "last_sample": 200,
    "start_stamp": "01/01/00,00:00:00.000000",
    "trigger_stamp": "01/01/00,00:00:00.100000",
    "trigger_time": 0.1,
    "trigger_sample": 101,
    "analog": [
      {"name": "IA", "unit": "A", "a": 2, "b": -1, "range_min": -32767, "range_max": 32767, "full_scale": 65533, )"
                            R"("raw_min": -3, "raw_max": 10, "peak": 19, "initial_scale": 65534},
      {"name": "UA", "unit": "kV", "a": 0.5, "b": 0, "range_min": -1000, "range_max": 2000, "full_scale": 1000, )"
                            R"("raw_min": -200, "raw_max": 0, "peak": 100, "initial_scale": 1001}
    ],
    "digital": [
      {"name": "TRIP", "normal": 0}
    ]
  }
}
)"),
                      ""}));
}

TEST_F(CliTest, SummaryAlignsNonAsciiNamesAndIndentsMessageLines)
{
    RecordingText r = TriggeredRecording();
    r.analog[1] = "2,J\xE4nnite,A,,kV,0,0,0,-1000,2000";  // a = 0 warns, the load goes on
    r.digital[0] = "3,L\xE4ht\xF6,0";
    EXPECT_EQ(RunInProcess({"check", Write(r)}),
              (CliRun{0,
                      Paths("message: Warning: Conversion factor a is missing or zero for some of the\n"
                            "         analog channels in '@CFG'!\n"
                            "outcome: loaded\n"
                            "reader: 1991\n"
                            "configuration file: @CFG\n"
                            "data file: @DAT\n"
                            "encoding: Windows-1252\n"
                            "station: Kallio\n"
                            "device: REL-1\n"
                            "record information: \n"
                            "channels: 3 (2 analog, 1 digital)\n"
                            "line frequency: 50 Hz\n"
                            "sampling rate: 1000 Hz\n"
                            "samples: 200\n"
                            "duration: 0.2 s\n"
                            "start: 01/01/00,00:00:00.000000\n"
                            "trigger: 01/01/00,00:00:00.100000\n"
                            "trigger time: 0.1 s\n"
                            "trigger sample: 101\n"
                            "analog channels:\n"
                            "  #  name     unit  a  b   peak  initial scale\n"
                            "  1  IA       A     2  -1  19    65534\n"
                            "  2  J\xC3\xA4nnite  kV    0  0   0     1\n"
                            "digital channels:\n"
                            "  #  name   normal\n"
                            "  1  L\xC3\xA4ht\xC3\xB6  0\n"),
                      ""}));
}

TEST_F(CliTest, ATriggerDecadesFromTheRecordIsOnlyOutOfIt)
{
    // A recorder writes 01/01/1970 when it has no trigger time: just before the record; the other way, just after.
    for (const auto& [start, trigger, time, sample] :
         {std::tuple{"02/22/10,10:00:00.000000", "01/01/70,00:00:00.000000", "-1266832800", "0"},
          std::tuple{"01/01/70,00:00:00.000000", "02/22/10,10:00:00.000000", "1266832800", "201"}}) {
        RecordingText r = TriggeredRecording();
        r.start = start;
        r.trigger = trigger;
        const CliRun run = RunInProcess({"check", Write(r)});
        EXPECT_EQ(std::tuple(run.code, run.err), std::tuple(0, "")) << trigger;
        ExpectIn(run.out, {"message: Trigger point is out of record\noutcome: loaded\n",
                           "trigger time: " + std::string(time) + " s\ntrigger sample: " + sample + "\n"});
    }
}

TEST_F(CliTest, JsonShowsCodePageNamesAsUtf8)
{
    RecordingText r = TriggeredRecording();
    r.header = "Подстанция Северная,РЗА-1,1991";
    r.analog = {"1,Ток фазы А,,,А,2,-1,0,-32767,32767", "2,Напряжение фазы В,,,кВ,0.5,0,0,-1000,2000"};
    r.digital = {"3,Выключатель отключен,0"};
    dir.Write("F1.dat", r.Data());
    dir.Write("F1.cfg", Encode(r.Config(), "WINDOWS-1251"));
    const CliRun run = RunInProcess({"check", cfg, "--json"});
    EXPECT_EQ(run.code, 0);
    ExpectIn(run.out, {R"("encoding": "Windows-1251")", R"("station": "Подстанция Северная")", R"("device": "РЗА-1")",
                       R"({"name": "Напряжение фазы В", "unit": "кВ")", R"({"name": "Выключатель отключен")"});

    // A code page the user names reads every text, whatever the judging says; "Automatic" judges.
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> overrides = {
        {{"check", "--encoding", "koi8-r", cfg, "--json"}, {R"("encoding": "KOI8-R")", R"("device": "пгю-1")"}},
        {{"check", cfg, "--encoding=Automatic"}, {"encoding: Windows-1251\n", "device: РЗА-1\n"}},
        {{"info", cfg, "--encoding", "IBM866"}, {"Station ID:\t\t╨╟└-1\n"}},
        {{"csv", "--encoding", "CP1252", cfg}, {"sample,time_s,Òîê ôàçû À,"}}};
    for (const auto& [args, pieces] : overrides) {
        const CliRun chosen = RunInProcess(args);
        EXPECT_EQ(chosen.code, 0) << args[0];
        ExpectIn(chosen.out, pieces);
    }
}

TEST_F(CliTest, RussianRecorderTextIsReadInItsCodePage)
{
    // A station and digital channels from a 1991 recorder in IBM866, one in Windows-1251.
    RecordingText r = TriggeredRecording();
    r.header = "Горшечное-Бекетово,РЕГ-1,1991";
    r.digital = {"3,DI_Неиспр.ТН (1),0"};
    dir.Write("F1.dat", r.Data());
    dir.Write("F1.cfg", Encode(r.Config(), "IBM866"));
    ExpectIn(RunInProcess({"check", cfg, "--json"}).out,
             {R"("encoding": "IBM866")", R"("station": "Горшечное-Бекетово")", R"x({"name": "DI_Неиспр.ТН (1)")x"});

    r.header = "РП-110/ДФЗ_ВЛ-107,,1991";
    r.digital = {"3,TRIP,0"};
    dir.Write("F1.cfg", Encode(r.Config(), "WINDOWS-1251"));
    ExpectIn(RunInProcess({"check", cfg}).out, {"encoding: Windows-1251\nstation: РП-110/ДФЗ_ВЛ-107\n"});
}

TEST_F(CliTest, FailedAndRejectedLoadsReportWhatWasRead)
{
    RecordingText r = TriggeredRecording();
    r.data[4] = "7,4000,0,-5,0";  // line 5 claims sample 7; samples 1..4 were read, no channel set-up ran
    ExpectReport(r, 1,
                 {"\"messages\": [\"" + LineError(5, dat) + "\"],\n  \"outcome\": \"failed\"",
                  "\"raw_min\": -3, \"raw_max\": 10, \"peak\": 19, \"initial_scale\": 0}"});

    r = RecordingText();
    r.analog[1] = "2,UA,A,,kV,0.5,0,0,-1000";  // nine fields on line 4
    ExpectReport(r, 1,
                 {"\"messages\": [\"" + LineError(4, cfg) + "\"],\n  \"outcome\": \"failed\"",
                  "{\"name\": \"IA\", \"unit\": \"A\", \"a\": 2,", "{\"name\": \"\", \"unit\": \"\", \"a\": 0,"});

    r = RecordingText();
    r.header = "Kallio";  // line 1 fails before any array exists
    ExpectReport(r, 1, {"\"messages\": [\"" + LineError(1, cfg) + "\"]", "\"analog\": [],\n    \"digital\": []\n"});
    const CliRun plain = RunInProcess({"check", cfg, "--strict"});
    EXPECT_EQ(plain.code, 1);
    EXPECT_EQ(plain.out.substr(0, plain.out.find("configuration file:")),
              "message: " + LineError(1, cfg) + "\noutcome: failed\n");
    ExpectIn(plain.out, {"\nanalog channels: none\ndigital channels: none\n"});

    // One analog channel and no digital one; without a rate there is no duration and no trigger point.
    r = RecordingText();
    r.counts = "1,1A,0D";
    r.analog.pop_back();
    r.digital.clear();
    r.rate = "0,10";
    for (int n = 1; n <= 10; ++n) r.data[n - 1] = std::to_string(n) + ",0," + std::to_string(n);
    const CliRun single = RunInProcess({"check", Write(r), "--strict"});
    EXPECT_EQ(single.code, 1);
    ExpectIn(single.out, {"\nduration: unknown (no sampling rate)\n",
                          "\nanalog channels:\n  #  name  unit  a  b   peak  initial scale\n"
                          "  1  IA    A     2  -1  19    65534\ndigital channels: none\n"});
    ExpectReport(r, 1, {"\"initial_scale\": 65534}\n    ],\n    \"digital\": []\n"});

    // One configuration line changed: the stamp of 23 characters that the channel set-up refuses, no
    // samples (so no zoom list), a revision not read, a data type not read.
    // clang-format off
    const std::vector<std::tuple<std::string RecordingText::*, std::string, int, std::vector<std::string>>> lines = {
        {&RecordingText::start, "01/01/00,00:00:00.00000", 1,
         {"[\"Error in file: Time stamps are not meeting COMTRADE specifications!\"],\n  \"outcome\": \"failed\""}},
        {&RecordingText::rate, "1000,0", 1,
         {"[\"Error occured while trying to display data.\"],\n  \"outcome\": \"failed\""}},
        {&RecordingText::header, "Kallio,REL-1, 1999 ", 1,
         {"[\"IEEE C37.111-1999 not supported!\"],\n  \"outcome\": \"rejected\"", "\"station\": \"Kallio\""}},
        {&RecordingText::type, "BINARY", 0,
         {"[\"Data file type specified in configuration file is not supported!\"],\n  \"outcome\": \"loaded\"",
          "\"raw_min\": 0, \"raw_max\": 0, \"peak\": 0, \"initial_scale\": 65534}"}}};
    // clang-format on
    for (const auto& [line, text, code, pieces] : lines) {
        SCOPED_TRACE(text);
        r = RecordingText();
        r.*line = text;
        ExpectReport(r, code, pieces);
    }
}

TEST_F(CliTest, MissingFilesAndUsageErrorsExitWithTwo)
{
    const std::string noData = dir.Write("F1.cfg", RecordingText().Config());
    dir.Write("G1.dat", RecordingText().Data());
    const CliRun notExist{2, "", std::string(kFileNotExist) + "\n"};
    for (const char* command : {"check", "csv", "info"})
        for (const std::string& path : {noData, dir / "G1.cfg"})
            EXPECT_EQ(RunInProcess({command, path}), notExist) << command << " " << path;
    const CliRun json = RunInProcess({"check", noData, "--json"});
    EXPECT_EQ(json.code, 2);
    EXPECT_EQ(json.out.substr(0, json.out.find("\n  \"model\"")),
              "{\n  \"messages\": [\"" + std::string(kFileNotExist) + "\"],\n  \"outcome\": \"failed\",\n" +
                  "  \"reader\": \"1991\",\n  \"config_file\": \"" + noData + "\",\n  \"data_file\": \"" +
                  (dir / "F1.dat") + "\",\n" + "  \"encoding\": \"\",");
    ExpectIn(json.out, {"\"trigger_sample\": 0,\n    \"analog\": [],\n    \"digital\": []\n  }\n}\n"});

    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> usageErrors = {
        {{}, "no command given"}, {{"verify", noData}, "unknown command 'verify'"},
        {{"check"}, "missing configuration file"}, {{"check", "--json"}, "missing configuration file"},
        {{"check", noData, "--pretty"}, "unknown option '--pretty'"},
        {{"csv", noData, "--json"}, "unknown option '--json'"},
        {{"check", noData, noData}, "more than one configuration file"},
        {{"info", noData, "--encoding", "Klingon"}, "unknown encoding 'Klingon'"},
        {{"check", "--encoding=cp1250", noData}, "unknown encoding 'cp1250'"},
        {{"csv", noData, "--encoding"}, "missing code page after --encoding"}};
    // clang-format on
    for (const auto& [args, problem] : usageErrors)
        EXPECT_EQ(RunInProcess(args), (CliRun{2, "", "sevrana-cli: " + problem + "\n" + kUsage})) << problem;
    for (const char* help : {"help", "--help", "-h"}) EXPECT_EQ(RunInProcess({help}), (CliRun{0, kUsage, ""})) << help;
    // After "--" a name that starts with a dash is a file, not an option; so is a lone dash.
    for (const auto& args : {std::vector<std::string>{"check", "--", "-x.cfg"}, std::vector<std::string>{"check", "-"}})
        EXPECT_EQ(RunInProcess(args), notExist) << args.back();
}

#ifdef SEVRANA_CLI_PDF
TEST_F(CliTest, PdfPrintsTriggersOutsideTheRecordAndSaysOnlyItsOwnMessages)
{
    // Before the first sample, and one after the last: the load's remark, then every page.
    for (const auto& [start, trigger] :
         std::vector<std::pair<std::string, std::string>>{{"01/01/00,00:00:01.000000", "01/01/00,00:00:00.500000"},
                                                          {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.200000"}}) {
        RecordingText r = TriggeredRecording();
        r.start = start;
        r.trigger = trigger;
        const std::string out = dir / (trigger.substr(18, 1) + ".pdf");
        EXPECT_EQ(RunBinary({"pdf", Write(r), out}, dir), (CliRun{0, "", "message: Trigger point is out of record\n"}))
            << trigger;
        EXPECT_GT(ReadFile(out).size(), 1000u) << trigger;
    }
    for (const auto& [out, problem] :
         {std::pair{dir / "none/x.pdf", "No such file or directory"}, std::pair{dir.Path(), "Is a directory"}})
        EXPECT_EQ(RunBinary({"pdf", Write(TriggeredRecording()), out}, dir),
                  (CliRun{1, "", "Cannot write " + out + ": " + problem + "\n"}));
}
#endif

TEST_F(CliTest, InfoWritesTheFileInformationReport)
{
    RecordingText r;
    r.digital = {"3,TRIP,0", "4,CB OPEN,1"};
    r.counts = "4,2A,2D";
    for (std::string& line : r.data) line += ",0";
    dir.Write("F1.INF", "[Public Record_Information]\nRecord_Information=Zone 1 trip\n");
    EXPECT_EQ(RunInProcess({"info", Write(r)}),
              (CliRun{0,
                      "Station name:\t\tKallio\n"
                      "Station ID:\t\tREL-1\n"
                      "Number of channels:\t4 (2 analog and 2 digital channels)\n"
                      "Line frequency:\t\t50 Hz\n"
                      "Different samplerates:\t1\n"
                      "Samplerate(s):\t\t1000 Hz, 10 Samples\n"
                      "First sample date and time:\t01/01/00,00:00:00.000000\n"
                      "Trigger point date and time:\t01/01/00,00:00:00.005000\n"
                      "Trigger reason:\t\tZone 1 trip\n"
                      " \n"
                      "Channel information\n"
                      "Analog channel(s):\n"
                      // Ranges from the raw extremes through a and b; the extremes start from 0, so
                      // raw 10..100 counts as 0..100 and raw -10..-1 as -10..0.
                      "\t1: IA, Conversion (ax+b): a=2, b=-1, Unit: A, Value range: -1 A to 199 A\n"
                      "\t2: UA, Conversion (ax+b): a=0.5, b=0, Unit: kV, Value range: -5 kV to 0 kV\n"
                      "Digital channel(s):\n"
                      "\t1: TRIP\n"
                      "\t2: CB OPEN\n",
                      ""}));

    // No digital channels: the count reads 0 and the heading is the last line. A factor a
    // of 0 gives b at both ends, and never "-0".
    r = RecordingText();
    r.counts = "3,3A,0D";
    r.digital.clear();
    r.analog = {"1,IA,A,,A,0.001,0,0,-32767,32767", "2,UA,A,,kV,0,0,0,-1000,2000", "3,UB,B,,kV,0,2.5,0,0,1"};
    r.data = {"1,0,-7,-3,4", "2,1000,5,2,-4"};
    r.rate = "1000,2";
    std::filesystem::remove(dir / "F1.INF");
    CliRun run = RunInProcess({"info", Write(r)});
    EXPECT_EQ(run.code, 0);
    // The last line is the heading; "Trigger reason" is empty, as revision 1991 is no reason.
    ExpectIn(run.out + "@END", {"Number of channels:\t3 (3 analog and 0 digital channels)\n", "Trigger reason:\t\t\n",
                                "\t1: IA, Conversion (ax+b): a=0.001, b=0, Unit: A, Value range: -0.007 A to 0.005 A\n"
                                "\t2: UA, Conversion (ax+b): a=0, b=0, Unit: kV, Value range: 0 kV to 0 kV\n"
                                "\t3: UB, Conversion (ax+b): a=0, b=2.5, Unit: kV, Value range: 2.5 kV to 2.5 kV\n"
                                "Digital channel(s):\n@END"});
    // The conversion warning goes to the error stream; the report still comes.
    ExpectIn(run.err, {"Warning: Conversion factor a is missing or zero"});

    // A recording that does not load has no report.
    r.rate = "0,2";
    run = RunInProcess({"info", Write(r)});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    ExpectIn(run.err, {"outcome: "});
}

TEST(CliText, JsonAndCsvEscaping)
{
    EXPECT_EQ(cli::JsonString("a \"b\\c\r\n\t\b\f\x01\x1a\x1f\x7f"),
              "\"a \\\"b\\\\c\\r\\n\\t\\b\\f\\u0001\\u001a\\u001f\x7f\"");
    EXPECT_EQ(cli::JsonString("\xC4"), "\"\xC3\x84\"");  // not UTF-8: read as Latin-1
    std::ostringstream messages;
    cli::WriteMessages({"one\r\ntwo\rthree\nfour\n\nfive\r\n", "six"}, messages);
    EXPECT_EQ(messages.str(),
              "message: one\n         two\n         three\n         four\n         \n         five\n"
              "         \nmessage: six\n");
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> csvFields = {
        {"IA", "IA"}, {"", ""}, {"I,A", "\"I,A\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"a\rb", "\"a\rb\""},
        {"a\nb", "\"a\nb\""}, {"\"", "\"\"\"\""}, {" I A; \xC3\xA4 ", " I A; \xC3\xA4 "}};
    // clang-format on
    for (const auto& [text, field] : csvFields) EXPECT_EQ(cli::CsvField(text), field) << text;
}

TEST_F(CliTest, CsvWritesSamplesOrNothing)
{
    RecordingText r;
    r.analog[0] = "1,I\"A,A,,A,2,-1,0,-32767,32767";
    EXPECT_EQ(RunBinary({"csv", Write(r)}, dir),
              (CliRun{0,
                      "sample,time_s,\"I\"\"A\",UA,TRIP\n"  // raw 10n * 2 - 1; raw -n * 0.5
                      "1,0,19,-0.5,0\n2,0.001,39,-1,0\n3,0.002,59,-1.5,0\n4,0.003,79,-2,0\n5,0.004,99,-2.5,0\n"
                      "6,0.005,119,-3,1\n7,0.006,139,-3.5,1\n8,0.007,159,-4,1\n9,0.008,179,-4.5,1\n10,0.009,199,-5,1\n",
                      ""}));

    r.data.pop_back();
    EXPECT_EQ(RunInProcess({"csv", Write(r)}),
              (CliRun{1, "", "message: " + LineError(10, dat) + "\noutcome: failed\n"}));

    // The built tool takes the option on every command, the PDF one too.
    for (const char* command : {"csv", "pdf"}) {
        const CliRun failed = RunBinary({command, Write(r), "--encoding", "EBCDIC", dir / "out.pdf"}, dir);
        EXPECT_EQ(failed.code, 2);
        EXPECT_EQ(failed.err.substr(0, failed.err.find('\n')), "sevrana-cli: unknown encoding 'EBCDIC'");
    }

    // A newer revision that neither reads: the newer reader's words.
    r.header = "Kallio,REL-1,1999";
    EXPECT_EQ(RunBinary({"csv", Write(r)}, dir),
              (CliRun{1, "",
                      "message: '" + dat +
                          "': expected 10 samples, found 9: the data end at line 10\n"
                          "outcome: failed\n"}));

    // BINARY data of the 1991 layout are read, not taken as zeros: the same samples as in ASCII.
    r = RecordingText();
    r.type = "BINARY";
    std::string binary;
    for (std::uint32_t n = 1; n <= 10; ++n) {
        const std::int16_t ia = static_cast<std::int16_t>(10 * n), ua = static_cast<std::int16_t>(-n);
        const std::uint16_t trip = n > 5;
        const std::uint32_t stamp = (n - 1) * 1000;
        for (const auto& [bytes, size] :
             {std::pair<const void*, std::size_t>{&n, 4}, {&stamp, 4}, {&ia, 2}, {&ua, 2}, {&trip, 2}})
            binary.append(static_cast<const char*>(bytes), size);
    }
    dir.Write("F1.cfg", r.Config());
    dir.Write("F1.dat", binary);
    EXPECT_EQ(RunInProcess({"csv", cfg}),
              (CliRun{0,
                      "sample,time_s,IA,UA,TRIP\n"
                      "1,0,19,-0.5,0\n2,0.001,39,-1,0\n3,0.002,59,-1.5,0\n4,0.003,79,-2,0\n5,0.004,99,-2.5,0\n"
                      "6,0.005,119,-3,1\n7,0.006,139,-3.5,1\n8,0.007,159,-4,1\n9,0.008,179,-4.5,1\n10,0.009,199,-5,1\n",
                      ""}));
    // The 1991 loader alone still takes them as zeros, and says so.
    const CliRun strict = RunInProcess({"check", cfg, "--strict"});
    EXPECT_EQ(strict.code, 0);
    EXPECT_EQ(strict.out.substr(0, strict.out.find("configuration file:")),
              "message: Data file type specified in configuration file is not supported!\noutcome: loaded\n");
}

TEST(CliCsv, AGapIsAnEmptyField)
{
    RecordingModel m;
    m.varAnalogChannels = 2;
    m.lngLastSample = 3;
    m.lngSampleRate = 1000;
    m.arrAnalogNames.Redim(1, 2);
    m.arrAnalogNames(1) = "IA";
    m.arrAnalogNames(2) = "UA";
    m.arrAnalogSamples.Redim(2, 4);
    const double gap = std::numeric_limits<double>::quiet_NaN();
    const double values[3][2] = {{gap, 1.5}, {-2, gap}, {gap, gap}};
    for (long k = 1; k <= 3; ++k)
        for (long i = 1; i <= 2; ++i) m.arrAnalogSamples(i, k) = values[k - 1][i - 1];
    std::ostringstream out;
    cli::WriteCsv(m, out);
    EXPECT_EQ(out.str(), "sample,time_s,IA,UA\n1,0,,1.5\n2,0.001,-2,\n3,0.002,,\n");
}

/// Names in folder, sorted.
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

/// A 2013 BINARY recording of 8 samples whose second IA sample is missing, and the same
/// recording cut in its third record.
struct NewPair {
    explicit NewPair(const TempDir& dir)
    {
        NewRecording r;
        r.type = "BINARY";
        r.values[1][0] = std::nan("");
        good = r.Write(dir, "G");
        const std::string data = r.Data();
        dir.Write("B.dat", data.substr(0, 2 * 14 + 5));  // a record is 4 + 4 + 2 * 2 + 2 bytes
        bad = dir.Write("B.cfg", r.Config());
    }
    std::string good, bad;
};

TEST_F(CliTest, ConvertWritesOneLinePerRecordingAndNothingOfARefusedOne)
{
    const NewPair in(dir);
    const std::string badError = "'" + (dir / "B.dat") +
                                 "': record 3 at byte offset 28: expected 14 bytes, found 5 (the configuration gives "
                                 "8 samples)";
    const std::string missing = in.good + ": 1 missing analog value written as 0\n";
    const std::string out = dir / "one/O.cfg";
    std::filesystem::create_directory(dir / "one");
    EXPECT_EQ(
        RunInProcess({"convert", in.good, out}),
        (CliRun{0, "converted: " + in.good + " -> " + out + " (IEEE C37.111-2013 BINARY, 8 samples)\n", missing}));
    EXPECT_EQ(Listing(dir / "one"), (std::vector<std::string>{"O.INF", "O.cfg", "O.dat"}));
    // The copy loads like any 1991 recording: IA reads 0.5 * raw - 2, the missing value as raw 0.
    const CliRun csv = RunInProcess({"csv", out});
    EXPECT_EQ(csv.code, 0);
    ExpectIn(csv.out, {"sample,time_s,IA,UB,TRIP,CB OPEN,AR\n1,0,-15002,", "\n2,0.001,-2,"});

    EXPECT_EQ(RunInProcess({"convert", in.bad, dir / "one/P.cfg"}),
              (CliRun{1, "refused: " + in.bad + ": " + badError + "\n", ""}));
    const std::string many = dir / "many";
    std::filesystem::create_directory(many);
    EXPECT_EQ(
        RunInProcess({"convert", "--out-dir", many, in.good, in.bad, dir / "none.cfg"}),
        (CliRun{2,
                "converted: " + in.good + " -> " + many + "/G.cfg (IEEE C37.111-2013 BINARY, 8 samples)\n" +
                    "refused: " + in.bad + ": " + badError + "\nrefused: " + (dir / "none.cfg") + ": no such file\n",
                missing}));
    EXPECT_EQ(Listing(dir / "one"), (std::vector<std::string>{"O.INF", "O.cfg", "O.dat"}));
    EXPECT_EQ(Listing(many), (std::vector<std::string>{"G.INF", "G.cfg", "G.dat"}));

    // A folder that cannot be written (here a file stands where it should be): nothing is left anywhere.
    const std::string notFolder = dir.Write("plain", "x");
    const auto before = Listing(dir.Path());
    EXPECT_EQ(RunInProcess({"convert", "--out-dir", notFolder, in.good}).out,
              "refused: " + in.good + ": '" + notFolder + "/G.cfg': cannot be written: Not a directory\n");
    EXPECT_EQ(Listing(dir.Path()), before);

    // clang-format off
    const std::vector<std::pair<std::vector<std::string>, std::string>> usageErrors = {
        {{"convert"}, "missing recording to convert"}, {{"convert", in.good}, "missing output configuration file"},
        {{"convert", in.good, out, out}, "more than one output file (--out-dir converts several)"},
        {{"convert", in.good, dir / "O.dat"}, "the output must be a .cfg file"},
        {{"convert", in.good, out, "--rate", "0"}, "invalid rate '0'"},
        {{"convert", in.good, out, "--rate", "50Hz"}, "invalid rate '50Hz'"},
        {{"convert", in.good, out, "--rate"}, "missing value after --rate"},
        {{"convert", in.good, out, "--primary", "--secondary"}, "--primary and --secondary exclude each other"},
        {{"convert", in.good, out, "--json"}, "unknown option '--json'"}};
    // clang-format on
    for (const auto& [args, problem] : usageErrors)
        EXPECT_EQ(RunInProcess(args), (CliRun{2, "", "sevrana-cli: " + problem + "\n" + kUsage})) << problem;
}

TEST_F(CliTest, EveryCommandReadsEveryRevisionAndSaysWhichReaderDid)
{
    // Nothing may be written to the temporary folder: here, to be seen empty afterwards.
    const std::string temp = dir / "tmp";
    std::filesystem::create_directory(temp);
    ::setenv("TMPDIR", temp.c_str(), 1);
    NewRecording r;
    r.revision = 1999;
    const std::string old = r.Write(dir, "N");
    r.revision = 2013;
    r.combined = true;
    r.type = "FLOAT32";
    r.info = "Zone 2 trip";
    const std::string cff = r.Write(dir, "C");

    const CliRun check = RunInProcess({"check", old});
    EXPECT_EQ(check.code, 0);
    EXPECT_EQ(check.err, "");
    ExpectIn(check.out,
             {"outcome: loaded\nreader: IEEE C37.111-1999 ASCII\nconfiguration file: " + old +
                  "\ndata file: " + (dir / "N.dat") + "\nencoding: ASCII\nstation: Kallio\ndevice: REL-670\n",
              "samples: 8\n"});
    ExpectIn(RunInProcess({"check", "--json", cff}).out, {"\"outcome\": \"loaded\",\n  \"reader\": \"IEEE C37.111-2013 "
                                                          "FLOAT32\",\n  \"config_file\": \"" +
                                                          cff + "\""});
    const CliRun info = RunInProcess({"info", cff});
    EXPECT_EQ(info.err, "");
    ExpectIn(info.out, {"First sample date and time:\t03/15/21,10:20:30.123456\n", "Trigger reason:\t\tZone 2 trip\n",
                        "\t2: UB, Conversion (ax+b): a=0.25, b=1.5, Unit: kV,"});
    // The same samples from either file; --import changes nothing.
    const CliRun csv = RunInProcess({"csv", old});
    EXPECT_EQ(csv, (CliRun{0, RunInProcess({"csv", cff}).out, ""}));
    EXPECT_EQ(RunInProcess({"csv", "--import", old}), csv);
    // measure gives the tables of a 1991 copy that the loader reads.
    std::filesystem::create_directory(dir / "kept");
    ASSERT_EQ(RunInProcess({"convert", old, dir / "kept/N.cfg"}).code, 0);
    EXPECT_EQ(RunInProcess({"measure", old}), (CliRun{0, RunInProcess({"measure", dir / "kept/N.cfg"}).out, ""}));
    // --strict: the 1991 loader's own answer.
    EXPECT_EQ(RunInProcess({"check", old, "--strict"}).out.substr(0, 60),
              "message: IEEE C37.111-1999 not supported!\noutcome: rejected\n");
    // A missing file is a missing file.
    EXPECT_EQ(RunInProcess({"check", dir / "none.cff"}), (CliRun{2, "", std::string(kFileNotExist) + "\n"}));
    // What the reader refuses: its words, and failed.
    const NewPair pair(dir);
    EXPECT_EQ(RunInProcess({"csv", pair.bad}),
              (CliRun{1, "",
                      "message: '" + (dir / "B.dat") +
                          "': record 3 at byte offset 28: expected 14 bytes, found 5 (the configuration gives 8 "
                          "samples)\noutcome: failed\n"}));
#ifdef SEVRANA_CLI_PDF
    const CliRun pdf = RunBinary({"pdf", old, dir / "N.pdf"}, dir);
    EXPECT_EQ(pdf, (CliRun{0, "", ""}));
    EXPECT_GT(ReadFile(dir / "N.pdf").size(), 1000u);
#endif
    // (Qt keeps its runtime folder there when there is no other.)
    for (const std::string& name : Listing(temp)) EXPECT_EQ(name.find("sevrana-"), std::string::npos) << name;
    ::unsetenv("TMPDIR");
}

TEST_F(CliTest, SeveralRatesNeedARateAndPrimaryOrSecondaryRescale)
{
    NewRecording r;
    r.rates = {{"1000", 6}, {"4000", 8}};  // 5 ms at 1 kHz, then 2 samples at 4 kHz
    r.analog[0].primary = "400";
    r.analog[0].secondary = "1";
    const std::string two = r.Write(dir, "R");
    const std::string refusal =
        "message: The recording needs a rate to be shown at (found: 1000 Hz, 4000 Hz); give one with --rate HZ.\n";
    for (const char* command : {"csv", "info", "measure"})
        EXPECT_EQ(RunInProcess({command, two}), (CliRun{1, "", refusal + "outcome: rejected\n"})) << command;
    const CliRun check = RunInProcess({"check", two});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out.substr(0, check.out.find("configuration file:")),
              refusal + "outcome: rejected\nreader: IEEE C37.111-2013 ASCII\n");

    const CliRun csv = RunInProcess({"csv", two, "--rate", "2000"});
    EXPECT_EQ(csv.code, 0);
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 13);  // the header and 12 samples in 5.5 ms
    ExpectIn(csv.out, {"\n12,0.0055,"});
    // The first channel's factors were written for primary values: a secondary one is 400 times smaller.
    const CliRun secondary = RunInProcess({"csv", two, "--rate", "2000", "--secondary"});
    ExpectIn(secondary.out, {"\n1,0,-37.505,"});  // (-30000 * 0.5 - 2) / 400
    EXPECT_EQ(RunInProcess({"check", two, "--strict", "--rate", "2000"}).code, 2);
}

TEST_F(CliTest, A1991FileTheLoaderRefusesIsReadLenientlyWithTheReason)
{
    RecordingText r = TriggeredRecording();
    for (int n = 0; n < 200; ++n)  // sample numbers from 0
        r.data[static_cast<std::size_t>(n)].replace(0, r.data[static_cast<std::size_t>(n)].find(','),
                                                    std::to_string(n));
    const CliRun check = RunInProcess({"check", Write(r)});
    EXPECT_EQ(check.code, 0);
    EXPECT_EQ(
        check.out.substr(0, check.out.find("configuration file:")),
        "outcome: loaded\nreader: IEEE C37.111-1991 ASCII\nread note: Read leniently: " + LineError(1, dat) + "\n");
    ExpectIn(RunInProcess({"info", cfg}).out, {"Trigger reason:\t\t\nRead leniently: " + LineError(1, dat) + "\n"});
    ExpectIn(RunInProcess({"check", cfg, "--json"}).out,
             {"\"reader\": \"IEEE C37.111-1991 ASCII\",\n  \"read_note\": \"Read leniently: " + LineError(1, dat)});
    const CliRun strict = RunInProcess({"check", cfg, "--strict"});
    EXPECT_EQ(strict.code, 1);
    EXPECT_EQ(strict.out.substr(0, strict.out.find("configuration file:")),
              "message: " + LineError(1, dat) + "\noutcome: failed\n");

    // A 1991 first line over a digital line of the newer layout: the loader refuses line 5, and the
    // dates stay month first (12 October), as the first line's revision says.
    RecordingText mixed = TriggeredRecording();
    mixed.digital = {"3,TRIP,,,0"};
    mixed.start = "10/12/15,02:55:54.000000";
    mixed.trigger = "10/12/15,02:55:54.100000";
    const CliRun lenient = RunInProcess({"check", Write(mixed)});
    EXPECT_EQ(lenient.code, 0);
    EXPECT_EQ(lenient.out.substr(0, lenient.out.find("configuration file:")),
              "outcome: loaded\nreader: IEEE C37.111-1991 ASCII\nread note: Read leniently: " + LineError(5, cfg) +
                  "\n");
    ExpectIn(RunInProcess({"info", cfg}).out, {"First sample date and time:\t10/12/15,02:55:54.000000\n"});
}

// Fault: csv FILE | head -1 killed the tool by SIGPIPE in the middle of writing, and the
// temporary copy of a newer recording stayed behind.
TEST_F(CliTest, ABrokenPipeEndsTheToolAndLeavesNothingBehind)
{
    const std::string temp = dir / "tmp";
    std::filesystem::create_directory(temp);
    NewRecording r;
    r.Fill(20000);  // far more CSV than a pipe holds
    const std::string in = r.Write(dir, "N");
    for (const char* option : {"--import", "--encoding=Automatic"}) {
        const std::string command = "env TMPDIR='" + temp + "' sh -c \"('" SEVRANA_CLI "' csv '" + in + "' " + option +
                                    "; echo \\$? >'" + (dir / "code") + "') | head -1 >'" + (dir / "out") + "'\"";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFile(dir / "out"), "sample,time_s,IA,UB,TRIP,CB OPEN,AR\n");
        const std::string code = ReadFile(dir / "code");
        EXPECT_TRUE(code == "141\n" || code == "0\n") << code;
        EXPECT_EQ(Listing(temp), std::vector<std::string>{}) << option;
    }
}

}  // namespace
}  // namespace sevrana
