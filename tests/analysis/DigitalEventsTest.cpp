// The digital event list on recordings whose states are written out sample by sample:
// order by sample then channel, the states on both sides of each change, the edges of
// the record, a record of one sample and the channels asked for.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "DigitalEvents.h"

namespace sevrana::analysis {
namespace {

/// A recording whose digital channel k holds rows[k - 1][n - 1] at sample n.
RecordingModel Digital(const std::vector<std::string>& rows)
{
    RecordingModel m;
    const auto nD = static_cast<long>(rows.size());
    const auto N = static_cast<long>(rows.front().size());
    m.intDigitalCount = static_cast<std::int16_t>(nD);
    m.intHasDigital = 1;
    m.lngSampleRate = 1000;
    m.lngLastSample = static_cast<std::int32_t>(N);
    m.arrDigitalNames.Redim(1, nD);
    m.arrDigitalNormal.Redim(1, nD);
    m.arrDigitalSamples.Redim(nD, N + 1);
    for (long k = 1; k <= nD; ++k) {
        m.arrDigitalNames(k) = "D" + std::to_string(k);
        for (long n = 1; n <= N; ++n)
            m.arrDigitalSamples(k, n) = static_cast<std::int16_t>(rows[static_cast<std::size_t>(k - 1)][n - 1] - '0');
    }
    return m;
}

std::vector<DigitalEvent> EventsOf(const RecordingModel& m, const std::vector<long>& channels = {})
{
    DigitalEdges edges;
    edges.Build(m);
    return DigitalEvents(m, edges, channels);
}

TEST(DigitalEventsTest, OrderedBySampleThenChannelWithBothStates)
{
    // D1 never changes; D2 changes at sample 2 and at the last sample; D3, D4 and D2 change on
    // sample 5 together; D4 starts at 1.
    const RecordingModel m = Digital({"11111111", "01110110", "00001111", "11110000"});
    const std::vector<DigitalEvent> expected = {
        {2, 2, 0, 1}, {5, 2, 1, 0}, {5, 3, 0, 1}, {5, 4, 1, 0}, {6, 2, 0, 1}, {8, 2, 1, 0},
    };
    EXPECT_EQ(EventsOf(m), expected);
    EXPECT_EQ(InitialState(m, 4), 1);
    EXPECT_EQ(InitialState(m, 3), 0);
    EXPECT_EQ(ChangeText(expected[0]), "0\u21921");
    EXPECT_EQ(ChangeText(expected[1]), "1\u21920");

    // Channels asked for, in any order and twice, give theirs only, still in time order.
    EXPECT_EQ(EventsOf(m, {4, 3, 4}), (std::vector<DigitalEvent>{{5, 3, 0, 1}, {5, 4, 1, 0}}));
    EXPECT_TRUE(EventsOf(m, {1}).empty());
    EXPECT_THROW(EventsOf(m, {5}), std::out_of_range);
    EXPECT_THROW(EventsOf(m, {0}), std::out_of_range);
}

TEST(DigitalEventsTest, RecordsWithoutRoomForAChange)
{
    // One sample: nothing can differ from a sample before it, whatever the state.
    const RecordingModel one = Digital({"1", "0"});
    EXPECT_TRUE(EventsOf(one).empty());
    EXPECT_EQ(InitialState(one, 1), 1);

    // Many changes over many samples keep their order across the slices the index is built in.
    std::string fast, slow;
    for (int n = 0; n < 200000; ++n) {
        fast += (n / 3) % 2 == 0 ? '0' : '1';
        slow += (n / 50000) % 2 == 0 ? '1' : '0';
    }
    const std::vector<DigitalEvent> events = EventsOf(Digital({fast, slow}));
    ASSERT_EQ(events.size(), 66666u + 3u);
    EXPECT_EQ(events[0], (DigitalEvent{4, 1, 0, 1}));
    // D1 changes every third sample from sample 4 on; D2 first at sample 50001, to 0.
    const auto at = std::find_if(events.begin(), events.end(), [](const DigitalEvent& e) { return e.channel == 2; });
    ASSERT_NE(at, events.end());
    EXPECT_EQ(*at, (DigitalEvent{50001, 2, 1, 0}));
    for (std::size_t i = 1; i < events.size(); ++i)
        ASSERT_TRUE(events[i - 1].sample < events[i].sample ||
                    (events[i - 1].sample == events[i].sample && events[i - 1].channel < events[i].channel))
            << i;
}

}  // namespace
}  // namespace sevrana::analysis
