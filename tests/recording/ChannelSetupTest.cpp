// Initial scales, zoom items and the trigger point, and the
// messages of the window-free part of the channel set-up.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

#include "ChannelSetup.h"
#include "NumberUtils.h"

namespace sevrana {
namespace {

struct Captured : LoadObserver {
    std::vector<std::string> messages;
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string& m) override { messages.push_back(m); }
};

TEST(ChannelSetup, InitialScaleAndTheTriggerPointFromTheTwoDateLines)
{
    // F * 1.1 up to a whole part of 4, else F rounded (halves to even) plus 1; kept to four decimals (5.49989 is
    // 5.4999); never a zero scale (0.00004 shows as 0.0); no 16-bit limit.
    // clang-format off
    const std::vector<std::pair<double, double>> scales = {
        {100, 101}, {3, 3.3}, {4.95, 5.445}, {5, 6}, {0, 1}, {2.5, 2.75}, {4.9999, 5.4999}, {0.00004, 1},
        {100.5, 101}, {101.5, 103}, {65533, 65534}, {-3, -3.3}, {std::numeric_limits<double>::infinity(), 1}};
    // clang-format on
    for (const auto& [fullScale, scale] : scales) EXPECT_EQ(InitialScale(fullScale), scale) << fullScale;

    // The second case borrows a second (microseconds -800000); the third turns the century. One period after the
    // last sample, or before the first, is out of the record, and so is a trigger too far for a 32-bit sample number
    // (decades apart at a high rate; a recorder's 1970 for no trigger time), just before or after the record. Only a
    // malformed stamp or a zero rate is refused.
    // Start, trigger, rate; result, trigger time and sample.
    const std::tuple<const char*, const char*, std::int32_t, TriggerResult, double, std::int32_t> cases[] = {
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.100000", 1000, TriggerResult::InRecord, 0.1, 101},
        {"01/01/00,00:00:00.900000", "01/01/00,00:00:01.100000", 1000, TriggerResult::InRecord, 0.2, 201},
        {"12/31/99,23:59:59.999000", "01/01/00,00:00:00.001000", 1000, TriggerResult::InRecord, 0.002, 3},
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.000000", 1000, TriggerResult::InRecord, 0, 1},
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.999000", 1000, TriggerResult::InRecord, 0.999, 1000},
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:01.000000", 1000, TriggerResult::OutOfRecord, 1, 1001},
        {"01/01/00,00:00:01.000000", "01/01/00,00:00:00.000000", 1000, TriggerResult::OutOfRecord, -1, -999},
        {"01/01/00,00:00:00.000000 ", "01/01/00,00:00:00.000000", 1000, TriggerResult::BadTimeStamps, 0, 0},
        {"01/01/00,00:00:00.000000", "01/01/2000,00:00:00.000000", 1000, TriggerResult::BadTimeStamps, 0, 0},
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:00.000000", 0, TriggerResult::BadTimeStamps, 0, 0},
        {"01/01/30,00:00:00.000000", "01/01/29,00:00:00.000000", 2000000000, TriggerResult::OutOfRecord, 3124224000,
         1001},
        {"01/01/29,00:00:00.000000", "01/01/30,00:00:00.000000", 2000000000, TriggerResult::OutOfRecord, -3124224000,
         0},
        {"02/22/10,10:00:00.000000", "01/01/70,00:00:00.000000", 1000, TriggerResult::OutOfRecord, -1266832800, 0},
        // Sample 2^31 - 1 is the last a 32-bit number holds, but not its "+ 1".
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:02.147483", 1000000000, TriggerResult::OutOfRecord, 2.147483,
         2147483001},
        {"01/01/00,00:00:00.000000", "01/01/00,00:00:02.147484", 1000000000, TriggerResult::OutOfRecord, 2.147484,
         1001}};
    for (const auto& [start, trigger, rate, result, time, sample] : cases) {
        RecordingModel m;
        m.varStartStamp = start;
        m.strTriggerStamp = trigger;
        m.lngSampleRate = rate;
        m.lngLastSample = 1000;
        EXPECT_EQ(ComputeTriggerPoint(m), result) << trigger;
        EXPECT_NEAR(m.varTriggerTime, time, 1e-9 * std::max(1.0, std::abs(time))) << trigger;
        EXPECT_EQ(m.lngTriggerSample, sample) << trigger;
    }
}

