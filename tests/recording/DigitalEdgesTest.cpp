// Change positions and the states they change to, against a plain walk.

#include <gtest/gtest.h>

#include <random>

#include "DigitalEdges.h"

namespace sevrana {
namespace {

TEST(DigitalEdges, ChangesAndNewStatesMatchAPlainWalk)
{
    const long channels = 3;
    const long samples = 300001;  // long enough to be split over the cores
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
