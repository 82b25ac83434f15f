// Initial scales, zoom items, scroll factor and the trigger point, and the
// messages of the window-free part of the channel set-up.

#include <gtest/gtest.h>

#include "ChannelSetup.h"
#include "Messages.h"

namespace sevrana {
namespace {

struct Captured : LoadObserver {
    std::vector<std::string> messages;
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

TEST(InitialScale, FollowsTheFullScaleValue)
{
    EXPECT_EQ(InitialScale(100), 101.0);
    EXPECT_EQ(InitialScale(3), 3.3);
    EXPECT_EQ(InitialScale(4.95), 5.445);
    EXPECT_EQ(InitialScale(5), 6.0);
    EXPECT_EQ(InitialScale(0), 1.0);
    EXPECT_EQ(InitialScale(2.5), 2.75);
    EXPECT_EQ(InitialScale(4.9999), 5.4999);    // kept to four decimals (5.49989)
    EXPECT_EQ(InitialScale(0.00004), 1.0);      // shows as 0.0: never a zero scale
    EXPECT_EQ(InitialScale(100.5), 101.0);      // 100.5 rounds to the even 100
    EXPECT_EQ(InitialScale(101.5), 103.0);
    EXPECT_EQ(InitialScale(65533.0), 65534.0);  // no 16-bit limit on scales
    EXPECT_EQ(InitialScale(-3), -3.3);
    EXPECT_EQ(InitialScale(std::numeric_limits<double>::infinity()), 1.0);
}

TEST(ScrollFactor, ScrollBarHoldsAtMost32767Positions)
{
    EXPECT_EQ(ScrollFactor(32767), 1.0);
    EXPECT_EQ(ScrollFactor(1), 1.0);
    EXPECT_DOUBLE_EQ(ScrollFactor(40000), 0.819175);
    EXPECT_EQ(ScrollFactor(32768), 32767.0 / 32768);
}

TEST(ZoomListItems, ShortRecordsStepByTheirSampleShare)
{
    EXPECT_EQ(ZoomListItems(8), (std::vector<std::string>{"12 %", "24 %", "36 %", "48 %", "60 %", "72 %", "84 %",
                                                           "100 %"}));
    EXPECT_EQ(ZoomListItems(3), (std::vector<std::string>{"33 %", "66 %", "100 %"}));
    EXPECT_EQ(ZoomListItems(1), (std::vector<std::string>{"100 %"}));
    const auto sixty = ZoomListItems(60);  // 100 / 60 rounds to 2
    ASSERT_EQ(sixty.size(), 60u);
    EXPECT_EQ(sixty[0], "2 %");
    EXPECT_EQ(sixty[58], "118 %");
    EXPECT_EQ(sixty[59], "100 %");
    EXPECT_THROW(ZoomListItems(0), std::domain_error);
}

TEST(ZoomListItems, LongRecordsGetOneToHundredPercent)
{
    for (std::int32_t samples : {100, 1000, 10000000}) {
        const auto items = ZoomListItems(samples);
        ASSERT_EQ(items.size(), 100u);
        EXPECT_EQ(items.front(), "1 %");
        EXPECT_EQ(items[49], "50 %");
        EXPECT_EQ(items.back(), "100 %");
    }
}

RecordingModel TriggerModel(const std::string& start, const std::string& trigger, std::int32_t rate,
                            std::int32_t samples)
{
    RecordingModel m;
    m.varStartStamp = start;
    m.strTriggerStamp = trigger;
    m.lngSampleRate = rate;
    m.lngLastSample = samples;
    return m;
}

TEST(TriggerPoint, OffsetFromTheFirstSample)
{
    auto m = TriggerModel("01/01/00,00:00:00.000000", "01/01/00,00:00:00.100000", 1000, 1000);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::InRecord);
    EXPECT_NEAR(m.varTriggerTime, 0.1, 1e-9);
    EXPECT_EQ(m.lngTriggerSample, 101);

    m = TriggerModel("01/01/00,00:00:00.900000", "01/01/00,00:00:01.100000", 1000, 1000);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::InRecord);
    EXPECT_NEAR(m.varTriggerTime, 0.2, 1e-9);
    EXPECT_EQ(m.lngTriggerSample, 201);

    // Across the century: 1999 to 2000.
    m = TriggerModel("12/31/99,23:59:59.999000", "01/01/00,00:00:00.001000", 1000, 1000);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::InRecord);
    EXPECT_NEAR(m.varTriggerTime, 0.002, 1e-9);
    EXPECT_EQ(m.lngTriggerSample, 3);
}

