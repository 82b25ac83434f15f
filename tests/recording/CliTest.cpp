// The command-line checker: exit codes, the JSON report and the summary of
// good, failing and rejected recordings, how it finds the data file, and the
// CSV export. Most cases run the commands in-process; a few run the built binary.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CliCommands.h"
#include "Messages.h"
#include "RecordingText.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::RecordingText;
using testing::TempDir;

/// A parsed JSON value; Parse throws on anything malformed, so a report that
/// parses is valid JSON (escaping included).
struct Json {
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](std::string_view key) const
    {
        for (const auto& [k, v] : members)
            if (k == key) return v;
        throw std::out_of_range("no key " + std::string(key));
    }
    const Json& operator[](std::size_t i) const { return items.at(i); }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const auto& member : members) keys.push_back(member.first);
        return keys;
    }

    static Json Parse(std::string_view s)
    {
        std::size_t p = 0;
        Json v = Value(s, p);
        if (Peek(s, p) != '\0') throw std::runtime_error("text after the value");
        return v;
    }

private:
    static char Peek(std::string_view s, std::size_t& p)
    {
        while (p < s.size() && std::string_view(" \t\r\n").find(s[p]) != std::string_view::npos) ++p;
        return p < s.size() ? s[p] : '\0';
    }
    static bool Take(std::string_view s, std::size_t& p, char c)
    {
        if (Peek(s, p) != c) return false;
        ++p;
        return true;
    }
    static void Need(std::string_view s, std::size_t& p, char c)
    {
        if (!Take(s, p, c)) throw std::runtime_error(std::string("expected ") + c);
    }
    static std::string String(std::string_view s, std::size_t& p)
    {
        Need(s, p, '"');
        std::string out;
        for (char c; (c = s.at(p++)) != '"';) {
            if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control character");
            if (c != '\\') {
                out += c;
            } else if ((c = s.at(p++)) == 'u') {
                unsigned code = 0x80;  // the report escapes control characters only
                if (p + 4 <= s.size()) std::from_chars(s.data() + p, s.data() + p + 4, code, 16);
                if (code >= 0x80) throw std::runtime_error("bad \\u escape");
                out += static_cast<char>(code);
                p += 4;
            } else {
                const auto k = std::string_view("\"\\/bfnrt").find(c);
                if (k == std::string_view::npos) throw std::runtime_error("bad escape");
                out += "\"\\/\b\f\n\r\t"[k];
            }
        }
        return out;
    }
    static Json Value(std::string_view s, std::size_t& p)
    {
        Json v;
        if (Take(s, p, '{')) {
            if (Take(s, p, '}')) return v;
            do {
                std::string key = String(s, p);
                Need(s, p, ':');
                v.members.emplace_back(std::move(key), Value(s, p));
            } while (Take(s, p, ','));
            Need(s, p, '}');
        } else if (Take(s, p, '[')) {
            if (Take(s, p, ']')) return v;
            do v.items.push_back(Value(s, p));
            while (Take(s, p, ','));
            Need(s, p, ']');
        } else if (Peek(s, p) == '"') {
            v.text = String(s, p);
        } else if (s.substr(p, 4) == "null") {
            p += 4;
        } else {
            const auto r = std::from_chars(s.data() + p, s.data() + s.size(), v.number);
            if (r.ec != std::errc()) throw std::runtime_error("unexpected text at " + std::to_string(p));
            p = static_cast<std::size_t>(r.ptr - s.data());
        }
        return v;
    }
};

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

