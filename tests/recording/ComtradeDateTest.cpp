// Timestamp parsing, calendar arithmetic, differences and shifts.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ComtradeDate.h"

namespace sevrana {
namespace {

ComtradeDate At(std::string_view text)
{
    ComtradeDate date;
    EXPECT_TRUE(date.SetDate(text)) << text;
    return date;
}

TEST(ComtradeDateText, AcceptedTextReadsBackUnchanged)
{
    const ComtradeDate d = At("07/15/98,13:05:09.123456");
    EXPECT_EQ(d.intMonth(), 7);
    EXPECT_EQ(d.intDay(), 15);
    EXPECT_EQ(d.intYear(), 98);
    EXPECT_EQ(d.lngMicroSeconds(), 123456);
    EXPECT_EQ(d.FormattedDate(), 35991);  // 15 July 1998
    EXPECT_EQ(d.FormattedTime(), ComtradeDate::TimeSerial(13, 5, 9));
    EXPECT_EQ(d.GetDate(), "07/15/98,13:05:09.123456");
    // Blanks around the digits and a bare decimal point are still numbers.
    EXPECT_EQ(At(" 1/ 5/1.,3 : 5:9 .  1234").GetDate(), "01/05/01,03:05:09.001234");
    EXPECT_EQ(ComtradeDate().GetDate(), "00/00/00,00:00:00.000000");
}

TEST(ComtradeDateText, RefusesTextsOutOfLayout)
{
    for (const char* text : {"15/07/98,13:05:09.123456", "07/15/1998,13:05:09.123456", "07/15/98,13:05:09.123456 ",
                             "07-15-98,13:05:09.123456", "07/15-98,13:05:09.123456", "07/15/98 13:05:09.123456",
                             "07/15/98,13.05:09.123456", "07/15/98,13:05.09.123456", "07/15/98,13:05:09,123456",
                             ".5/15/98,13:05:09.123456", "00/15/98,13:05:09.123456", "07/32/98,13:05:09.123456",
                             "07/00/98,13:05:09.123456", "07/15/-1,13:05:09.123456", "07/15/98,24:05:09.123456",
                             "07/15/98,13:60:09.123456", "07/15/98,13:05:60.123456", "07/15/98,13:05:09.1e6   ",
                             "07/15/98,13:05:09.-00001", "ab/15/98,13:05:09.123456", "07/15/98,13:05:09.      ", ""}) {
        ComtradeDate d;
        EXPECT_FALSE(d.SetDate(text)) << text;
    }
}

TEST(ComtradeDateText, FailureKeepsComponentsStoredBeforeIt)
{
    ComtradeDate d = At("07/15/98,13:05:09.123456");
    EXPECT_FALSE(d.SetDate("08/16/97,24:00:00.000000"));
    EXPECT_EQ(d.GetDate(), "08/16/97,13:05:09.123456");
    EXPECT_EQ(d.FormattedDate(), ComtradeDate::DateSerial(1997, 8, 16));  // built before the hours check
    EXPECT_EQ(d.FormattedTime(), ComtradeDate::TimeSerial(13, 5, 9));
    EXPECT_FALSE(d.SetDate("09-17/96,00:00:00.000000"));
    EXPECT_EQ(d.GetDate(), "09/16/97,13:05:09.123456");
}

TEST(ComtradeDateText, DayPastMonthEndRollsOverAndYearsPivotAt30)
{
    const ComtradeDate d = At("02/30/01,00:00:00.000000");
    EXPECT_EQ(d.FormattedDate(), ComtradeDate::DateSerial(2001, 3, 2));
    EXPECT_EQ(d.intMonth(), 2);
    EXPECT_EQ(d.intDay(), 30);
    EXPECT_EQ(d.GetDate(), "02/30/01,00:00:00.000000");
    EXPECT_EQ(At("01/01/29,00:00:00.000000").FormattedDate(), 47119);  // 2029
    EXPECT_EQ(At("01/01/30,00:00:00.000000").FormattedDate(), 10959);  // 1930
}

TEST(ComtradeDateCalendar, DateSerialFollowsGregorianCalendar)
{
    EXPECT_EQ(ComtradeDate::DateSerial(1899, 12, 30), 0);
    EXPECT_EQ(ComtradeDate::DateSerial(2000, 1, 1), 36526);
    EXPECT_EQ(ComtradeDate::DateSerial(9999, 12, 31), 2958465);
    EXPECT_EQ(ComtradeDate::DateSerial(2000, 3, 1) - ComtradeDate::DateSerial(2000, 2, 28), 2);  // leap year
    EXPECT_EQ(ComtradeDate::DateSerial(1900, 3, 1) - ComtradeDate::DateSerial(1900, 2, 28), 1);  // century, not leap
    EXPECT_EQ(ComtradeDate::DateSerial(2001, 13, 1), ComtradeDate::DateSerial(2002, 1, 1));
    EXPECT_EQ(ComtradeDate::DateSerial(2001, 0, 0), ComtradeDate::DateSerial(2000, 11, 30));
    EXPECT_EQ(ComtradeDate::DateSerial(98, 7, 15), ComtradeDate::DateSerial(1998, 7, 15));
}

TEST(ComtradeDateDifference, MicrosecondsBorrowAndCenturyTurns)
{
    const ComtradeDate start = At("01/01/00,00:00:00.000000");
    EXPECT_DOUBLE_EQ(start.GetTimeDifference(At("01/01/00,00:00:00.100000")) * 24 * 60 * 60, 0.1);
    const ComtradeDate late = At("01/01/00,00:00:00.900000");
    const ComtradeDate next = At("01/01/00,00:00:01.100000");
    EXPECT_NEAR(late.GetTimeDifference(next) * 24 * 60 * 60, 0.2, 1e-9);
    EXPECT_NEAR(next.GetTimeDifference(late) * 24 * 60 * 60, -0.2, 1e-9);
    EXPECT_NEAR(At("12/31/99,23:59:59.500000").GetTimeDifference(start) * 24 * 60 * 60, 0.5, 1e-9);
    EXPECT_NEAR(At("07/15/98,13:05:09.123456").GetTimeDifference(At("07/16/98,13:05:09.123457")) * 86400, 86400.000001,
                1e-9);
}

TEST(ComtradeDateShift, MicrosecondsCarryAndBorrowAcrossSecondsDaysAndYears)
{
    const double us = 1e-6 / 86400;
    ComtradeDate d = At("12/31/99,23:59:59.999999");
    ASSERT_TRUE(d.Add(us));
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:00.000000");
    EXPECT_EQ(d.FormattedDate(), 36526);
    ASSERT_TRUE(d.Add(-us));
    EXPECT_EQ(d.GetDate(), "12/31/99,23:59:59.999999");
    ASSERT_TRUE(d.Subtract(-us));
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
}

TEST(ComtradeDateShift, AddThenSubtractRoundTripsAndMatchesDifference)
{
    for (const double days : {1.2345678901, -0.5 / 86400, 365.25, 123.456789 / 86400, -24855.0, 1e-7}) {
        const ComtradeDate before = At("07/15/98,13:05:09.123456");
        ComtradeDate d = before;
        ASSERT_TRUE(d.Add(days)) << days;
        EXPECT_NEAR(before.GetTimeDifference(d) * 86400, days * 86400, 1e-5) << days;
        ASSERT_TRUE(d.Subtract(days)) << days;
        EXPECT_EQ(d.GetDate(), before.GetDate()) << days;
        EXPECT_EQ(d.FormattedDate() + d.FormattedTime(), before.FormattedDate() + before.FormattedTime());
    }
}

TEST(ComtradeDateShift, ShiftTooLargeToExpressChangesNothing)
{
    ComtradeDate d = At("07/15/98,13:05:09.123456");
    EXPECT_FALSE(d.Add(24856));  // 2147558400 s needs more than 32 bits
    EXPECT_FALSE(d.Subtract(24856));
    EXPECT_FALSE(d.Add(std::nan("")));
    EXPECT_EQ(d.GetDate(), "07/15/98,13:05:09.123456");
    EXPECT_EQ(d.FormattedDate(), 35991);

    d.SetFormattedDate(ComtradeDate::DateSerial(9999, 12, 31));
    EXPECT_FALSE(d.Add(1));  // past the last calendar day
    EXPECT_EQ(d.GetDate(), "12/31/99,13:05:09.123456");
}

TEST(ComtradeDateValues, SettersRoundToWholeSecondsAndDeriveComponents)
{
    ComtradeDate d;
    d.SetFormattedDate(ComtradeDate::DateSerial(1850, 2, 30) + 0.25);
    EXPECT_EQ(d.FormattedDate(), ComtradeDate::DateSerial(1850, 3, 2));
    EXPECT_EQ(d.GetDate(), "03/02/50,00:00:00.000000");
    d.SetFormattedDate(36526 - 0.4 / 86400);  // rounds up into the next day
    EXPECT_EQ(d.FormattedDate(), 36526);
    d.SetFormattedTime(0.5 + 0.5 / 86400);  // half a second: to the even 12:00:00
    EXPECT_EQ(d.GetDate(), "01/01/00,12:00:00.000000");
    d.SetFormattedTime(1.5 / 86400);
    EXPECT_EQ(d.GetDate(), "01/01/00,00:00:02.000000");
    d.SetFormattedTime(ComtradeDate::TimeSerial(23, 59, 59) + 0.8 / 86400);  // rounds to midnight
    EXPECT_EQ(d.FormattedTime(), 0);
    d.SetFormattedTime(ComtradeDate::TimeSerial(13, 5, 9));
    d.SetFormattedTime(std::nan(""));
    d.SetFormattedDate(1e300);
    EXPECT_EQ(d.GetDate(), "01/01/00,13:05:09.000000");
}

TEST(ComtradeDateComponents, SettersIgnoreValuesOutOfRange)
{
    ComtradeDate d = At("07/15/98,13:05:09.123456");
    d.SetHours(24);
    d.SetMinutes(-1);
    d.SetDay(0);
    d.SetMonth(13);
    d.SetMicroSeconds(1000000);
    EXPECT_EQ(d.GetDate(), "07/15/98,13:05:09.123456");
    d.SetHours(23);
    d.SetMinutes(0);
    d.SetSeconds(59);
    d.SetMicroSeconds(999999);
    d.SetYear(0);
    d.SetDay(31);
    d.SetMonth(12);
    EXPECT_EQ(d.GetDate(), "12/31/00,23:00:59.999999");
    EXPECT_EQ(d.FormattedDate(), 35991);  // components alone leave the date value
}

}  // namespace
}  // namespace sevrana
