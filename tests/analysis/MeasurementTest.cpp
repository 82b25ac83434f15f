// Measurements on synthetic signals whose answers are known in closed form.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <tuple>

#include "Measurement.h"
#include "SyntheticRecording.h"

namespace sevrana::analysis {
namespace {

using testing::Model;
using testing::Signal;
using testing::Wave;

void ExpectPhasor(const Phasor& p, double magnitude, double angle, const std::string& what)
{
    EXPECT_NEAR(p.magnitude, magnitude, 1e-9 * magnitude) << what;
    EXPECT_NEAR(std::remainder(p.angle - angle, 360), 0, 1e-9 * std::max(1.0, std::fabs(angle))) << what;
}

TEST(MeasurementTest, CosinePhasorAgainstTheVoltageReference)
{
    struct Case {
        double magnitude, angle;
        long sample;
    };
    // 1000 Hz at 50 Hz: 20 samples a cycle, wherever the window ends; the reference turns with it.
    for (const Case c : {Case{7.5, -40, 20}, Case{1234.5, 180, 333}, Case{0.001, -179.5, 47}, Case{3, 90, 1000}}) {
        const RecordingModel m =
            Model(1000, 50, 1000, {{"A", "A", "", Wave(c.magnitude, c.angle - 25)}, {"kV", "A", "", Wave(100, -25)}});
        const Measurement r = Measure(m, c.sample);
        const std::string what = "sample " + std::to_string(c.sample);
        EXPECT_EQ(r.reference, 2) << what;
        EXPECT_EQ(std::pair(r.first, r.last), std::pair(c.sample - 19, c.sample)) << what;
        ExpectPhasor(r.channels[0].fundamental.value(), c.magnitude, c.angle, what);
        ExpectPhasor(r.channels[1].fundamental.value(), 100, 0, what);
        EXPECT_NEAR(r.channels[0].rms, c.magnitude, 1e-9 * c.magnitude) << what;
        EXPECT_EQ(r.channels[0].dc, 0) << what;
        EXPECT_NEAR(r.frequency.value(), 50, 1e-9) << what;
    }
}

TEST(MeasurementTest, SymmetricalComponents)
{
    // Balanced: all of it is positive sequence, in phase with A.
    const Measurement balanced = Measure(Model(1000, 50, 100,
                                               {{"kV", " l1", "Line 1", Wave(10, 20)},
                                                {"kV", "L2 ", "Line 1", Wave(10, -100)},
                                                {"kV", "l3", "Line 1", Wave(10, 140)}}),
                                         100);
    ASSERT_EQ(balanced.groups.size(), 1u);
    const GroupMeasurement& g = balanced.groups[0];
    EXPECT_EQ(g.channels, (std::array<long, 3>{1, 2, 3}));
    EXPECT_EQ(std::pair(g.circuit, g.unit), std::pair(std::string("Line 1"), std::string("kV")));
    ExpectPhasor(g.positive, 10, 0, "positive");
    EXPECT_LT(g.negative.magnitude, 1e-8);
    EXPECT_LT(g.zero.magnitude, 1e-8);

    // Phase A doubled and turned to -90 degrees, B and C untouched (100 A at -120 and 120),
    // against a voltage at 0 degrees. By hand, with a B = 100 and a^2 C = 100:
    //   zero     = (-200j - 100) / 3      -> 100 sqrt(5) / 3 = 74.535599249993, atan2(-2, -1) = -116.565051177078
    //   positive = (-200j + 100 + 100) / 3 -> 200 sqrt(2) / 3 = 94.2809041582063, -45
    //   negative = (-200j - 50 + 86.6j - 50 - 86.6j) / 3 = zero
    const Measurement fault = Measure(Model(1000, 50, 100,
                                            {{"V", "A", "", Wave(1, 0)},
                                             {"A", "c", "F7", Wave(100, 120)},
                                             {"A", "A", "F7", Wave(200, -90)},
                                             {"A", "B", "F7", Wave(100, -120)}}),
                                      60);
    ASSERT_EQ(fault.groups.size(), 1u);
    EXPECT_EQ(fault.groups[0].channels, (std::array<long, 3>{3, 4, 2}));
    ExpectPhasor(fault.groups[0].zero, 74.53559924999298, -116.56505117707799, "zero");
    ExpectPhasor(fault.groups[0].positive, 94.28090415820634, -45, "positive");
    ExpectPhasor(fault.groups[0].negative, 74.53559924999298, -116.56505117707799, "negative");
}

TEST(MeasurementTest, HarmonicsAndTotalDistortion)
{
    const auto x = [](double t) { return Wave(100, 10)(t) + Wave(20, 70, 100)(t) + Wave(7, -30, 250)(t); };
    const Measurement r = Measure(Model(3200, 50, 64, {{"A", "", "", x}}), 64);
    const ChannelMeasurement& c = r.channels[0];
    ASSERT_EQ(c.harmonics.size(), 15u);
    for (const Harmonic& h : c.harmonics) {
        const double expected = h.order == 1 ? 100 : h.order == 2 ? 20 : h.order == 5 ? 7 : 0;
        EXPECT_EQ(h.order, &h - c.harmonics.data() + 1);
        EXPECT_NEAR(*h.percent, expected, 1e-9) << h.order;
        EXPECT_NEAR(h.magnitude, expected, 1e-9) << h.order;
    }
    EXPECT_NEAR(*c.thd, 21.18962010041709, 1e-9);  // 100 sqrt(20^2 + 7^2) / 100
    EXPECT_NEAR(c.rms, 102.22035022440492, 1e-9);  // sqrt(100^2 + 20^2 + 7^2)
    ExpectPhasor(*c.fundamental, 100, 0, "its own reference");
}

TEST(MeasurementTest, DecayingOffsetAtTheRecordStart)
{
    // 100 halving every 20 samples, measured at sample 5: the window moves to samples 1..20.
    // With r = 2^(-1/20): DC = 5 (1 - r^20) / (1 - r) = 73.39197218304122,
    // RMS = sqrt(500 (1 - r^40) / (1 - r^2)) = 74.83162643456554.
    const RecordingModel m = Model(1000, 50, 30, {{"A", "", "", [](double t) { return 100 * std::exp2(-t * 50); }}});
    const Measurement r = Measure(m, 5);
    EXPECT_TRUE(r.windowMoved);
    EXPECT_EQ(std::pair(r.first, r.last), std::pair(1L, 20L));
    EXPECT_NEAR(r.channels[0].dc, 73.39197218304122, 1e-9);
    EXPECT_NEAR(r.channels[0].rms, 74.83162643456554, 1e-9);
    EXPECT_DOUBLE_EQ(r.channels[0].value, 100 * std::exp2(-0.2));
    EXPECT_FALSE(Measure(m, 20).windowMoved);
    EXPECT_EQ(Measure(m, 21).first, 2);
}

TEST(MeasurementTest, FrequencyOfTheReference)
{
    // f, fs, f0 and the sample; at sample 100 the ten cycles move to the record's start.
    for (const auto& [f, fs, f0, sample] :
         {std::tuple(49.5, 5000, 50, 2000), {50.7, 1000, 50, 100}, {59.2, 1000, 60, 1000}}) {
        const auto x = [f](double t) { return 30 + Wave(100, 40, f)(t); };
        const Measurement r = Measure(Model(fs, static_cast<std::int16_t>(f0), 2000, {{"V", "", "", x}}), sample);
        EXPECT_NEAR(r.frequency.value(), f, 0.01) << f;
    }
}

TEST(MeasurementTest, EdgeCases)
{
    // An all-zero channel as the chosen reference: everything relative to 0 degrees, no distortion.
    const RecordingModel m = Model(1000, 50, 200, {{"V", "A", ""}, {"A", "", "", Wave(5, 30)}});
    const Measurement r = Measure(m, 40, 1);
    EXPECT_EQ(r.reference, 1);
    EXPECT_EQ(std::pair(r.channels[0].fundamental->magnitude, r.channels[0].fundamental->angle), std::pair(0.0, 0.0));
    EXPECT_FALSE(r.channels[0].thd);
    EXPECT_FALSE(r.channels[0].harmonics[1].percent);
    EXPECT_FALSE(r.frequency);
    ExpectPhasor(*r.channels[1].fundamental, 5, 30, "against 0 degrees");
    EXPECT_TRUE(r.groups.empty());
    // A constant is not a fundamental of rounding noise.
    const Measurement constant = Measure(Model(1000, 50, 40, {{"A", "", "", [](double) { return 7.0; }}}), 40);
    EXPECT_EQ(constant.channels[0].fundamental->magnitude, 0.0);
    EXPECT_FALSE(constant.channels[0].thd);
    EXPECT_DOUBLE_EQ(constant.channels[0].rms, 7.0);

    EXPECT_THROW(Measure(m, 0), std::out_of_range);
    EXPECT_THROW(Measure(m, 201), std::out_of_range);
    EXPECT_THROW(Measure(m, 1, 3), std::out_of_range);
}

TEST(MeasurementTest, HugeValuesGiveFiniteResults)
{
    // A factor of 1e150 on raw values of +-30000: squares past 1e308 must not turn the RMS into
    // infinity, which would also let the residue rule zero the DC, the phasors and the sequences.
    const auto raw = [](double degrees) {
        return [=](double t) {
            return 1e150 *
                   std::round(30000 * std::cos(2 * std::numbers::pi * 50 * t + degrees * std::numbers::pi / 180));
        };
    };
    const RecordingModel m = Model(1000, 50, 200,
                                   {{"V", "A", "", raw(0)},
                                    {"V", "B", "", raw(-120)},
                                    {"V", "C", "", raw(120)},
                                    {"A", "", "", [](double t) { return 1.5e308 * (t < 0.1 ? 1 : -1); }}});
    const Measurement r = Measure(m, 100);
    // Worked out from the rounded raw values of samples 81..100, times 1e150.
    EXPECT_NEAR(r.channels[0].rms, 2.1213513909769874e154, 1e142);
    EXPECT_EQ(r.channels[0].dc, 0);
    ExpectPhasor(*r.channels[0].fundamental, 2.1213513908416797e154, 0, "A");
    ExpectPhasor(*r.channels[1].fundamental, 2.1213132275595708e154, -119.99968251571639, "B");
    EXPECT_NEAR(r.groups.at(0).positive.magnitude, 2.121325948631896e154, 1e142);
    EXPECT_NEAR(r.groups[0].negative.magnitude, 5.9346374238e148, 1e143);  // differences of 2e154: their rounding
    EXPECT_NEAR(r.groups[0].zero.magnitude, 1.9507572360e149, 1e143);
    EXPECT_NEAR(r.frequency.value(), 50, 1e-9);
    // Values near the largest double: the RMS is the value itself, the sums no infinity.
    EXPECT_DOUBLE_EQ(r.channels[3].rms, 1.5e308);
    EXPECT_DOUBLE_EQ(r.channels[3].dc, 1.5e308);
    const Measurement edge = Measure(m, 110);  // window 91..110: half of it +1.5e308, half -1.5e308
    EXPECT_DOUBLE_EQ(edge.channels[3].rms, 1.5e308);
    EXPECT_EQ(edge.channels[3].dc, 0);
}

TEST(MeasurementTest, GapsInTheWindowLeaveTheirResultsMissing)
{
    RecordingModel m = Model(1000, 50, 400,
                             {{"V", "A", "F", Wave(100, 0)},
                              {"V", "B", "F", Wave(100, -120)},
                              {"V", "C", "F", Wave(100, 120)},
                              {"A", "", "F", Wave(5, -30)}});
    const double gap = std::numeric_limits<double>::quiet_NaN();
    const double b390 = m.arrAnalogSamples(2, 390), a395 = m.arrAnalogSamples(1, 395);
    m.arrAnalogSamples(2, 390) = gap;  // in every window ending at 390..409 of phase B
    const Measurement r = Measure(m, 400);
    const ChannelMeasurement& b = r.channels[1];
    EXPECT_TRUE(std::isnan(b.rms) && std::isnan(b.dc) && std::isnan(*b.thd)) << b.rms << " " << b.dc;
    EXPECT_TRUE(std::isnan(b.fundamental->magnitude) && std::isnan(b.fundamental->angle));
    for (const Harmonic& h : b.harmonics) EXPECT_TRUE(std::isnan(h.magnitude) && std::isnan(*h.percent)) << h.order;
    EXPECT_FALSE(std::isnan(b.value));  // the sample itself is there
    // The group that uses phase B has no sequences; the other channels and the frequency stand.
    for (const Phasor& p : {r.groups.at(0).zero, r.groups[0].positive, r.groups[0].negative})
        EXPECT_TRUE(std::isnan(p.magnitude) && std::isnan(p.angle));
    ExpectPhasor(*r.channels[3].fundamental, 5, -30, "IA");
    EXPECT_NEAR(r.channels[0].rms, 100, 1e-9);
    EXPECT_NEAR(r.frequency.value(), 50, 1e-9);
    EXPECT_TRUE(std::isnan(Measure(m, 390).channels[1].value));
    EXPECT_NEAR(Measure(m, 389).channels[1].rms, 100, 1e-9);  // the gap is past this window

    // A gap in the reference: no frequency, and every angle (measured against it) missing, but the
    // magnitudes of the other channels stay.
    m.arrAnalogSamples(2, 390) = b390;
    m.arrAnalogSamples(1, 395) = gap;
    const Measurement noReference = Measure(m, 400);
    EXPECT_FALSE(noReference.frequency);
    EXPECT_TRUE(std::isnan(noReference.channels[3].fundamental->angle));
    EXPECT_NEAR(noReference.channels[3].fundamental->magnitude, 5, 1e-9);
    // Before the one-cycle window, but inside the ten cycles the frequency is counted over.
    m.arrAnalogSamples(1, 395) = a395;
    m.arrAnalogSamples(1, 250) = gap;
    const Measurement earlier = Measure(m, 400);
    EXPECT_FALSE(earlier.frequency);
    ExpectPhasor(*earlier.channels[3].fundamental, 5, -30, "IA against a reference with a gap before its window");
    EXPECT_NEAR(Measure(m, 400, 2).frequency.value(), 50, 1e-9);
}

TEST(MeasurementTest, SamplesPerCycle)
{
    struct Case {
        std::int32_t fs, N;
        std::int16_t f0;
        int n;
        bool approximate, phasors;
        long first, last;
    };
    for (const Case c : {
             Case{1000, 100, 60, 17, true, true, 84, 100},   // 16.67
             Case{1000, 100, 50, 20, false, true, 81, 100},  //
             Case{125, 100, 50, 2, true, false, 99, 100},    // 2.5: halves to even
             Case{175, 100, 50, 4, true, true, 97, 100},     // 3.5
             Case{1000, 10, 50, 20, false, false, 1, 10},    // fewer samples than a cycle
             Case{1000, 100, 0, 0, false, false, 100, 100},  // no line frequency
         }) {
        const std::string what = std::to_string(c.fs) + " at " + std::to_string(c.f0);
        const Measurement r = Measure(Model(c.fs, c.f0, c.N, {{"V", "A", "", Wave(2, 0, 50)}}), c.N);
        EXPECT_EQ(r.samplesPerCycle, c.n) << what;
        EXPECT_EQ(r.cycleApproximate, c.approximate) << what;
        EXPECT_EQ(r.phasors, c.phasors) << what;
        EXPECT_EQ(std::pair(r.first, r.last), std::pair(c.first, c.last)) << what;
        EXPECT_EQ(r.channels[0].fundamental.has_value(), c.phasors) << what;
        EXPECT_EQ(r.channels[0].harmonics.size(), c.phasors ? std::min(15u, c.n / 2u) : 0u) << what;
        EXPECT_EQ(r.channels[0].thd.has_value(), c.phasors) << what;
    }
}

TEST(MeasurementTest, ThreePhaseGroupsAndDefaultReference)
{
    struct Case {
        std::vector<std::array<std::string, 3>> channels;  // unit, phase, circuit
        std::vector<std::array<long, 3>> groups;
        long reference;
    };
    using G = std::array<long, 3>;
    const std::vector<Case> cases = {
        {{{"A", "A", ""}, {"kV", "b", ""}, {"V", "A", ""}}, {}, 3},    // phase C missing
        {{{"A", "A", "x"}, {"A", "B", "x"}, {"A", "C", "y"}}, {}, 1},  // circuits differ
        {{{"A", "A", ""}, {"kA", "B", ""}, {"A", "C", ""}}, {}, 1},    // units differ
        {{{"A", "A", ""}, {"A", "L2", ""}, {"A", "L3", ""}}, {}, 1},   // schemes mixed
        {{{"mv", "", ""}, {"kV", "L1", ""}, {"kV", "L3", ""}, {"kV", "l2", ""}}, {G{2, 4, 3}}, 2},
        {{{"kVA", "A", ""}, {"Hz", "A", ""}}, {}, 1},                 // no voltage
        {{{"A", "N", ""}, {"mV", "B", ""}, {"kv", "C", ""}}, {}, 2},  // no phase A voltage
        {{{" A ", "a", " F1 "},
          {"A", "b", "F1"},
          {"A", "c", "F1"},
          {"A", "A", "F1"},
          {"A", "C", "F1"},
          {"A", "B", "F1"}},
         {G{1, 2, 3}, G{4, 6, 5}},
         1},  // two lines, one field
        {{{"A", "C", "2"}, {"A", "B", "2"}, {"A", "A", "1"}, {"A", "B", "1"}, {"A", "C", "1"}, {"A", "A", "2"}},
         {G{6, 2, 1}, G{3, 4, 5}},
         1},  // by first channel
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        std::vector<Signal> signals;
        for (const auto& [unit, phase, circuit] : cases[k].channels)
            signals.push_back({unit, phase, circuit, Wave(1, 0)});
        const RecordingModel m = Model(1000, 50, 20, signals);
        const Measurement r = Measure(m, 20);
        std::vector<G> groups;
        for (const GroupMeasurement& g : r.groups) groups.push_back(g.channels);
        EXPECT_EQ(groups, cases[k].groups) << "case " << k;
        EXPECT_EQ(DefaultReference(m), cases[k].reference) << "case " << k;
    }
    EXPECT_EQ(DefaultReference(RecordingModel{}), 0);
}

}  // namespace
}  // namespace sevrana::analysis