CliRun RunInProcess(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CliRun run;
    run.code = cli::RunCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs the built checker; stderr goes through a file in dir.
CliRun RunBinary(const std::vector<std::string>& args, const TempDir& dir)
{
    std::string command = ShellQuote(SEVRANA_CLI);
    for (const auto& arg : args) command += " " + ShellQuote(arg);
    const std::string errFile = dir / "stderr.txt";
    command += " 2>" + ShellQuote(errFile);
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.out.append(chunk, n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
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
                         (n == 1 ? "10" : n == 2 ? "-3" : "0") + "," + std::to_string(-n) + "," + (n > 100 ? "1" : "0"));
    return r;
}

class CliTest : public ::testing::Test {
protected:
    /// Writes name.cfg and its data file (dataName, else name.dat); returns the configuration path.
    std::string Write(const RecordingText& r, const std::string& name = "F1", const std::string& dataName = "")
    {
        dat = dir.Write(dataName.empty() ? name + ".dat" : dataName, r.Data());
        cfg = dir.Write(name + ".cfg", r.Config());
        return cfg;
    }

    /// check --json in-process, with the exit code expected.
    Json Report(const std::string& path, int expectedCode)
    {
        const CliRun run = RunInProcess({"check", path, "--json"});
        EXPECT_EQ(run.code, expectedCode) << run.out;
        EXPECT_EQ(run.err, "");
        return Json::Parse(run.out);
    }

    static std::vector<std::string> Messages(const Json& report)
    {
        std::vector<std::string> texts;
        for (const Json& m : report["messages"].items) texts.push_back(m.text);
        return texts;
    }

    TempDir dir;
    std::string cfg;
    std::string dat;
};

TEST_F(CliTest, JsonReportOfAGoodRecording)
{
    const Json report = Report(Write(TriggeredRecording()), 0);
    EXPECT_EQ(report.Keys(), (std::vector<std::string>{"messages", "outcome", "config_file", "data_file", "model"}));
    EXPECT_TRUE(Messages(report).empty());
    EXPECT_EQ(report["outcome"].text, "loaded");
    EXPECT_EQ(report["config_file"].text, cfg);
    EXPECT_EQ(report["data_file"].text, dat);

    const Json& m = report["model"];
    EXPECT_EQ(m.Keys(), (std::vector<std::string>{"station", "device", "record_info", "total_channels",
                                                  "analog_channels", "digital_channels", "line_frequency",
                                                  "sample_rate", "last_sample", "start_stamp", "trigger_stamp",
                                                  "trigger_time", "trigger_sample", "analog", "digital"}));
    EXPECT_EQ(m["station"].text, "Kallio");
    EXPECT_EQ(m["device"].text, "REL-1");
    EXPECT_EQ(m["record_info"].text, "");
    EXPECT_EQ(m["total_channels"].number, 3);
    EXPECT_EQ(m["analog_channels"].number, 2);
    EXPECT_EQ(m["digital_channels"].number, 1);
    EXPECT_EQ(m["line_frequency"].number, 50);
    EXPECT_EQ(m["sample_rate"].number, 1000);
    EXPECT_EQ(m["last_sample"].number, 200);
    EXPECT_EQ(m["start_stamp"].text, "01/01/00,00:00:00.000000");
    EXPECT_EQ(m["trigger_stamp"].text, "01/01/00,00:00:00.100000");
    EXPECT_NEAR(m["trigger_time"].number, 0.1, 1e-9);
    // Full precision: the number reads back as the model's own double.
    EXPECT_EQ(m["trigger_time"].number, cli::CheckRecording(cfg).model.varTriggerTime);
    EXPECT_EQ(m["trigger_sample"].number, 101);

    ASSERT_EQ(m["analog"].items.size(), 2u);
    const Json& ia = m["analog"][0];
    EXPECT_EQ(ia.Keys(), (std::vector<std::string>{"name", "unit", "a", "b", "range_min", "range_max", "full_scale",
                                                   "raw_min", "raw_max", "peak", "initial_scale"}));
    EXPECT_EQ(ia["name"].text, "IA");
    EXPECT_EQ(ia["unit"].text, "A");
    EXPECT_EQ(ia["a"].number, 2);
    EXPECT_EQ(ia["b"].number, -1);
    EXPECT_EQ(ia["range_min"].number, -32767);
    EXPECT_EQ(ia["range_max"].number, 32767);
    EXPECT_EQ(ia["full_scale"].number, 65533);
    EXPECT_EQ(ia["raw_min"].number, -3);
    EXPECT_EQ(ia["raw_max"].number, 10);
    EXPECT_EQ(ia["peak"].number, 19);  // raw 10 * 2 - 1
    EXPECT_EQ(ia["initial_scale"].number, 65534);
    const Json& ua = m["analog"][1];
    EXPECT_EQ(ua["unit"].text, "kV");
    EXPECT_EQ(ua["a"].number, 0.5);
    EXPECT_EQ(ua["raw_min"].number, -200);
    EXPECT_EQ(ua["raw_max"].number, 0);
    EXPECT_EQ(ua["peak"].number, 100);
    EXPECT_EQ(ua["initial_scale"].number, 1001);

    ASSERT_EQ(m["digital"].items.size(), 1u);
    EXPECT_EQ(m["digital"][0].Keys(), (std::vector<std::string>{"name", "normal"}));
    EXPECT_EQ(m["digital"][0]["name"].text, "TRIP");
    EXPECT_EQ(m["digital"][0]["normal"].number, 0);
}

TEST_F(CliTest, PlainSummaryAndMultiLineMessages)
{
    RecordingText r = TriggeredRecording();
    r.analog[1] = "2,UA,A,,kV,0,0,0,-1000,2000";  // a = 0: a warning, the load goes on
    Write(r);
    const CliRun run = RunInProcess({"check", cfg});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    // The CR LF inside the warning continues on an indented line.
    const std::string warning = "message: Warning: Conversion factor a is missing or zero for some of the\n"
                                "         analog channels in '" + cfg + "'!\n";
    EXPECT_EQ(run.out.substr(0, warning.size()), warning);
    for (const std::string expected :
         {"outcome: loaded", "station: Kallio", "device: REL-1", "channels: 3 (2 analog, 1 digital)",
          "line frequency: 50 Hz", "sampling rate: 1000 Hz", "samples: 200", "duration: 0.2 s",
          "start: 01/01/00,00:00:00.000000", "trigger: 01/01/00,00:00:00.100000", "trigger time: 0.1 s",
          "trigger sample: 101", "  #  name  unit  a  b   peak  initial scale", "  1  IA    A     2  -1  19    65534",
          "  2  UA    kV    0  0   0     1", "  #  name  normal", "  1  TRIP  0"})
        EXPECT_NE(run.out.find("\n" + expected + "\n"), std::string::npos) << expected << "\n" << run.out;

    const Json report = Report(cfg, 0);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::FactorWarning(cfg)});
    EXPECT_EQ(report["outcome"].text, "loaded");
}

