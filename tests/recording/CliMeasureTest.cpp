// sevrana-cli measure: the tables and the JSON object on the example recording and on a
// generated one whose every number can be worked out by hand, and its usage errors.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "CliCommands.h"
#include "CliMeasure.h"
#include "RecordingText.h"
#include "SyntheticRecording.h"
#include "TempDir.h"

namespace sevrana {
namespace {

using testing::RecordingText;
using testing::TempDir;

struct MeasureRun {
    int code = -1;
    std::string out;
    std::string err;
};

MeasureRun Measure(std::vector<std::string> args)
{
    std::ostringstream out, err;
    args.insert(args.begin(), "measure");
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

/// Every piece appears in the text.
void ExpectIn(const std::string& text, const std::vector<std::string>& pieces)
{
    for (const std::string& piece : pieces) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
}

const std::string kExample = SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg";

TEST(CliMeasureTest, ExampleRecordingAtItsTrigger)
{
    // Worked out apart from the program, from the data file: the trigger is at 0.1 s, sample 201 of
    // 2000 per second, so the 40-sample window is 162..201; UA (phase A, kV) is the reference.
    const MeasureRun text = Measure({kExample});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out.substr(0, text.out.find("\n\n")),
              "Sample\t201\nTime\t0.100000 s\nWindow\t162..201, 0.080500 s..0.100000 s\nFrequency\t49.996 Hz\n"
              "Reference\tUA\nCycle\t40 samples");
    ExpectIn(text.out, {"\nIA\tA\t-29.000 A\t212.30 A\t0.10000 A\t212.21 A\t-25.0°\t3.0 %\t0.1 %\n",
                        "\nIN\tA\t12.500 A\t22.647 A\t0.087500 A\t12.353 A\t63.6°\t153.6 %\t1.8 %\n",
                        "\nFeeder F1\tIA, IB, IC\t4.1178 A\t63.6°\t212.13 A\t-25.0°\t4.0907 A\t-115.4°\n"});

    const MeasureRun json = Measure({kExample, "--json", "--reference", "5"});
    EXPECT_EQ(json.code, 0) << json.err;
    ExpectIn(
        json.out,
        {"{\n  \"sample\": 201,\n  \"time\": 0.1,\n  \"samples_per_cycle\": 40,\n  \"window\": [162, 201],\n"
         "  \"window_moved\": false,\n  \"reference\": 5,\n  \"frequency\": 49.996354034628",
         "{\"index\": 1, \"name\": \"IA\", \"unit\": \"A\", \"phase\": \"A\", \"circuit\": \"Feeder F1\", \"value\": "
         "-29, \"dc\": 0.1, \"rms\": 212.30267308726945, \"fundamental\": {\"magnitude\": 212.205072333827, "
         "\"angle\": -25.003414667905",
         "\"harmonics\": [{\"order\": 1, \"magnitude\": 212.205072333827, \"percent\": 100}, {\"order\": 2, ",
         "\"groups\": [\n    {\"circuit\": \"Feeder F1\", \"unit\": \"A\", \"channels\": [1, 2, 3], \"zero\": "
         "{\"magnitude\": 4.11779351782372",
         "{\"circuit\": \"Feeder F1\", \"unit\": \"kV\", \"channels\": [5, 6, 7]"});

    // 0.10025 s is sample 200.5 + 1: halves to even, 201. With IA as reference, UA leads it by 25.
    const MeasureRun at = Measure({kExample, "--at", "0.10025", "--reference=1"});
    ExpectIn(at.out,
             {"Sample\t201\n", "Reference\tIA\n", "\nUA\tkV\t30.720 kV\t63.509 kV\t0.00030000 kV\t63.509 kV\t25.0°\t"});
    ExpectIn(Measure({kExample, "--at=0.00025"}).out,
             {"Window\t1..40, 0.000000 s..0.019500 s, from the record's start\n"});
    ExpectIn(Measure({kExample, "--sample", "1000"}).out, {"Sample\t1000\nTime\t0.499500 s\n"});
}

TEST(CliMeasureTest, GeneratedRecordingWorkedOutByHand)
{
    // 200 samples a second at 50 Hz: 4 samples a cycle. UA reads 100, 0, -100, 0 (a cosine of
    // RMS 100 / sqrt(2) = 70.71067811865476); IA reads 0, 5, 0, -5 (90 degrees behind it, RMS
    // sqrt(12.5) = 3.5355339059327378); IN is 3 throughout. The trigger at 25 ms is sample 6, the
    // window samples 3..6; UA rises through 0 at samples 4, 8 and 12: 2 cycles in 40 ms. The phase
    // and circuit fields are kept trimmed.
    RecordingText r;
    r.header = "Bay,GEN-1,1991";
    r.counts = "3,3A,0D";
    r.analog = {"1,UA,A,Line 1,kV,1,0,0,-32767,32767", "2,IA, a , Line 1 ,A,0.1,0,0,-32767,32767",
                "3,IN,N,Line 1,A,1,0,0,-32767,32767"};
    r.digital.clear();
    r.rate = "200,12";
    r.trigger = "01/01/00,00:00:00.025000";
    r.data.clear();
    const char* ua[] = {"100", "0", "-100", "0"};
    const char* ia[] = {"0", "50", "0", "-50"};
    for (int n = 1; n <= 12; ++n)
        r.data.push_back(std::to_string(n) + "," + std::to_string((n - 1) * 5000) + "," + ua[(n - 1) % 4] + "," +
                         ia[(n - 1) % 4] + ",3");
    TempDir dir;
    dir.Write("G.dat", r.Data());
    const std::string cfg = dir.Write("G.cfg", r.Config());

    const MeasureRun json = Measure({"--json", cfg});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(
        json.out,
        "{\n  \"sample\": 6,\n  \"time\": 0.025,\n  \"samples_per_cycle\": 4,\n  \"window\": [3, 6],\n"
        "  \"window_moved\": false,\n  \"reference\": 1,\n  \"frequency\": 50,\n  \"channels\": [\n"
        "    {\"index\": 1, \"name\": \"UA\", \"unit\": \"kV\", \"phase\": \"A\", \"circuit\": \"Line 1\", "
        "\"value\": 0, \"dc\": 0, \"rms\": 70.71067811865476, \"fundamental\": {\"magnitude\": 70.71067811865476, "
        "\"angle\": 0}, \"harmonics\": [{\"order\": 1, \"magnitude\": 70.71067811865476, \"percent\": 100}, "
        "{\"order\": 2, \"magnitude\": 0, \"percent\": 0}], \"thd\": 0},\n"
        "    {\"index\": 2, \"name\": \"IA\", \"unit\": \"A\", \"phase\": \"a\", \"circuit\": \"Line 1\", "
        "\"value\": 5, \"dc\": 0, \"rms\": 3.5355339059327378, \"fundamental\": {\"magnitude\": "
        "3.5355339059327378, \"angle\": -90}, \"harmonics\": [{\"order\": 1, \"magnitude\": 3.5355339059327378, "
        "\"percent\": 100}, {\"order\": 2, \"magnitude\": 0, \"percent\": 0}], \"thd\": 0},\n"
        "    {\"index\": 3, \"name\": \"IN\", \"unit\": \"A\", \"phase\": \"N\", \"circuit\": \"Line 1\", "
        "\"value\": 3, \"dc\": 3, \"rms\": 3, \"fundamental\": {\"magnitude\": 0, \"angle\": 0}, \"harmonics\": "
        "[{\"order\": 1, \"magnitude\": 0, \"percent\": null}, {\"order\": 2, \"magnitude\": 0, \"percent\": "
        "null}], \"thd\": null}\n  ],\n  \"groups\": []\n}\n");

    const MeasureRun text = Measure({cfg});
    EXPECT_EQ(text.out,
              "Sample\t6\nTime\t0.025000 s\nWindow\t3..6, 0.010000 s..0.025000 s\nFrequency\t50.000 Hz\n"
              "Reference\tUA\nCycle\t4 samples\n\n"
              "Channel\tUnit\tValue\tRMS\tDC\tFundamental\tAngle\tTHD\t2nd harmonic\n"
              "UA\tkV\t0 kV\t70.711 kV\t0 kV\t70.711 kV\t0.0°\t0.0 %\t0.0 %\n"
              "IA\tA\t5.0000 A\t3.5355 A\t0 A\t3.5355 A\t-90.0°\t0.0 %\t0.0 %\n"
              "IN\tA\t3.0000 A\t3.0000 A\t3.0000 A\t0 A\t0.0°\t--\t--\n");

    // Usage errors exit with 2 and say what is wrong, before or after loading.
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } usage[] = {
        {{cfg, "--sample", "0"}, "sample 0 is outside 1..12"},
        {{cfg, "--sample", "13"}, "sample 13 is outside 1..12"},
        {{cfg, "--at", "0.0575"}, "--at 0.0575 s is outside the record"},  // sample 12.5 + 1: 13
        {{cfg, "--at", "-0.01"}, "--at -0.01 s is outside the record"},
        {{cfg, "--sample", "2.5"}, "--sample needs a whole number, not '2.5'"},
        {{cfg, "--at", "1s"}, "--at needs a time in seconds, not '1s'"},
        {{cfg, "--reference", "4"}, "reference channel 4 is outside 1..3"},
        {{cfg, "--reference", "x"}, "--reference needs a channel number, not 'x'"},
        {{cfg, "--at", "0", "--sample", "1"}, "--at and --sample cannot both be given"},
        {{cfg, "--sample", "1", "--sample=2"}, "--sample given twice"},
        {{cfg, "--reference"}, "missing value after --reference"},
        {{cfg, "--csv"}, "unknown option '--csv'"},
        {{}, "missing configuration file"},
        {{cfg, cfg}, "more than one configuration file"},
    };
    for (const auto& u : usage) {
        const MeasureRun run = Measure(u.args);
        EXPECT_EQ(run.code, 2) << u.problem;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), std::string("sevrana-cli: ") + u.problem);
        EXPECT_EQ(run.out, "");
    }
    // round(t * 200) + 1, halves to even: 10.5 goes down to 10, 5.5 up to 6.
    EXPECT_EQ(Measure({cfg, "--at", "0.0525"}).out.substr(0, 10), "Sample\t11\n");
    EXPECT_EQ(Measure({cfg, "--at", "0.0275"}).out.substr(0, 9), "Sample\t7\n");
}

