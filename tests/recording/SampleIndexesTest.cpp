// The indexes kept for drawing, against a plain walk over the samples: the
// pyramid's range of any stretch, and the digital change positions and the
// states they change to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include "DigitalEdges.h"
#include "MinMaxPyramid.h"

namespace sevrana {
namespace {

TEST(MinMaxPyramid, RangesMatchAPlainWalkThatLeavesGapsOut)
{
    // A short record has no whole block at all; a long one is built on several cores. Channel 3
    // misses stretches of every length (the second time round), some of whole blocks of every level.
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [gaps, samples] :
         {std::pair(false, 10L), {false, 70000L}, {false, 700001L}, {true, 10L}, {true, 70000L}, {true, 700001L}}) {
        RecordingModel m;
        m.varAnalogChannels = 3;
        m.lngLastSample = static_cast<std::int32_t>(samples);
        m.arrAnalogSamples.Redim(3, samples + 1);
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0, 100);
        for (long n = 1; n <= samples; ++n)
            for (long c = 1; c <= 3; ++c) m.arrAnalogSamples(c, n) = noise(rng) * static_cast<double>(c);
        // One-sample spikes must survive every level.
        m.arrAnalogSamples(1, samples / 3) = 1e6;
        m.arrAnalogSamples(2, samples / 2) = -1e6;
        std::uniform_int_distribution<long> start(1, samples), length(0, 3000);
        for (int k = 0; gaps && k < 40; ++k) {
            const long a = k == 0 ? 4097 : k % 4 == 0 ? (start(rng) & ~15L) + 1 : start(rng);
            for (long n = a; n <= std::min(samples, a + (k == 0 ? 4095 : length(rng))); ++n)
                m.arrAnalogSamples(3, n) = gap;
        }
        MinMaxPyramid pyramid;
        pyramid.Build(m);
        EXPECT_EQ(pyramid.Bytes() > 0, samples > 16);
        EXPECT_EQ(pyramid.HasGaps(), gaps);
        rng.seed(11);
        std::uniform_int_distribution<long> pick(1, samples);
        for (int t = 0; t < (samples > 100000 ? 150 : 3000); ++t) {
            long a = pick(rng), b = pick(rng);
            if (t % 3 == 0) b = std::min(samples, a + t % 200);                      // short stretches too
            if (t % 7 == 0 && samples > 8192) a = 4097 + t % 64, b = 8192 - t % 32;  // in nothing but gaps
            if (a > b) std::swap(a, b);
            // Every channel alone, and a run of channels at once (as a redraw asks).
            const long c1 = 1 + t % 3, c2 = std::min(3L, c1 + t % 2);
            double los[3], his[3];
            bool held[3];
            pyramid.Ranges(c1, c2, a, b, los, his, held);
            for (long c = 1; c <= 3; ++c) {
                double lo, hi;
                bool one = false;
                pyramid.Range(c, a, b, lo, hi, &one);
                if (c >= c1 && c <= c2) {
                    ASSERT_EQ(std::tuple(los[c - c1], his[c - c1], held[c - c1]), std::tuple(lo, hi, one))
                        << c << " of " << c1 << ".." << c2;
                }
                double elo = std::numeric_limits<double>::infinity(), ehi = -elo;
                bool egap = false;
                for (long n = a; n <= b; ++n) {
                    const double v = m.arrAnalogSamples(c, n);
                    egap = egap || std::isnan(v);
                    if (std::isnan(v)) continue;
                    elo = std::min(elo, v);
                    ehi = std::max(ehi, v);
                }
                ASSERT_EQ(std::tuple(lo, hi, one), std::tuple(elo, ehi, egap)) << c << " " << a << ".." << b;
            }
            // The largest whole block of values only or gaps only at a block's start, as its walk has it.
            if (t % 2 == 0) a = (a - 1) / 16 * 16 + 1;
            double wlo = 0, whi = 0, blo = 0, bhi = 0;
            bool wgap = false;
            const long whole = pyramid.UniformBlock(c1, a, b, blo, bhi);
            pyramid.Range(c1, a, std::min(b, a + std::max(whole, 16L) - 1), wlo, whi, &wgap);
            const bool blockFits = (a - 1) % 16 == 0 && a + 15 <= b && a + 15 <= samples / 16 * 16;
            ASSERT_EQ(whole > 0, blockFits && (!wgap || wlo > whi)) << a << ".." << b;
            if (whole > 0) {
                ASSERT_EQ(std::tuple(blo, bhi, (whole & (whole - 1)) == 0), std::tuple(wlo, whi, true)) << a;
            }
        }
        double lo, hi;
        pyramid.Range(1, 1, samples, lo, hi);
        EXPECT_EQ(hi, 1e6);
        pyramid.Range(2, 1, samples, lo, hi);
        EXPECT_EQ(lo, -1e6);
        EXPECT_THROW(pyramid.Range(1, 0, 5, lo, hi), std::out_of_range);
        EXPECT_THROW(pyramid.Range(4, 1, 5, lo, hi), std::out_of_range);
        EXPECT_THROW(pyramid.Range(1, 1, samples + 1, lo, hi), std::out_of_range);
        double los[3], his[3];
        EXPECT_THROW(pyramid.Ranges(2, 1, 1, 5, los, his), std::out_of_range);
        EXPECT_THROW(pyramid.Ranges(1, 4, 1, 5, los, his), std::out_of_range);

        // Anything derived from the levels can tell that they were rebuilt.
        const auto generation = pyramid.Generation();
        pyramid.Build(m);
        EXPECT_NE(pyramid.Generation(), generation);
    }
}

TEST(DigitalEdges, ChangesAndNewStatesMatchAPlainWalk)
{
    const long channels = 3;
    const long samples = 300001;                // long enough to be split over the cores
    const long middle = (samples - 1) / 2 + 2;  // where a split of two slices falls
    RecordingModel m;
    m.intDigitalCount = channels;
    m.lngLastSample = samples;
    m.arrDigitalSamples.Redim(channels, samples + 1);
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> pick(0, 30);
    for (long n = 1; n <= samples; ++n) {
        m.arrDigitalSamples(1, n) = static_cast<std::int16_t>(pick(rng) == 0 ? 1 : 0);
        m.arrDigitalSamples(2, n) = static_cast<std::int16_t>(n % 400 < 3 ? 2 : (n / 100) & 1);  // a state 2 too
        m.arrDigitalSamples(3, n) = static_cast<std::int16_t>(n > 1 && n < middle);  // at 2 and at the split
    }
    m.arrDigitalSamples(1, samples + 1) = 1;  // the spare column beyond the last sample is not a change

    DigitalEdges edges;
    edges.Build(m);
    for (long k = 1; k <= channels; ++k) {
        std::vector<std::int32_t> changes;
        std::vector<std::int16_t> states;
        for (long n = 2; n <= samples; ++n)
            if (m.arrDigitalSamples(k, n) != m.arrDigitalSamples(k, n - 1)) {
                changes.push_back(static_cast<std::int32_t>(n));
                states.push_back(m.arrDigitalSamples(k, n));
            }
        EXPECT_EQ(edges.Changes(k), changes) << k;
        EXPECT_EQ(edges.States(k), states) << k;
    }
    EXPECT_EQ(edges.Changes(3), (std::vector<std::int32_t>{2, static_cast<std::int32_t>(middle)}));
    EXPECT_THROW(edges.Changes(channels + 1), std::out_of_range);

    edges.Clear();
    EXPECT_TRUE(edges.empty());
}

}  // namespace
}  // namespace sevrana