TEST(TriggerPoint, EdgesOfTheRecord)
{
    auto m = TriggerModel("01/01/00,00:00:00.000000", "01/01/00,00:00:00.000000", 1000, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::InRecord);
    EXPECT_EQ(m.lngTriggerSample, 1);

    m = TriggerModel("01/01/00,00:00:00.000000", "01/01/00,00:00:00.010000", 1000, 10);  // one period after the last
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::OutOfRecord);
    EXPECT_EQ(m.lngTriggerSample, 11);

    m = TriggerModel("01/01/00,00:00:01.000000", "01/01/00,00:00:00.000000", 1000, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::OutOfRecord);
    EXPECT_LT(m.varTriggerTime, 0);
}

TEST(TriggerPoint, BadStampsZeroRateAndOverflow)
{
    auto m = TriggerModel("01/01/00,00:00:00.000000 ", "01/01/00,00:00:00.000000", 1000, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::BadTimeStamps);
    m = TriggerModel("01/01/00,00:00:00.000000", "01/01/2000,00:00:00.000000", 1000, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::BadTimeStamps);
    m = TriggerModel("01/01/00,00:00:00.000000", "01/01/00,00:00:00.000000", 0, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::BadTimeStamps);
    // Decades apart at a high rate: the sample number does not fit in 32 bits.
    m = TriggerModel("01/01/30,00:00:00.000000", "01/01/29,00:00:00.000000", 2000000000, 10);
    EXPECT_EQ(ComputeTriggerPoint(m), TriggerResult::BadTimeStamps);
}

RecordingModel SmallModel(long nA, long nD, std::int32_t samples)
{
    RecordingModel m;
    m.varAnalogChannels = static_cast<double>(nA);
    m.intDigitalCount = static_cast<std::int16_t>(nD);
    m.lngLastSample = samples;
    m.lngSampleRate = 1000;
    m.varStartStamp = "01/01/00,00:00:00.000000";
    m.strTriggerStamp = "01/01/00,00:00:00.002000";
    if (nA > 0) {
        m.arrFullScale.Redim(1, nA);
        m.arrChannelScale.Redim(1, nA);
        for (long i = 1; i <= nA; ++i) m.arrFullScale(i) = 100.0 * static_cast<double>(i);
    }
    m.arrDigitalSelection.Redim(0, nD + 1);
    if (nD > 0) {
        m.arrDigitalNames.Redim(1, nD);
        for (long i = 1; i <= nD; ++i) m.arrDigitalNames(i) = "D" + std::to_string(i);
    }
    return m;
}

TEST(PrepareChannels, FillsScalesSelectionAndNames)
{
    auto m = SmallModel(2, 3, 40000);
    Captured seen;
    ASSERT_TRUE(PrepareChannels(m, seen));
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_EQ(m.intHasDigital, 1);
    EXPECT_EQ(m.arrChannelScale(1), 101.0);
    EXPECT_EQ(m.arrChannelScale(2), 201.0);
    EXPECT_EQ(m.arrDigitalSelection(0), 1);
    EXPECT_EQ(m.arrDigitalSelection(4), 3);
    EXPECT_EQ(m.arrDigitalSelection(1), 0);
    EXPECT_EQ(m.strDigitalNames, "1:D1, 2:D2, 3:D3");
    EXPECT_EQ(m.lngTriggerSample, 3);
    EXPECT_DOUBLE_EQ(m.dblScrollFactor, 0.819175);
    EXPECT_EQ(m.lngViewSamples, 10);
}

TEST(PrepareChannels, MessagesOfTheViewer)
{
    Captured seen;
    auto none = SmallModel(0, 0, 10);
    EXPECT_FALSE(PrepareChannels(none, seen));
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kDisplayError});

    seen = {};
    auto empty = SmallModel(1, 0, 0);
    EXPECT_FALSE(PrepareChannels(empty, seen));
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kDisplayError});

    seen = {};
    auto late = SmallModel(1, 0, 2);  // trigger at sample 3 of 2
    EXPECT_TRUE(PrepareChannels(late, seen));
    EXPECT_EQ(late.intHasDigital, 0);
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kTriggerOutOfRecord});

    seen = {};
    auto bad = SmallModel(0, 1, 10);
    bad.strTriggerStamp = "garbage";
    EXPECT_FALSE(PrepareChannels(bad, seen));
    EXPECT_EQ(seen.messages, std::vector<std::string>{messages::kTimeStampError});
}

}  // namespace
}  // namespace sevrana