TEST(CliMeasureJson, QuantitiesMeasuredOverAGapAreNull)
{
    // 4 samples a cycle; IA misses sample 5, inside the window 3..6 of sample 6: every IA quantity
    // but the sample's own value is null, while UA's and the frequency of UA stand.
    using testing::Wave;
    RecordingModel m =
        testing::Model(200, 50, 12, {{"kV", "", "", Wave(100, 0), "UA"}, {"A", "", "", Wave(5, -90), "IA"}});
    m.arrAnalogSamples(2, 5) = std::nan("");
    const std::string json = cli::MeasurementJson(m, analysis::Measure(m, 6));
    EXPECT_NE(json.find("\"frequency\": 5"), std::string::npos) << json;  // 50 within rounding
    EXPECT_NE(json.find("\"dc\": null, \"rms\": null, \"fundamental\": {\"magnitude\": null, \"angle\": null}, "
                        "\"harmonics\": [{\"order\": 1, \"magnitude\": null, \"percent\": null}, {\"order\": 2, "
                        "\"magnitude\": null, \"percent\": null}], \"thd\": null}\n  ]"),
              std::string::npos)
        << json;
    EXPECT_GT(json.find("null"), json.find("\"name\": \"IA\""));  // none of UA's
}

}  // namespace
}  // namespace sevrana
