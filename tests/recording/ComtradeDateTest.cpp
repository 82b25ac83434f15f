// Timestamp parsing, calendar arithmetic, differences and shifts.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "ComtradeDate.h"

namespace sevrana {
namespace {

ComtradeDate At(std::string_view text)
{
    ComtradeDate date;
    EXPECT_TRUE(date.SetDate(text)) << text;
    return date;
}

constexpr double kMicrosecond = 1e-6 / 86400;

TEST(ComtradeDateText, AcceptedTextReadsBackOtherTextIsRefusedKeepingComponentsStoredBeforeTheFailure)
{
    ComtradeDate d = At("07/15/98,13:05:09.123456");
    EXPECT_EQ((std::vector<long>{d.intMonth(), d.intDay(), d.intYear(), d.intHours(), d.intMinutes(), d.intSeconds(),
                                 d.lngMicroSeconds()}),
              (std::vector<long>{7, 15, 98, 13, 5, 9, 123456}));
    EXPECT_EQ(d.FormattedTime(), ComtradeDate::TimeSerial(13, 5, 9));
    // Text, day number, text read back. Blanks around the digits and a bare decimal point are still numbers.
    const std::tuple<const char*, double, const char*> cases[] = {
        {"07/15/98,13:05:09.123456", 35991, "07/15/98,13:05:09.123456"},  // 15 July 1998
        {"12/31/99,23:59:59.999999", 36525, "12/31/99,23:59:59.999999"},
        {" 1/ 5/1.,3 : 5:9 .  1234", 36896, "01/05/01,03:05:09.001234"},
        {"02/30/01,00:00:00.000000", 36952, "02/30/01,00:00:00.000000"},   // 2 March 2001
        {"01/01/29,00:00:00.000000", 47119, "01/01/29,00:00:00.000000"},   // 2029
        {"01/01/30,00:00:00.000000", 10959, "01/01/30,00:00:00.000000"}};  // 1930
    for (const auto& [text, day, back] : cases) {
        EXPECT_EQ(At(text).FormattedDate(), day) << text;
        EXPECT_EQ(At(text).GetDate(), back);
    }
    EXPECT_EQ(ComtradeDate().GetDate(), "00/00/00,00:00:00.000000");

    // clang-format off
    const char* const texts[] = {
        "15/07/98,13:05:09.123456", "07/15/1998,13:05:09.123456", "07/15/98,13:05:09.123456 ", "",
        "07-15-98,13:05:09.123456", "07/15-98,13:05:09.123456", "07/15/98 13:05:09.123456", "07/15/98,13.05:09.123456",
        "07/15/98,13:05.09.123456", "07/15/98,13:05:09,123456", ".5/15/98,13:05:09.123456", "00/15/98,13:05:09.123456",
        "07/32/98,13:05:09.123456", "07/00/98,13:05:09.123456", "07/15/-1,13:05:09.123456", "07/15/98,24:05:09.123456",
        "07/15/98,13:60:09.123456", "07/15/98,13:05:60.123456", "07/15/98,13:05:09.1e6   ", "07/15/98,13:05:09.-00001",
        "ab/15/98,13:05:09.123456", "07/15/98,13:05:09.      "};
    // clang-format on
    for (const char* text : texts) EXPECT_FALSE(ComtradeDate().SetDate(text)) << text;

    d = At("07/15/98,13:05:09.123456");
    EXPECT_FALSE(d.SetDate("08/16/97,24:00:00.000000"));
    EXPECT_EQ(d.GetDate(), "08/16/97,13:05:09.123456");
    EXPECT_EQ(d.FormattedDate(), 35658);  // 16 August 1997, built before the hours check
    EXPECT_EQ(d.FormattedTime(), ComtradeDate::TimeSerial(13, 5, 9));
    EXPECT_FALSE(d.SetDate("09-17/96,00:00:00.000000"));
    EXPECT_EQ(d.GetDate(), "09/16/97,13:05:09.123456");
}

TEST(ComtradeDateCalendar, DateSerialAndTimeSerialEveryDayOfAHundredYearsReadsBackAsItsComponents)
{
    // Leap year 2000, century 1900 not leap; months and days out of range count on from the year's start.
    const std::tuple<int, int, int, double> days[] = {
        {1899, 12, 30, 0},    {2000, 1, 1, 36526},  {100, 1, 1, -657434},  {9999, 12, 31, 2958465},
        {2000, 3, 1, 36586},  {2000, 2, 28, 36584}, {1900, 3, 1, 61},      {1900, 2, 28, 60},
        {2001, 13, 1, 37257}, {2001, 0, 0, 36860},  {2001, -11, 1, 36526}, {98, 7, 15, 35991}};
    for (const auto& [year, month, day, serial] : days)
        EXPECT_EQ(ComtradeDate::DateSerial(year, month, day), serial) << year << "-" << month << "-" << day;
    EXPECT_EQ(ComtradeDate::TimeSerial(12, 0, 0), 0.5);
    EXPECT_EQ(ComtradeDate::TimeSerial(0, 0, 1), 1.0 / 86400);
    EXPECT_EQ(ComtradeDate::TimeSerial(13, 5, 9), 47109.0 / 86400);

    // Each day is the day after the one before, or the first of the next month, and builds its own day number.
    ComtradeDate d = At("12/31/29,00:00:00.000000");
    for (double day = ComtradeDate::DateSerial(1930, 1, 1); day <= ComtradeDate::DateSerial(2029, 12, 31); ++day) {
        const int month = d.intMonth(), dayOfMonth = d.intDay();
        d.SetFormattedDate(day);
        ASSERT_TRUE((d.intMonth() == month && d.intDay() == dayOfMonth + 1) ||
                    (d.intMonth() == month % 12 + 1 && d.intDay() == 1))
            << d.GetDate();
        ASSERT_EQ(ComtradeDate::DateSerial(d.intYear(), d.intMonth(), d.intDay()), day) << d.GetDate();
    }
}

TEST(ComtradeDateValues, DifferencesShiftsAndSettersRoundCarryBorrowAndKeepOnlyValuesInRange)
{
    const ComtradeDate start = At("01/01/00,00:00:00.000000");
    EXPECT_DOUBLE_EQ(start.GetTimeDifference(At("01/01/00,00:00:00.100000")) * 86400, 0.1);
    const ComtradeDate late = At("01/01/00,00:00:00.900000");
    const ComtradeDate next = At("01/01/00,00:00:01.100000");
    EXPECT_NEAR(late.GetTimeDifference(next) * 86400, 0.2, 1e-9);
    EXPECT_NEAR(next.GetTimeDifference(late) * 86400, -0.2, 1e-9);
    EXPECT_NEAR(At("12/31/99,23:59:59.500000").GetTimeDifference(start) * 86400, 0.5, 1e-9);
    EXPECT_NEAR(At("07/15/98,13:05:09.123456").GetTimeDifference(At("07/16/98,13:05:09.123457")) * 86400, 86400.000001,
                1e-9);

    // Landing exactly on .999999 or .000000 is no carry or borrow.
    ComtradeDate d = At("12/31/99,23:59:59.999998");
    ASSERT_TRUE(d.Add(kMicrosecond));
    EXPECT_EQ(d.GetDate(), "12/31/99,23:59:59.999999");
    ASSERT_TRUE(d.Add(kMicrosecond));
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:00.000000");
    EXPECT_EQ(d.FormattedDate(), 36526);
    EXPECT_EQ(d.FormattedTime(), 0);
    ASSERT_TRUE(d.Add(-kMicrosecond));
    EXPECT_EQ(d.GetDate(), "12/31/99,23:59:59.999999");
    ASSERT_TRUE(d.Subtract(-kMicrosecond));
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:00.000000");
    ASSERT_TRUE(d.Add(kMicrosecond));
    ASSERT_TRUE(d.Subtract(kMicrosecond));
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:00.000000");

    // 0.7 s rounds up to one whole second, leaving u = -0.3 s.
    ComtradeDate e = At("02/28/00,23:00:00.000000");
    ASSERT_TRUE(e.Add(0.7 / 86400));
    EXPECT_EQ(e.GetDate(), "02/28/00,23:00:00.700000");
    ASSERT_TRUE(e.Add(0.6 / 86400));
    EXPECT_EQ(e.GetDate(), "02/28/00,23:00:01.300000");
    ASSERT_TRUE(e.Subtract(0.7 / 86400));
    EXPECT_EQ(e.GetDate(), "02/28/00,23:00:00.600000");
    ASSERT_TRUE(e.Add(2.0 / 24));
    EXPECT_EQ(e.GetDate(), "02/29/00,01:00:00.600000");

    // A shift too large to express changes nothing.
    d = At("07/15/98,13:05:09.123456");
    EXPECT_FALSE(d.Add(24856));  // 2147558400 s needs more than 32 bits
    EXPECT_FALSE(d.Subtract(24856));
    EXPECT_FALSE(d.Add(std::nan("")));
    EXPECT_EQ(d.GetDate(), "07/15/98,13:05:09.123456");
    EXPECT_EQ(d.FormattedDate(), 35991);

    // Past either end of the calendar, 1 January 100 and 31 December 9999.
    d.SetFormattedDate(2958465);
    EXPECT_FALSE(d.Add(1));
    EXPECT_EQ(d.GetDate(), "12/31/99,13:05:09.123456");
    d.SetFormattedDate(-657434);
    EXPECT_EQ(d.GetDate(), "01/01/00,13:05:09.123456");
    EXPECT_FALSE(d.Subtract(1));
    EXPECT_EQ(d.FormattedDate(), -657434);

    // Date and time values round to whole seconds and derive the components.
    d = ComtradeDate();
    d.SetFormattedDate(ComtradeDate::DateSerial(1850, 2, 30) + 0.25);
    EXPECT_EQ(d.FormattedDate(), -18200);  // 2 March 1850
    EXPECT_EQ(d.GetDate(), "03/02/50,00:00:00.000000");
    d.SetFormattedDate(36526 - 0.4 / 86400);  // rounds up into the next day
    EXPECT_EQ(d.FormattedDate(), 36526);
    d.SetFormattedTime(0.5 + 0.5 / 86400);  // half a second: to the even 12:00:00
    EXPECT_EQ(d.GetDate(), "01/01/00,12:00:00.000000");
    d.SetFormattedTime(1.5 / 86400);
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:02.000000");
    EXPECT_EQ(d.FormattedTime(), 2.0 / 86400);
    d.SetFormattedTime(ComtradeDate::TimeSerial(23, 59, 59) + 0.8 / 86400);  // rounds to midnight
    EXPECT_EQ(d.FormattedTime(), 0);
    d.SetFormattedTime(ComtradeDate::TimeSerial(13, 5, 9));
    d.SetFormattedTime(std::nan(""));
    d.SetFormattedDate(1e300);
    EXPECT_EQ(d.GetDate(), "01/01/00,13:05:09.000000");

    // Component setters keep only values in range.
    using Setter = void (ComtradeDate::*)(std::int16_t);
    const std::tuple<Setter, int, int> ranges[] = {
        {&ComtradeDate::SetMonth, 1, 12}, {&ComtradeDate::SetDay, 1, 31},     {&ComtradeDate::SetYear, 0, 99},
        {&ComtradeDate::SetHours, 0, 23}, {&ComtradeDate::SetMinutes, 0, 59}, {&ComtradeDate::SetSeconds, 0, 59}};
    d = At("07/15/98,13:05:09.123456");
    for (const auto& [set, lowest, highest] : ranges) (d.*set)(static_cast<std::int16_t>(lowest));
    d.SetMicroSeconds(0);
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:00.000000");
    for (const auto& [set, lowest, highest] : ranges)
        for (const int v : {highest, lowest - 1, highest + 1}) (d.*set)(static_cast<std::int16_t>(v));
    for (const std::int32_t v : {999999, -1, 1000000}) d.SetMicroSeconds(v);
    EXPECT_EQ(d.GetDate(), "12/31/99,23:59:59.999999");
    EXPECT_EQ(d.FormattedDate(), 35991);  // components alone leave the date value
}

}  // namespace
}  // namespace sevrana