TEST_F(CliTest, FailedLoadsNameTheLineAndKeepWhatWasRead)
{
    RecordingText badData = TriggeredRecording();
    badData.data[4] = "7,4000,0,-5,0";  // line 5 claims sample 7
    Json report = Report(Write(badData), 1);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::ErrorAtLine(5, dat)});
    EXPECT_EQ(report["outcome"].text, "failed");
    EXPECT_EQ(report["model"]["analog"].items.size(), 2u);
    EXPECT_EQ(report["model"]["analog"][0]["raw_max"].number, 10);  // samples 1..4 were read
    EXPECT_EQ(report["model"]["analog"][0]["initial_scale"].number, 0);  // no channel set-up ran

    RecordingText badConfig;
    badConfig.analog[1] = "2,UA,A,,kV,0.5,0,0,-1000";  // nine fields on line 4
    report = Report(Write(badConfig), 1);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::ErrorAtLine(4, cfg)});
    EXPECT_EQ(report["outcome"].text, "failed");
    const Json& analog = report["model"]["analog"];
    ASSERT_EQ(analog.items.size(), 2u);
    EXPECT_EQ(analog[0]["name"].text, "IA");
    EXPECT_EQ(analog[1]["name"].text, "");

    RecordingText noChannels;
    noChannels.header = "Kallio";  // line 1 fails before any array exists
    report = Report(Write(noChannels), 1);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::ErrorAtLine(1, cfg)});
    EXPECT_TRUE(report["model"]["analog"].items.empty());
    EXPECT_TRUE(report["model"]["digital"].items.empty());
    const CliRun plain = RunInProcess({"check", cfg});
    EXPECT_EQ(plain.code, 1);
    EXPECT_NE(plain.out.find("message: " + messages::ErrorAtLine(1, cfg) + "\noutcome: failed\n"), std::string::npos);
    EXPECT_NE(plain.out.find("analog channels: none\n"), std::string::npos);

    RecordingText badStamp;
    badStamp.start = "01/01/00,00:00:00.00000";  // 23 characters: the channel set-up refuses it
    report = Report(Write(badStamp), 1);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::kTimeStampError});
    EXPECT_EQ(report["outcome"].text, "failed");
}

