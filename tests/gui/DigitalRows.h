#pragma once
// Reads the digital window's picture back row by row: which channel's label stands
// in a row and whether its red trace follows a channel's states. Rows are the
// window's height shared by the channels drawn; a trace is high at its row's top
// and low two pixels above its bottom; labels "k:" stand at the row's bottom left.
// The trigger line and its texts are drawn over the traces: where they cover a
// level, that column says nothing about the trace.

#include <QImage>
#include <QString>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "MDIForm1.h"
#include "RecordingModel.h"

namespace sevrana::testing {

class DigitalRows {
public:
    /// picture: the window's persistent image; font: the one its labels are in; rows: how many it should show.
    DigitalRows(const QImage& picture, const QFont& font, long rows) : picture_(picture), font_(font), rows_(rows) {}

    double RowHeight() const { return static_cast<double>(picture_.height()) / static_cast<double>(rows_); }

    /// How row r (from 1) disagrees with channel k's states over the view from sample first,
    /// samples samples wide: empty when it follows them; std::nullopt when the row is too low to read.
    std::optional<std::string> TraceMismatch(const RecordingModel& m, long r, long k, std::int32_t first,
                                             std::int32_t samples) const
    {
        const double R = RowHeight();
        if (R < 8) return std::nullopt;
        const double high = (r - 1) * R, low = r * R - 2;
        // A line at y lands on a row of pixels less than one away from it (a half may go either way). A row's
        // low level and the next row's high one are two apart, so neither reading takes in the other's trace.
        auto near = [&](int x, double y, auto&& test) {
            for (int p = static_cast<int>(std::floor(y - 1)) + 1; p < y + 1; ++p)
                if (p >= 0 && p < picture_.height() && test(picture_.pixel(x, p))) return true;
            return false;
        };
        auto red = [&](int x, double y) { return near(x, y, [](QRgb p) { return p == qRgb(255, 0, 0); }); };
        // Anything but the white ground, the red traces and the green row lines: a text or the trigger line.
        auto covered = [&](int x, double y) {
            return near(
                x, y, [](QRgb p) { return p != qRgb(255, 255, 255) && p != qRgb(255, 0, 0) && p != qRgb(0, 128, 0); });
        };
        const int W = picture_.width();
        int compared = 0, wrong = 0, missing = 0, columns = 0;
        for (int x = 40; x < W - 3; ++x) {
            // The samples this column covers, one column either side: only where they agree is the level certain.
            const auto s1 = static_cast<std::int32_t>(std::floor(first + (x - 1.5) * samples / W));
            const auto s2 = static_cast<std::int32_t>(std::ceil(first + (x + 1.5) * samples / W));
            if (s1 < 1 || s2 > m.lngLastSample) continue;
            bool steady = true;
            for (std::int32_t n = s1 + 1; n <= s2 && steady; ++n)
                steady = m.arrDigitalSamples(k, n) == m.arrDigitalSamples(k, s1);
            const bool atHigh = red(x, high), atLow = red(x, low);
            if (!atHigh && !atLow && (covered(x, high) || covered(x, low))) continue;
            ++columns;
            if (!atHigh && !atLow) ++missing;
            if (!steady || atHigh == atLow) continue;
            ++compared;
            wrong += atHigh != (m.arrDigitalSamples(k, s1) == 1);
        }
        // A trace missing from many uncovered columns is in another row.
        if (missing * 10 > columns || wrong * 50 > compared)
            return "row " + std::to_string(r) + " is not channel " + std::to_string(k) + "'s trace (" +
                   std::to_string(wrong) + " of " + std::to_string(compared) + " columns at the other level, " +
                   std::to_string(missing) + " of " + std::to_string(columns) + " without a trace)";
        return std::string();
    }

    /// The label "k:" among candidates 1..nD that row r's bottom left corner shows most nearly (0: no row
    /// is high enough for labels).
    long Label(long r, long nD) const
    {
        Canvas probe(picture_.width(), picture_.height());
        probe.SetFont(font_.family(), font_.pointSizeF(), font_.bold());
        const double h = probe.TextHeight("1");
        if ((rows_ + 1) * h >= picture_.height()) return 0;
        const int top = static_cast<int>(std::floor(r * RowHeight() - 1 - h));
        const int bottom = static_cast<int>(std::lround(r * RowHeight())) - 4;  // above the low trace
        // The word "Low" stands right of two digits' width in the first row.
        const int right = static_cast<int>(probe.TextWidth("00")) + 1;
        long best = 0;
        int fewest = 0;
        for (long k = 1; k <= nD; ++k) {
            Canvas label(picture_.width(), picture_.height());
            label.SetFont(font_.family(), font_.pointSizeF(), font_.bold());
            label.SetForeColor(QColor(255, 0, 0));
            label.CurrentX = 2;
            label.CurrentY = r * RowHeight() - 1 - h;
            label.Print(QString::number(k) + ":", false);
            int differ = 0;
            for (int y = std::max(0, top); y <= bottom; ++y)
                for (int x = 0; x <= right; ++x) differ += label.PersistentImage().pixel(x, y) != picture_.pixel(x, y);
            if (best == 0 || differ < fewest) best = k, fewest = differ;
        }
        return best;
    }

private:
    QImage picture_;
    QFont font_;
    long rows_;
};

/// How the digital window of form differs from the channels ticked, row by row (label and trace);
/// empty when it shows them, or when it is an icon or too small to read.
inline std::string DigitalRowsDiffer(MDIForm1& form)
{
    const RecordingModel& m = form.State().model;
    const long nD = m.DigitalCount();
    const Pohja* window = m.intHasDigital != 0 ? form.ChannelWindow(m.AnalogCount() + 1) : nullptr;
    if (window == nullptr || window->IsMinimized()) return {};
    std::vector<long> ticked;
    for (long k = 1; k <= nD; ++k)
        if (m.arrDigitalSelection(0) == 1 || m.arrDigitalSelection(k) == 1) ticked.push_back(k);
    if (ticked.empty()) return "the digital window is shown without a channel\n";
    const DigitalRows rows(window->canvas().PersistentImage(), window->canvas().Font(),
                           static_cast<long>(ticked.size()));
    std::string out;
    for (long r = 1; r <= static_cast<long>(ticked.size()); ++r) {
        const long k = ticked[static_cast<std::size_t>(r - 1)];
        if (const auto trace = rows.TraceMismatch(m, r, k, form.State().view.lngFirstSample, m.lngViewSamples);
            trace && !trace->empty())
            out += *trace + "\n";
        if (const long label = rows.Label(r, nD); label != 0 && label != k)
            out += "row " + std::to_string(r) + " is labelled " + std::to_string(label) + ":, not " +
                   std::to_string(k) + ":\n";
    }
    return out;
}

}  // namespace sevrana::testing