RecordingModel SmallModel(long nA, long nD, std::int32_t samples, const char* trigger = "01/01/00,00:00:00.002000")
{
    RecordingModel m;
    m.varAnalogChannels = static_cast<double>(nA);
    m.intDigitalCount = static_cast<std::int16_t>(nD);
    m.lngLastSample = samples;
    m.lngSampleRate = 1000;
    m.varStartStamp = "01/01/00,00:00:00.000000";
    m.strTriggerStamp = trigger;
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

TEST(PrepareChannels, FillsScalesSelectionAndNamesOrSaysWhatStopsTheViewer)
{
    auto m = SmallModel(2, 3, 40000);
    Captured seen;
    ASSERT_TRUE(PrepareChannels(m, seen));
    EXPECT_TRUE(seen.messages.empty());
    // Digital present, scales, the selection's first, count and one channel, trigger and view samples.
    const auto d = [](auto value) { return static_cast<double>(value); };
    EXPECT_EQ((std::vector<double>{d(m.intHasDigital), m.arrChannelScale(1), m.arrChannelScale(2),
                                   d(m.arrDigitalSelection(0)), d(m.arrDigitalSelection(4)),
                                   d(m.arrDigitalSelection(1)), d(m.lngTriggerSample), d(m.lngViewSamples)}),
              (std::vector<double>{1, 101, 201, 1, 3, 0, 3, 10}));
    EXPECT_EQ(m.strDigitalNames, "1:D1, 2:D2, 3:D3");

    // What stops the viewer (a record without samples is in the command-line tests): no channel at all; a trigger
    // at sample 3 of 2 (still shown, without digital channels); a bad time stamp.
    std::tuple<RecordingModel, bool, const char*> cases[] = {
        {SmallModel(0, 0, 10), false, "Error occured while trying to display data."},
        {SmallModel(1, 0, 2), true, "Trigger point is out of record"},
        {SmallModel(0, 1, 10, "garbage"), false,
         "Error in file: Time stamps are not meeting COMTRADE specifications!"}};
    for (auto& [model, shown, message] : cases) {
        seen = {};
        EXPECT_EQ(PrepareChannels(model, seen), shown) << message;
        EXPECT_EQ(seen.messages, std::vector<std::string>{message});
        EXPECT_TRUE(!shown || model.intHasDigital == 0);
    }
}

TEST(ZoomList, ShortRecordsStepBySampleShareLongOnesByPercentVeryLongOnesGetFinerItemsFirst)
{
    // 100 / 60 rounds to 2; the whole lists of the shortest records are checked in the zoom box.
    const auto percents = [](int from, int to) {
        std::vector<std::string> items;
        for (int k = from; k <= to; ++k) items.push_back(std::to_string(k) + " %");
        return items;
    };
    auto sixty = ZoomListItems(60);
    ASSERT_EQ(sixty.size(), 60u);
    EXPECT_EQ((std::vector<std::string>{sixty[0], sixty[58], sixty[59]}),
              (std::vector<std::string>{"2 %", "118 %", "100 %"}));
    EXPECT_EQ(ZoomListItems(99999), percents(1, 100));
    EXPECT_EQ(ZoomListItems(100000), percents(1, 100));
    // Above 100,000 samples 1 % is more than 1,000 of them: finer items, while a view holds at least 100 samples.
    const std::vector<std::pair<std::int32_t, std::vector<std::string>>> fine = {
        {100001, {"0.1 %", "0.2 %", "0.5 %"}},
        {3100000, {"0.005 %", "0.01 %", "0.02 %", "0.05 %", "0.1 %", "0.2 %", "0.5 %"}},
        {10000001, {"0.001 %", "0.002 %", "0.005 %", "0.01 %", "0.02 %", "0.05 %", "0.1 %", "0.2 %", "0.5 %"}},
        {INT32_MAX,
         {"5E-06 %", "1E-05 %", "2E-05 %", "5E-05 %", "0.0001 %", "0.0002 %", "0.0005 %", "0.001 %", "0.002 %",
          "0.005 %", "0.01 %", "0.02 %", "0.05 %", "0.1 %", "0.2 %", "0.5 %"}}};
    for (const auto& [samples, finer] : fine) {
        std::vector<std::string> expected = finer;
        for (const std::string& item : percents(1, 100)) expected.push_back(item);
        EXPECT_EQ(ZoomListItems(samples), expected) << samples;
    }
    EXPECT_THROW(ZoomListItems(0), std::domain_error);

    // The samples those items show, read back from their texts as the zoom box does; the finest hold 100 or more.
    const std::vector<std::tuple<const char*, std::int32_t, std::int32_t>> views = {
        {"0.1 %", 100001, 100},     {"0.5 %", 100001, 500},      {"1 %", 100000, 1000},
        {"0.005 %", 3100000, 155},  {"0.01 %", 3100000, 310},    {"0.5 %", 3100000, 15500},
        {"0.001 %", 10000001, 100}, {"5E-06 %", INT32_MAX, 107}, {"100 %", 3100000, 3099999}};
    for (const auto& [item, samples, inView] : views)
        EXPECT_EQ(ViewSamplesForZoom(Val(item), samples), inView) << item << " of " << samples;
}

TEST(ZoomList, RectangleSnapsToWholePercentsAndBelowOneToTheNearestFinerStep)
{
    // The finer steps come back as the very numbers their item texts spell, so the list finds them.
    const std::vector<std::pair<double, double>> cases = {
        {0, 0},      {37.4, 37},  {0.6, 1},     {2.5, 2},      {0.5, 0.5},      {0.4, 0.5},       {0.3, 0.2},
        {0.16, 0.2}, {0.14, 0.1}, {0.07, 0.05}, {0.012, 0.01}, {0.0031, 0.002}, {0.00049, 0.0005}};
    for (const auto& [span, percent] : cases) EXPECT_EQ(ZoomRectanglePercent(span), percent) << span;
    EXPECT_EQ(ZoomRectanglePercent(0.05), Val("0.05 %"));
    EXPECT_EQ(ZoomRectanglePercent(0.0002), Val("0.0002 %"));
    // The rectangle snaps to the steps the lists are made of, the finest 1E-10 %; a one-pixel rectangle over a
    // wide window of the longest record at its opening 10 samples spans less.
    EXPECT_EQ(ZoomRectanglePercent(1.2e-10), 1e-10);
    EXPECT_EQ(ZoomRectanglePercent(3e-11), 1e-10);
}

}  // namespace
}  // namespace sevrana
