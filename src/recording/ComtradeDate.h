#pragma once
// A COMTRADE date and time with microsecond resolution. Dates are kept as day
// numbers (day 0 is 30 December 1899) and the time of day as a fraction of a
// day in whole seconds, so differences and shifts are plain day arithmetic.

#include <cstdint>
#include <string>
#include <string_view>

namespace sevrana {

class ComtradeDate {
public:
    /// Shifts back by a signed number of days, microsecond resolution. Always true
    /// unless the shift is too large to express (then nothing changes and the result is false).
    bool Subtract(double dblDays);
    /// Shifts forward by a signed number of days, microsecond resolution; as Subtract.
    bool Add(double dblDays);
    /// Days from this timestamp to the other (other minus this).
    double GetTimeDifference(const ComtradeDate& other) const;

    /// Date value (day number); setting it also sets month, day and two-digit year.
    void SetFormattedDate(double vData);
    double FormattedDate() const { return datDate_; }
    /// Time value (fraction of a day); setting it also sets hours, minutes and seconds.
    void SetFormattedTime(double vData);
    double FormattedTime() const { return datTime_; }

    /// "MM/DD/YY,hh:mm:ss.uuuuuu", 24 characters.
    std::string GetDate() const;

    // Component access; a setter ignores a value outside the component's range.
    void SetMicroSeconds(std::int32_t v);
    std::int32_t lngMicroSeconds() const { return lngMicroSeconds_; }
    void SetSeconds(std::int16_t v);
    std::int16_t intSeconds() const { return intSeconds_; }
    void SetMinutes(std::int16_t v);
    std::int16_t intMinutes() const { return intMinutes_; }
    void SetHours(std::int16_t v);
    std::int16_t intHours() const { return intHours_; }
    void SetYear(std::int16_t v);
    std::int16_t intYear() const { return intYear_; }
    void SetDay(std::int16_t v);
    std::int16_t intDay() const { return intDay_; }
    void SetMonth(std::int16_t v);
    std::int16_t intMonth() const { return intMonth_; }

    /// Parses the 24-character text; false when it is not in the layout
    /// (components stored before the failing check stay stored).
    bool SetDate(std::string_view DateString);

    /// Day number of a calendar date; days past the month's end roll over.
    static double DateSerial(int year, int month, int day);
    /// Time value of a time of day.
    static double TimeSerial(int hours, int minutes, int seconds);

private:
    /// Shift shared by Add (direction +1) and Subtract (direction -1).
    bool Shift(double dblDays, int direction);
    /// Stores a combined date-time value and derives every calendar and clock
    /// component from it; false (nothing stored) outside the calendar range.
    bool StoreDateTime(double value);

    std::int16_t intMonth_ = 0;
    std::int16_t intDay_ = 0;
    std::int16_t intYear_ = 0;
    std::int16_t intHours_ = 0;
    std::int16_t intMinutes_ = 0;
    std::int16_t intSeconds_ = 0;
    std::int32_t lngMicroSeconds_ = 0;
    double datDate_ = 0;
    double datTime_ = 0;
};

}  // namespace sevrana
