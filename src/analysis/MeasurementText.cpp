#include "MeasurementText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <vector>

#include "NumberUtils.h"
#include "TextUtils.h"

namespace sevrana::analysis {

namespace {

constexpr int kSignificant = 5;
// Plain decimals stay readable from 0.000012346 to 9999999999 (ten figures); beyond that the
// zeros would be the figures a reader counts, so the exponent form says it instead.
constexpr int kLowestPlainExponent = -5;
constexpr int kHighestPlainExponent = 9;

std::string Text(std::string_view text) { return std::string(text); }

std::string NameOf(const Array1<std::string>& names, long i)
{
    return i >= names.LBound() && i <= names.UBound() ? names(i) : std::string();
}

enum class Kind { Value, Angle, Percent, Seconds, Count };

std::string Format(Kind kind, const std::string& unit, std::optional<double> v)
{
    if (v && std::isnan(*v)) return "--";  // measured over a gap
    switch (kind) {
    case Kind::Angle:
        return FormatAngle(v);
    case Kind::Percent:
        return FormatPercent(v);
    case Kind::Seconds:
        return v ? FormatSeconds(*v) : "--";
    case Kind::Count:
        return v ? IntText(static_cast<long long>(*v)) : "--";
    case Kind::Value:
        break;
    }
    return v ? FormatValue(*v, unit) : "--";
}

/// Rows of tab-separated cells; with a second measurement every quantity takes three cells.
class Table {
public:
    Table(const Measurement& m1, const Measurement* m2) : m1_(m1), m2_(m2) {}

    using Getter = std::function<std::optional<double>(const Measurement&)>;

    /// A title cell per measurement, and one for the difference.
    void Title(const std::string& title)
    {
        if (m2_ == nullptr) {
            row_.push_back(title);
            return;
        }
        for (const char* suffix : {" M1", " M2", " M2 - M1"}) row_.push_back(title + suffix);
    }

    void Quantity(Kind kind, const std::string& unit, const Getter& get)
    {
        const std::optional<double> a = get(m1_);
        row_.push_back(Format(kind, unit, a));
        if (m2_ == nullptr) return;
        const std::optional<double> b = get(*m2_);
        row_.push_back(Format(kind, unit, b));
        std::optional<double> difference;
        // Two equal values computed apart differ by rounding only: that shows as 0.
        if (a && b)
            difference = kind == Kind::Angle ? WrapAngle(*b - *a)
                         : std::fabs(*b - *a) <= kRoundingResidue * std::max(std::fabs(*a), std::fabs(*b)) ? 0
                                                                                                           : *b - *a;
        row_.push_back(Format(kind, unit, difference));
    }

    /// A cell per measurement, nothing for the difference.
    void Each(const std::function<std::string(const Measurement&)>& text)
    {
        row_.push_back(text(m1_));
        if (m2_ != nullptr) row_.push_back(text(*m2_));
    }

    void Cell(std::string text) { row_.push_back(std::move(text)); }

    void EndRow()
    {
        for (std::size_t c = 0; c < row_.size(); ++c) text_ += (c > 0 ? "\t" : "") + row_[c];
        text_ += '\n';
        row_.clear();
    }

