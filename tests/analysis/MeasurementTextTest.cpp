// The measurements as text: number formats and the tab-separated tables.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "MeasurementText.h"
#include "SyntheticRecording.h"

namespace sevrana::analysis {
namespace {

TEST(MeasurementTextTest, NumberFormats)
{
    const struct {
        double v;
        const char* unit;
        const char* text;
    } values[] = {
        {0, "A", "0 A"},
        {-0.0, "", "0"},
        {63.50853, "kV", "63.509 kV"},
        {100, "A", "100.00 A"},
        {-1.23456, "V", "-1.2346 V"},
        {9.99996, "", "10.000"},
        {0.5, "Hz", "0.50000 Hz"},
        {12345.6, "A", "12346 A"},
        {123456.7, "A", "123460 A"},
        {9999949999, "", "9999900000"},
        {9999999999, "", "1.0000E+10"},
        {-2.5e12, "W", "-2.5000E+12 W"},
        {0.000012345, "A", "0.000012345 A"},
        {0.0000012345, "A", "1.2345E-06 A"},
        {std::nan(""), "A", "--"},
    };
    for (const auto& c : values) EXPECT_EQ(FormatValue(c.v, c.unit), c.text) << c.v;

    const struct {
        std::optional<double> v;
        const char* angle;
        const char* percent;
    } tenths[] = {
        {std::nullopt, "--", "--"},    {-0.04, "0.0°", "0.0 %"},   {-179.96, "180.0°", "-180.0 %"},
        {180, "180.0°", "180.0 %"},    {12.25, "12.2°", "12.2 %"}, {-45, "-45.0°", "-45.0 %"},
        {21.18962, "21.2°", "21.2 %"},
    };
    for (const auto& c : tenths) {
        EXPECT_EQ(FormatAngle(c.v), c.angle) << c.v.value_or(-1);
        EXPECT_EQ(FormatPercent(c.v), c.percent) << c.v.value_or(-1);
    }
    EXPECT_EQ(FormatSeconds(0.0395), "0.039500 s");

    const struct {
        double in, out;
    } wraps[] = {{180, 180}, {-180, 180}, {540, 180}, {-190, 170}, {190, -170}, {-360, 0}, {725, 5}, {-0.0, 0}};
    for (const auto& w : wraps) {
        EXPECT_EQ(WrapAngle(w.in), w.out) << w.in;
        EXPECT_EQ(std::signbit(WrapAngle(w.in)), std::signbit(w.out)) << w.in << ": -0 is not 0";
    }
}

RecordingModel ThreeVoltagesAndACurrent(std::int32_t fs = 1000, std::int16_t f0 = 50)
{
    using testing::Wave;
    return testing::Model(fs, f0, 60,
                          {{"kV", "A", "Bay 1", Wave(100, 18), "UA"},
                           {"kV", "B", "Bay 1", Wave(100, -102), "UB"},
                           {"kV", "C", "Bay 1", Wave(100, 138), "UC"},
                           {"A", "", "Bay 1", Wave(5, -42), "IA"}});
}

TEST(MeasurementTextTest, TablesOfOneMeasurement)
{
    // At sample 40 the window holds one whole cycle and UA's wave is at its crest.
    const RecordingModel m = ThreeVoltagesAndACurrent();
    EXPECT_EQ(TablesText(m, Measure(m, 40)),
              "Sample\t40\n"
              "Time\t0.039000 s\n"
              "Window\t21..40, 0.020000 s..0.039000 s\n"
              "Frequency\t50.000 Hz\n"
              "Reference\tUA\n"
              "Cycle\t20 samples\n"
              "\n"
              "Channel\tUnit\tValue\tRMS\tDC\tFundamental\tAngle\tTHD\t2nd harmonic\n"
              "UA\tkV\t141.42 kV\t100.00 kV\t0 kV\t100.00 kV\t0.0°\t0.0 %\t0.0 %\n"
              "UB\tkV\t-70.711 kV\t100.00 kV\t0 kV\t100.00 kV\t-120.0°\t0.0 %\t0.0 %\n"
              "UC\tkV\t-70.711 kV\t100.00 kV\t0 kV\t100.00 kV\t120.0°\t0.0 %\t0.0 %\n"
              "IA\tA\t3.5355 A\t5.0000 A\t0 A\t5.0000 A\t-60.0°\t0.0 %\t0.0 %\n"
              "\n"
              "Group\tChannels\tZero\tZero angle\tPositive\tPositive angle\tNegative\tNegative angle\n"
              "Bay 1\tUA, UB, UC\t0 kV\t0.0°\t100.00 kV\t0.0°\t0 kV\t0.0°\n");

    // Sample 3: the window moves to the record's start; 1000 Hz at 60 Hz has no whole cycle.
    const RecordingModel at60 = ThreeVoltagesAndACurrent(1000, 60);
    const std::string text = TablesText(at60, Measure(at60, 3));
    EXPECT_NE(text.find("Window\t1..17, 0.000000 s..0.016000 s, from the record's start\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Cycle\t17 samples, approximate\n"), std::string::npos) << text;
    // 125 Hz: a cycle of 2.5 samples gives 2 and no phasors; samples 2 and 3 are at 144 + 18 and
    // 288 + 18 degrees, cosines squared summing to 1.25.
    const RecordingModel slow = ThreeVoltagesAndACurrent(125, 50);
    EXPECT_NE(TablesText(slow, Measure(slow, 3))
                  .find("Cycle\t2 samples, approximate, no phasors\n\nChannel\tUnit\tValue\tRMS\tDC\tFundamental\t"
                        "Angle\tTHD\t2nd harmonic\nUA\tkV\t83.125 kV\t111.80 kV\t"),
              std::string::npos);
}

TEST(MeasurementTextTest, TablesOfTwoMeasurementsAndTheirDifference)
{
    const RecordingModel m = ThreeVoltagesAndACurrent();
    Measurement m1 = Measure(m, 40);
    Measurement m2 = Measure(m, 43);
    // Set by hand: an angle that crosses 180, a distortion only M2 has, groups and frequency.
    m1.channels[3].fundamental = Phasor{5, 170};
    m2.channels[3].fundamental = Phasor{6.5, -170};
    m2.channels[3].thd = 5;
    m1.channels[3].thd.reset();
    m1.groups[0].negative = {1.25, -100};
    m2.groups[0].negative = {1, 100};
    m2.frequency.reset();
    const std::string text = TablesText(m, m1, &m2);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1)
        lines.push_back(text.substr(at, (end = text.find('\n', at)) - at));
    ASSERT_EQ(lines.size(), 15u) << text;
    EXPECT_EQ(lines[0], "Sample\t40\t43\t3");
    EXPECT_EQ(lines[1], "Time\t0.039000 s\t0.042000 s\t0.003000 s");
    EXPECT_EQ(lines[2], "Window\t21..40, 0.020000 s..0.039000 s\t24..43, 0.023000 s..0.042000 s");
    EXPECT_EQ(lines[3], "Frequency\t50.000 Hz\t--\t--");
    EXPECT_EQ(
        lines[7],
        "Channel\tUnit\tValue M1\tValue M2\tValue M2 - M1\tRMS M1\tRMS M2\tRMS M2 - M1\tDC M1\tDC M2\tDC M2 - M1\t"
        "Fundamental M1\tFundamental M2\tFundamental M2 - M1\tAngle M1\tAngle M2\tAngle M2 - M1\tTHD M1\tTHD "
        "M2\tTHD M2 - M1\t2nd harmonic M1\t2nd harmonic M2\t2nd harmonic M2 - M1");
    // 83.12538755549055 - 141.4213562373095; the RMS values differ by rounding only.
    EXPECT_EQ(lines[8],
              "UA\tkV\t141.42 kV\t83.125 kV\t-58.296 kV\t100.00 kV\t100.00 kV\t0 kV\t0 kV\t0 kV\t0 kV\t100.00 kV\t"
              "100.00 kV\t0 kV\t0.0°\t0.0°\t0.0°\t0.0 %\t0.0 %\t0.0 %\t0.0 %\t0.0 %\t0.0 %");
    EXPECT_EQ(lines[11],
              "IA\tA\t3.5355 A\t7.0323 A\t3.4968 A\t5.0000 A\t5.0000 A\t0 A\t0 A\t0 A\t0 A\t5.0000 A\t6.5000 A\t"
              "1.5000 A\t170.0°\t-170.0°\t20.0°\t--\t5.0 %\t--\t0.0 %\t0.0 %\t0.0 %");
    EXPECT_EQ(lines[14],
              "Bay 1\tUA, UB, UC\t0 kV\t0 kV\t0 kV\t0.0°\t0.0°\t0.0°\t100.00 kV\t100.00 kV\t0 kV\t0.0°\t0.0°\t0.0°\t"
              "1.2500 kV\t1.0000 kV\t-0.25000 kV\t-100.0°\t100.0°\t-160.0°");
}

TEST(MeasurementTextTest, EveryQuantityMeasuredOverAGapShowsDashes)
{
    // Phase B misses sample 35: every quantity of its window and the group's sequences are
    // "--", in M1, in M2 and in their difference; the sample's own value still shows.
    RecordingModel m = ThreeVoltagesAndACurrent();
    m.arrAnalogSamples(2, 35) = std::nan("");
    const std::string one = TablesText(m, Measure(m, 40));
    EXPECT_NE(one.find("\nUB\tkV\t-70.711 kV\t--\t--\t--\t--\t--\t--\n"), std::string::npos) << one;
    EXPECT_NE(one.find("\nUC\tkV\t-70.711 kV\t100.00 kV\t0 kV\t100.00 kV\t120.0°\t0.0 %\t0.0 %\n"), std::string::npos)
        << one;
    EXPECT_NE(one.find("\nBay 1\tUA, UB, UC\t--\t--\t--\t--\t--\t--\n"), std::string::npos) << one;
    const Measurement m1 = Measure(m, 60);  // window 41..60: no gap
    const Measurement m2 = Measure(m, 35);  // the gap is the measurement sample itself
    const std::string two = TablesText(m, m1, &m2);
    EXPECT_NE(two.find("\nUB\tkV\t-70.711 kV\t--\t--\t100.00 kV\t--\t--\t0 kV\t--\t--\t100.00 kV\t--\t--\t"
                       "-120.0°\t--\t--\t0.0 %\t--\t--\t0.0 %\t--\t--\n"),
              std::string::npos)
        << two;
    EXPECT_EQ(std::tuple(FormatAngle(std::nan("")), FormatPercent(std::nan("")), FormatValue(std::nan(""), "A")),
              std::tuple("--", "--", "--"));
}

}  // namespace
}  // namespace sevrana::analysis
