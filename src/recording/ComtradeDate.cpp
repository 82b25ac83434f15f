#include "ComtradeDate.h"

#include <cmath>
#include <optional>

#include "NumberUtils.h"

namespace sevrana {
namespace {

constexpr long long kSecondsPerDay = 24 * 60 * 60;
// Day 0 (30 December 1899) counted from 1 January 1970, the epoch of the
// calendar conversions below.
constexpr long long kEpochShift = 25569;
// Calendar range of a date value: 1 January 100 to 31 December 9999.
constexpr long long kFirstDay = -657434;
constexpr long long kLastDay = 2958465;

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

// Days from 1 January 1970 to a proleptic Gregorian date (month 1..12).
long long DaysFromCivil(long long y, long long m, long long d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = FloorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    long long year;
    int month;
    int day;
};

Civil CivilFromDays(long long z)
{
    z += 719468;
    const long long era = FloorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

struct DayAndSeconds {
    long long day;
    long long seconds;  // 0..86399
};

// A combined date-time value as a whole day and the time of day rounded to
// the nearest second; a time that rounds up to midnight belongs to the next day.
std::optional<DayAndSeconds> SplitDateTime(double value)
{
    // The coarse check also keeps NaN and infinities away from the integer casts.
    if (!(value >= static_cast<double>(kFirstDay - 1) && value < static_cast<double>(kLastDay + 2))) return std::nullopt;
    const double whole = std::floor(value);
    auto day = static_cast<long long>(whole);
    auto seconds = static_cast<long long>(RoundHalfEven((value - whole) * static_cast<double>(kSecondsPerDay)));
    if (seconds >= kSecondsPerDay) {
        ++day;
        seconds -= kSecondsPerDay;
    }
    if (day < kFirstDay || day > kLastDay) return std::nullopt;
    return DayAndSeconds{day, seconds};
}

// A text component as a number within [lo, hi], blanks around it allowed.
std::optional<double> Component(std::string_view text, std::size_t pos, std::size_t length, double lo, double hi)
{
    const std::optional<double> value = ParseNumber(text.substr(pos, length));
    if (!value || *value < lo || *value > hi) return std::nullopt;
    return value;
}

void AppendDigits(std::string& out, long value, std::size_t width)
{
    std::string digits = std::to_string(value);
    if (digits.size() < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

double ComtradeDate::DateSerial(int year, int month, int day)
{
    long long y = year;
    if (y >= 0 && y <= 29) {
        y += 2000;
    } else if (y >= 30 && y <= 99) {
        y += 1900;
    }
    // Months outside 1..12 move whole years, days outside the month move on
    // from its first day, so 30 February lands in March.
    const long long m0 = static_cast<long long>(month) - 1;
    y += FloorDiv(m0, 12);
    const long long m = m0 - FloorDiv(m0, 12) * 12 + 1;
    return static_cast<double>(DaysFromCivil(y, m, 1) + kEpochShift + (static_cast<long long>(day) - 1));
}

double ComtradeDate::TimeSerial(int hours, int minutes, int seconds)
{
    const long long total = static_cast<long long>(hours) * 3600 + static_cast<long long>(minutes) * 60 + seconds;
    return static_cast<double>(total) / static_cast<double>(kSecondsPerDay);
}

bool ComtradeDate::StoreDateTime(double value)
{
    const std::optional<DayAndSeconds> split = SplitDateTime(value);
    if (!split) return false;
    const Civil civil = CivilFromDays(split->day - kEpochShift);
    datDate_ = static_cast<double>(split->day);
    datTime_ = static_cast<double>(split->seconds) / static_cast<double>(kSecondsPerDay);
    intYear_ = static_cast<std::int16_t>(civil.year % 100);
    intMonth_ = static_cast<std::int16_t>(civil.month);
    intDay_ = static_cast<std::int16_t>(civil.day);
    intHours_ = static_cast<std::int16_t>(split->seconds / 3600);
    intMinutes_ = static_cast<std::int16_t>(split->seconds / 60 % 60);
    intSeconds_ = static_cast<std::int16_t>(split->seconds % 60);
    return true;
}

bool ComtradeDate::Shift(double dblDays, int direction)
{
    const double shiftSeconds = dblDays * 24 * 60 * 60;
    std::int32_t s = 0;
    try {
        s = ToInt32(shiftSeconds);
    } catch (const ConversionError&) {
        return false;
    }
    // |shiftSeconds - s| <= 0.5, so u lies within +-500000.
    const std::int32_t u = ToInt32((shiftSeconds - s) * 1000000);
    const double wholeSecondDays = dblDays - static_cast<double>(u) / 1000000 / 60 / 60 / 24;
    double moved = datDate_ + datTime_ + direction * wholeSecondDays;

    // u is negative when the seconds rounded up, so either direction can carry
    // past 999999 or borrow below 0.
    long long micro = static_cast<long long>(lngMicroSeconds_) + static_cast<long long>(direction) * u;
    const double oneSecond = TimeSerial(0, 0, 1);
    if (micro > 999999) {
        moved += oneSecond;
        micro -= 1000000;
    } else if (micro < 0) {
        moved -= oneSecond;
        micro += 1000000;
    }
    if (!StoreDateTime(moved)) return false;
    lngMicroSeconds_ = static_cast<std::int32_t>(micro);
    return true;
}

bool ComtradeDate::Subtract(double dblDays) { return Shift(dblDays, -1); }

bool ComtradeDate::Add(double dblDays) { return Shift(dblDays, 1); }

double ComtradeDate::GetTimeDifference(const ComtradeDate& other) const
{
    // Whole days and times of day are subtracted apart: summing a day number
    // near 40000 with a time first would cost about 3e-7 s before the difference.
    double d = (other.datDate_ - datDate_) + (other.datTime_ - datTime_);
    std::int32_t u = other.lngMicroSeconds_ - lngMicroSeconds_;
    if (u < 0) {
        d = d - TimeSerial(0, 0, 1);
        u = u + 1000000;
    }
    return d + static_cast<double>(u) / 1000000 / 60 / 60 / 24;
}

void ComtradeDate::SetFormattedDate(double vData)
{
    const std::optional<DayAndSeconds> split = SplitDateTime(vData);
    if (!split) return;
    const Civil civil = CivilFromDays(split->day - kEpochShift);
    datDate_ = static_cast<double>(split->day);
    intYear_ = static_cast<std::int16_t>(civil.year % 100);
    intMonth_ = static_cast<std::int16_t>(civil.month);
    intDay_ = static_cast<std::int16_t>(civil.day);
}

void ComtradeDate::SetFormattedTime(double vData)
{
    const std::optional<DayAndSeconds> split = SplitDateTime(vData);
    if (!split) return;
    datTime_ = static_cast<double>(split->seconds) / static_cast<double>(kSecondsPerDay);
    intHours_ = static_cast<std::int16_t>(split->seconds / 3600);
    intMinutes_ = static_cast<std::int16_t>(split->seconds / 60 % 60);
    intSeconds_ = static_cast<std::int16_t>(split->seconds % 60);
}

std::string ComtradeDate::GetDate() const
{
    std::string text;
    text.reserve(24);
    AppendDigits(text, intMonth_, 2);
    text += '/';
    AppendDigits(text, intDay_, 2);
    text += '/';
    AppendDigits(text, intYear_, 2);
    text += ',';
    AppendDigits(text, intHours_, 2);
    text += ':';
    AppendDigits(text, intMinutes_, 2);
    text += ':';
    AppendDigits(text, intSeconds_, 2);
    text += '.';
    AppendDigits(text, lngMicroSeconds_, 6);
    return text;
}

void ComtradeDate::SetMicroSeconds(std::int32_t v)
{
    if (v >= 0 && v <= 999999) lngMicroSeconds_ = v;
}

void ComtradeDate::SetSeconds(std::int16_t v)
{
    if (v >= 0 && v <= 59) intSeconds_ = v;
}

void ComtradeDate::SetMinutes(std::int16_t v)
{
    if (v >= 0 && v <= 59) intMinutes_ = v;
}

void ComtradeDate::SetHours(std::int16_t v)
{
    if (v >= 0 && v <= 23) intHours_ = v;
}

void ComtradeDate::SetYear(std::int16_t v)
{
    if (v >= 0 && v <= 99) intYear_ = v;
}

void ComtradeDate::SetDay(std::int16_t v)
{
    if (v >= 1 && v <= 31) intDay_ = v;
}

void ComtradeDate::SetMonth(std::int16_t v)
{
    if (v >= 1 && v <= 12) intMonth_ = v;
}

bool ComtradeDate::SetDate(std::string_view DateString)
{
    const std::string_view s = DateString;
    if (s.size() != 24) return false;

    const std::optional<double> month = Component(s, 0, 2, 1, 12);
    if (!month) return false;
    intMonth_ = ToInt16(*month);
    if (s[2] != '/') return false;
    const std::optional<double> day = Component(s, 3, 2, 1, 31);
    if (!day) return false;
    intDay_ = ToInt16(*day);
    if (s[5] != '/') return false;
    const std::optional<double> year = Component(s, 6, 2, 0, 99);
    if (!year) return false;
    intYear_ = ToInt16(*year);
    // Two-digit year, month 1..12 and day 1..31 always give a date (rolling over).
    datDate_ = DateSerial(intYear_, intMonth_, intDay_);

    if (s[8] != ',') return false;
    const std::optional<double> hours = Component(s, 9, 2, 0, 23);
    if (!hours) return false;
    intHours_ = ToInt16(*hours);
    if (s[11] != ':') return false;
    const std::optional<double> minutes = Component(s, 12, 2, 0, 59);
    if (!minutes) return false;
    intMinutes_ = ToInt16(*minutes);
    if (s[14] != ':') return false;
    const std::optional<double> seconds = Component(s, 15, 2, 0, 59);
    if (!seconds) return false;
    intSeconds_ = ToInt16(*seconds);
    if (s[17] != '.') return false;
    const std::optional<double> micro = Component(s, 18, 6, 0, 999999);
    if (!micro) return false;
    lngMicroSeconds_ = ToInt32(*micro);

    datTime_ = TimeSerial(intHours_, intMinutes_, intSeconds_);
    return true;
}

}  // namespace sevrana