TEST_F(CliTest, RejectedAndUnreadDataTypes)
{
    RecordingText revision1999;
    revision1999.header = "Kallio,REL-1,1999";
    Json report = Report(Write(revision1999), 1);
    EXPECT_EQ(Messages(report), std::vector<std::string>{"IEEE C37.111-1999 not supported!"});
    EXPECT_EQ(report["outcome"].text, "rejected");
    EXPECT_EQ(report["model"]["station"].text, "Kallio");

    RecordingText binary;
    binary.type = "BINARY";
    report = Report(Write(binary), 0);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::kUnsupportedDataType});
    EXPECT_EQ(report["outcome"].text, "loaded");
    EXPECT_EQ(report["model"]["analog"][0]["peak"].number, 0);
}

TEST_F(CliTest, MissingFilesAndUsageErrorsExitWithTwo)
{
    const std::string noData = dir.Write("F1.cfg", RecordingText().Config());
    CliRun run = RunInProcess({"check", noData});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(messages::kFileNotExist) + "\n");

    const Json report = Report(noData, 2);
    EXPECT_EQ(Messages(report), std::vector<std::string>{messages::kFileNotExist});
    EXPECT_EQ(report["outcome"].text, "failed");
    EXPECT_EQ(report["data_file"].text, dir / "F1.dat");
    EXPECT_EQ(report["model"].Keys().size(), 15u);

    dir.Write("G1.dat", RecordingText().Data());
    EXPECT_EQ(RunInProcess({"check", dir / "G1.cfg"}).code, 2);
    run = RunInProcess({"csv", noData});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, std::string(messages::kFileNotExist) + "\n");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"verify", noData}, {"check"}, {"check", "--json"}, {"check", noData, "--pretty"},
             {"csv", noData, "--json"}, {"check", noData, noData}}) {
        run = RunInProcess(args);
        EXPECT_EQ(run.code, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: sevrana-cli check FILE.cfg [--json]"), std::string::npos);
    }
}

TEST_F(CliTest, FindsTheDataFileByCaseAndInDottedFolders)
{
    Write(RecordingText(), "F1", "F1.DAT");
    Json report = Report(cfg, 0);
    EXPECT_EQ(report["data_file"].text, dir / "F1.DAT");

    Write(RecordingText(), "2024.03/rec");
    EXPECT_EQ(dat, dir / "2024.03/rec.dat");
    report = Report(cfg, 0);
    EXPECT_EQ(report["data_file"].text, dat);
    EXPECT_EQ(report["outcome"].text, "loaded");
}

