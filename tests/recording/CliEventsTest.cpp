// sevrana-cli events: the lines and the JSON object of a small recording whose every
// change is written out, the channels asked for, and its usage errors.

#include <gtest/gtest.h>

#include <sstream>

#include "CliCommands.h"
#include "RecordingText.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::RecordingText;
using testing::TempDir;

struct EventsRun {
    int code = -1;
    std::string out;
    std::string err;
};

EventsRun Events(std::vector<std::string> args)
{
    std::ostringstream out, err;
    args.insert(args.begin(), "events");
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

/// Six samples at 1000 per second, trigger at 2 ms (sample 3). PU rises at 2 and falls at 5 with
/// TRIP, which rose at 3; CB CLOSED (normally 1) opens at 4 and closes on the last sample.
RecordingText Breaker(const std::string& trigger = "01/01/00,00:00:00.002000")
{
    RecordingText r;
    r.counts = "4,1A,3D";
    r.analog = {"1,IA,A,,A,1,0,0,-100,100"};
    r.digital = {"2,PU,0", "3,TRIP,0", "4, CB CLOSED ,1"};
    r.rate = "1000,6";
    r.trigger = trigger;
    r.data.clear();
    const char* states[] = {"0,0,1", "1,0,1", "1,1,1", "1,1,0", "0,0,0", "0,0,1"};
    for (int n = 1; n <= 6; ++n)
        r.data.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 1000) + ",7," + states[n - 1]);
    return r;
}

class CliEventsTest : public ::testing::Test {
protected:
    std::string Write(const RecordingText& r, const std::string& name = "B")
    {
        dir.Write(name + ".dat", r.Data());
        return dir.Write(name + ".cfg", r.Config());
    }
    TempDir dir;
};

TEST_F(CliEventsTest, LinesAndJsonOfEveryChange)
{
    const std::string cfg = Write(Breaker());
    const EventsRun text = Events({cfg});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out,
              "0.001000\t2\t1\tPU\t0\t1\n"
              "0.002000\t3\t2\tTRIP\t0\t1\n"
              "0.003000\t4\t3\tCB CLOSED\t1\t0\n"
              "0.004000\t5\t1\tPU\t1\t0\n"
              "0.004000\t5\t2\tTRIP\t1\t0\n"
              "0.005000\t6\t3\tCB CLOSED\t0\t1\n");

    // Both lists limited to the channels asked for, each once.
    const EventsRun json = Events({cfg, "--json", "--channel", "3", "--channel=1", "--channel", "3"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
              "{\n  \"sample_rate\": 1000,\n  \"samples\": 6,\n  \"trigger_sample\": 3,\n  \"channels\": [\n"
              "    {\"index\": 1, \"name\": \"PU\", \"normal\": 0, \"initial\": 0, \"changes\": 2},\n"
              "    {\"index\": 3, \"name\": \"CB CLOSED\", \"normal\": 1, \"initial\": 1, \"changes\": 2}\n  ],\n"
              "  \"events\": [\n"
              "    {\"sample\": 2, \"time\": 0.001, \"channel\": 1, \"name\": \"PU\", \"from\": 0, \"to\": 1},\n"
              "    {\"sample\": 4, \"time\": 0.003, \"channel\": 3, \"name\": \"CB CLOSED\", \"from\": 1, \"to\": 0},\n"
              "    {\"sample\": 5, \"time\": 0.004, \"channel\": 1, \"name\": \"PU\", \"from\": 1, \"to\": 0},\n"
              "    {\"sample\": 6, \"time\": 0.005, \"channel\": 3, \"name\": \"CB CLOSED\", \"from\": 0, \"to\": 1}\n"
              "  ]\n}\n");
    EXPECT_EQ(Events({cfg, "--channel", "2"}).out, "0.002000\t3\t2\tTRIP\t0\t1\n0.004000\t5\t2\tTRIP\t1\t0\n");
}

TEST_F(CliEventsTest, TriggerOutsideTheRecordAndARecordOfOneSample)
{
    RecordingText one = Breaker("01/01/00,00:00:00.009000");  // 9 ms: after the last sample
    one.rate = "1000,1";
    one.data.resize(1);
    const EventsRun json = Events({Write(one), "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out,
              "{\n  \"sample_rate\": 1000,\n  \"samples\": 1,\n  \"trigger_sample\": null,\n  \"channels\": [\n"
              "    {\"index\": 1, \"name\": \"PU\", \"normal\": 0, \"initial\": 0, \"changes\": 0},\n"
              "    {\"index\": 2, \"name\": \"TRIP\", \"normal\": 0, \"initial\": 0, \"changes\": 0},\n"
              "    {\"index\": 3, \"name\": \"CB CLOSED\", \"normal\": 1, \"initial\": 1, \"changes\": 0}\n  ],\n"
              "  \"events\": []\n}\n");
    EXPECT_EQ(Events({Write(one)}).out, "");
}

TEST_F(CliEventsTest, UsageErrorsAndFailures)
{
    const std::string cfg = Write(Breaker());
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } usage[] = {
        {{cfg, "--channel", "4"}, "digital channel 4 is outside 1..3"},
        {{cfg, "--channel", "0"}, "digital channel 0 is outside 1..3"},
        {{cfg, "--channel", "-1"}, "--channel needs a channel number, not '-1'"},
        {{cfg, "--channel=x"}, "--channel needs a channel number, not 'x'"},
        {{cfg, "--channel"}, "missing value after --channel"},
        {{cfg, "--sample", "1"}, "unknown option '--sample'"},
        {{}, "missing configuration file"},
        {{cfg, cfg}, "more than one configuration file"},
    };
    for (const auto& u : usage) {
        const EventsRun run = Events(u.args);
        EXPECT_EQ(run.code, 2) << u.problem;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), std::string("sevrana-cli: ") + u.problem);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Events({dir.Path() + "/none.cfg"}).code, 2);
    RecordingText broken = Breaker();
    broken.rate = "0,6";
    const EventsRun failed = Events({Write(broken, "X")});
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.out, "");
}

}  // namespace
}  // namespace sevrana