    void Blank() { text_ += '\n'; }
    std::string Result() const { return text_; }

private:
    const Measurement& m1_;
    const Measurement* m2_;
    std::vector<std::string> row_;
    std::string text_;
};

std::string WindowText(const RecordingModel& model, const Measurement& m)
{
    const double fs = model.lngSampleRate;
    const auto at = [&](long k) { return FormatSeconds(fs > 0 ? static_cast<double>(k - 1) / fs : 0); };
    return IntText(m.first) + ".." + IntText(m.last) + ", " + at(m.first) + ".." + at(m.last) +
           (m.windowMoved ? ", from the record's start" : "");
}

const ChannelMeasurement& ChannelOf(const Measurement& m, long i)
{
    return m.channels[static_cast<std::size_t>(i - 1)];
}

std::optional<double> SecondHarmonic(const ChannelMeasurement& c)
{
    return c.harmonics.size() >= 2 ? c.harmonics[1].percent : std::nullopt;
}

}  // namespace

std::string FormatValue(double v, const std::string& unit)
{
    const std::string after = unit.empty() ? std::string() : " " + unit;
    if (!std::isfinite(v)) return "--";
    if (v == 0) return "0" + after;
    // The exponent after rounding to 5 figures decides how many decimals the plain form has.
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, kSignificant - 1).ptr;
    std::string scientific(buffer, end);
    const std::size_t e = scientific.find('e');
    const int exponent = std::stoi(scientific.substr(e + 1));
    if (exponent < kLowestPlainExponent || exponent > kHighestPlainExponent) {
        scientific[e] = 'E';
        return scientific + after;
    }
    if (exponent >= kSignificant) {  // whole numbers past the fifth figure: zeros, not more figures
        std::string digits = scientific.substr(0, e);
        digits.erase(digits.find('.'), 1);
        return digits + std::string(static_cast<std::size_t>(exponent - kSignificant + 1), '0') + after;
    }
    const int decimals = kSignificant - 1 - exponent;
    return FormatPattern(v, decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0") + after;
}

std::string FormatAngle(std::optional<double> degrees)
{
    if (!degrees || std::isnan(*degrees)) return "--";
    std::string text = FormatPattern(*degrees, "0.0");
    if (text == "-180.0") text = "180.0";  // the half-open range ends at +180
    return text + "°";
}

std::string FormatPercent(std::optional<double> percent)
{
    return percent && !std::isnan(*percent) ? FormatPattern(*percent, "0.0") + " %" : "--";
}

std::string FormatSeconds(double seconds) { return FormatPattern(seconds, "0.000000") + " s"; }

std::string TablesText(const RecordingModel& model, const Measurement& m1, const Measurement* m2)
{
    Table t(m1, m2);
    t.Cell("Sample");
    t.Quantity(Kind::Count, "", [](const Measurement& m) { return static_cast<double>(m.sample); });
    t.EndRow();
    t.Cell("Time");
    t.Quantity(Kind::Seconds, "", [](const Measurement& m) { return m.time; });
    t.EndRow();
    t.Cell("Window");
    t.Each([&](const Measurement& m) { return WindowText(model, m); });
    t.EndRow();
    t.Cell("Frequency");
    t.Quantity(Kind::Value, "Hz", [](const Measurement& m) { return m.frequency; });
    t.EndRow();
    t.Cell("Reference");
    t.Cell(NameOf(model.arrAnalogNames, m1.reference));
    t.EndRow();
    t.Cell("Cycle");
    t.Cell(IntText(m1.samplesPerCycle) + " samples" + (m1.cycleApproximate ? ", approximate" : "") +
           (m1.phasors ? "" : ", no phasors"));
    t.EndRow();

    t.Blank();
    t.Cell("Channel");
    t.Cell("Unit");
    for (const char* title : {"Value", "RMS", "DC", "Fundamental", "Angle", "THD", "2nd harmonic"}) t.Title(title);
    t.EndRow();
    for (const ChannelMeasurement& c : m1.channels) {
        const long i = c.index;
        const std::string unit = Text(TrimBlanks(NameOf(model.arrAnalogUnits, i)));
        const auto fundamental = [i](const Measurement& m) { return ChannelOf(m, i).fundamental; };
        t.Cell(NameOf(model.arrAnalogNames, i));
        t.Cell(unit);
        t.Quantity(Kind::Value, unit, [i](const Measurement& m) { return ChannelOf(m, i).value; });
        t.Quantity(Kind::Value, unit, [i](const Measurement& m) { return ChannelOf(m, i).rms; });
        t.Quantity(Kind::Value, unit, [i](const Measurement& m) { return ChannelOf(m, i).dc; });
        t.Quantity(Kind::Value, unit, [&](const Measurement& m) {
            const auto f = fundamental(m);
            return f ? std::optional(f->magnitude) : std::nullopt;
        });
        t.Quantity(Kind::Angle, unit, [&](const Measurement& m) {
            const auto f = fundamental(m);
            return f ? std::optional(f->angle) : std::nullopt;
        });
        t.Quantity(Kind::Percent, unit, [i](const Measurement& m) { return ChannelOf(m, i).thd; });
        t.Quantity(Kind::Percent, unit, [i](const Measurement& m) { return SecondHarmonic(ChannelOf(m, i)); });
        t.EndRow();
    }
    if (m1.groups.empty()) return t.Result();

    t.Blank();
    t.Cell("Group");
    t.Cell("Channels");
    for (const char* title : {"Zero", "Zero angle", "Positive", "Positive angle", "Negative", "Negative angle"})
        t.Title(title);
    t.EndRow();
    for (std::size_t g = 0; g < m1.groups.size(); ++g) {
        const GroupMeasurement& group = m1.groups[g];
        std::string names;
        for (const long i : group.channels) names += (names.empty() ? "" : ", ") + NameOf(model.arrAnalogNames, i);
        t.Cell(group.circuit);
        t.Cell(names);
        for (const Phasor GroupMeasurement::*component :
             {&GroupMeasurement::zero, &GroupMeasurement::positive, &GroupMeasurement::negative}) {
            const auto phasor = [&](const Measurement& m) -> std::optional<Phasor> {
                if (g >= m.groups.size()) return std::nullopt;
                return m.groups[g].*component;
            };
            t.Quantity(Kind::Value, group.unit, [&](const Measurement& m) {
                const auto p = phasor(m);
                return p ? std::optional(p->magnitude) : std::nullopt;
            });
            t.Quantity(Kind::Angle, group.unit, [&](const Measurement& m) {
                const auto p = phasor(m);
                return p ? std::optional(p->angle) : std::nullopt;
            });
        }
        t.EndRow();
    }
    return t.Result();
}

}  // namespace sevrana::analysis