TEST_F(CliTest, JsonAndCsvEscaping)
{
    EXPECT_EQ(cli::JsonString("a\"b\\c\r\n\t\x01\x1f\x7f"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001\\u001f\x7f\"");
    EXPECT_EQ(cli::JsonString("\xC4"), "\"\xC3\x84\"");  // not UTF-8: read as Latin-1
    EXPECT_EQ(cli::CsvField("I,A"), "\"I,A\"");
    EXPECT_EQ(cli::CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(cli::CsvField("a\rb"), "\"a\rb\"");
    EXPECT_EQ(cli::CsvField("IA"), "IA");

    RecordingText r;
    r.analog[0] = "1,I\"A,A,,A,2,-1,0,-32767,32767";
    r.digital[0] = "3,L\xE4ht\xF6,0";  // Latin-1 in the file
    const Json report = Report(Write(r), 0);
    EXPECT_EQ(report["model"]["analog"][0]["name"].text, "I\"A");
    EXPECT_EQ(report["model"]["digital"][0]["name"].text, "L\xC3\xA4ht\xC3\xB6");
}

TEST_F(CliTest, BinaryWritesCsvSamples)
{
    RecordingText r;
    r.analog[0] = "1,I\"A,A,,A,2,-1,0,-32767,32767";
    const CliRun run = RunBinary({"csv", Write(r)}, dir);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "sample,time_s,\"I\"\"A\",UA,TRIP");
    EXPECT_EQ(lines[1], "1,0,19,-0.5,0");  // raw 10 * 2 - 1; raw -1 * 0.5
    EXPECT_EQ(lines[2], "2,0.001,39,-1,0");
    EXPECT_EQ(lines[10], "10,0.009,199,-5,1");
    EXPECT_EQ(run.out.find('\r'), std::string::npos);

    r.data.pop_back();
    const CliRun failed = RunBinary({"csv", Write(r)}, dir);
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("message: " + messages::ErrorAtLine(10, dat)), std::string::npos);
}

TEST_F(CliTest, BinaryExitCodes)
{
    EXPECT_EQ(RunBinary({}, dir).code, 2);
    EXPECT_EQ(RunBinary({"check", dir / "none.cfg"}, dir).err, std::string(messages::kFileNotExist) + "\n");
    EXPECT_EQ(RunBinary({"check", dir / "none.cfg"}, dir).code, 2);
    const CliRun good = RunBinary({"check", Write(TriggeredRecording()), "--json"}, dir);
    EXPECT_EQ(good.code, 0);
    EXPECT_EQ(Json::Parse(good.out)["model"]["trigger_sample"].number, 101);
    RecordingText rejected;
    rejected.header = "Kallio,REL-1,1999";
    EXPECT_EQ(RunBinary({"check", Write(rejected)}, dir).code, 1);
}

TEST_F(CliTest, BundledExampleLoads)
{
    const std::string example = SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg";
    const CliRun run = RunBinary({"check", example, "--json"}, dir);
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    const Json report = Json::Parse(run.out);
    EXPECT_EQ(report["outcome"].text, "loaded");
    const Json& m = report["model"];
    EXPECT_EQ(m["analog"].items.size(), static_cast<std::size_t>(m["analog_channels"].number));
    EXPECT_EQ(m["digital"].items.size(), static_cast<std::size_t>(m["digital_channels"].number));
    EXPECT_GT(m["sample_rate"].number, 0);
    EXPECT_GE(m["trigger_sample"].number, 1);
    EXPECT_LE(m["trigger_sample"].number, m["last_sample"].number);

    const CliRun csv = RunBinary({"csv", example}, dir);
    ASSERT_EQ(csv.code, 0) << csv.err;
    const auto lines = Lines(csv.out);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(m["last_sample"].number) + 1);
    const auto fields = static_cast<long>(2 + m["analog"].items.size() + m["digital"].items.size());
    for (const std::string& line : {lines[1], lines.back()})
        EXPECT_EQ(std::count(line.begin(), line.end(), ',') + 1, fields) << line;
}

}  // namespace
}  // namespace sevrana
