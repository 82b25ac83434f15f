// The renderers on off-screen canvases: where traces, labels, the trigger line
// and markers land, and the per-column trace against the full polyline.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "ProgramError.h"
#include "SignalRenderer.h"
#include "TraceColumns.h"

namespace sevrana {
namespace {

const QRgb kTraceRed = qRgb(255, 0, 0);

/// A recording built in memory: nA analog channels with the given samples function.
struct Scene {
    RecordingModel model;
    ViewState view;
    DrawingState drawing;
    MinMaxPyramid pyramid;
    DigitalEdges edges;
    TraceColumnCache columns;  // shared by every reduced drawing of the scene, as in the viewer
    bool titles = true;        // no channel name printed unless a test wants it

    Scene(long nA, long nD, std::int32_t samples, std::int32_t rate = 1000)
    {
        model.varAnalogChannels = static_cast<double>(nA);
        model.intDigitalCount = static_cast<std::int16_t>(nD);
        model.intHasDigital = nD > 0 ? 1 : 0;
        model.lngLastSample = samples;
        model.lngSampleRate = rate;
        if (nA > 0) {
            model.arrAnalogSamples.Redim(nA, samples + 1);
            for (auto* a : {&model.arrChannelScale, &model.arrFullScale, &model.arrFactorA, &model.arrFactorB})
                a->Redim(1, nA);
            for (auto* a : {&model.arrAnalogNames, &model.arrAnalogUnits}) a->Redim(1, nA);
            for (long i = 1; i <= nA; ++i) {
                model.arrChannelScale(i) = 100;
                model.arrAnalogNames(i) = "U" + std::to_string(i);
                model.arrAnalogUnits(i) = "kV";
            }
        }
        model.arrDigitalSelection.Redim(0, nD + 1);
        model.arrDigitalSelection(0) = 1;
        model.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(nD);
        if (nD > 0) {
            model.arrDigitalSamples.Redim(nD, samples + 1);
            model.arrDigitalNames.Redim(1, nD);
        }
        model.lngViewSamples = samples - 1;
        view.lngFirstSample = 1;
        view.blnRedrawSignals = kTrue;
        view.blnRedrawMarkers = kTrue;
    }
    void Index()
    {
        pyramid.Build(model);
        edges.Build(model);
    }
    RenderContext Context(bool reduced = true)
    {
        if (!reduced) return RenderContext{model, view, drawing, nullptr, nullptr, titles, nullptr};
        return RenderContext{model, view, drawing, &pyramid, &edges, titles, &columns};
    }
    /// Analog channel ch (or, for 0, the digital window) on a fresh canvas; frame is the one the drawing left.
    QImage Draw(long ch, int w, int h, bool reduced = true)
    {
        Canvas c(w, h);
        frame = ComputeFrame(model, view);
        if (ch > 0)
            DrawAnalogTrace(c, Context(reduced), ch, frame);
        else
            DrawDigitalWindow(c, Context(reduced), frame, false, view.lngFirstSample);
        return c.PersistentImage();
    }
    Frame frame;
};

/// Empty when two images agree, else how many pixels differ and the first of them.
std::string Differences(const QImage& a, const QImage& b)
{
    int count = 0;
    std::string first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0) first = std::to_string(x) + "," + std::to_string(y);
    return count == 0 ? "" : std::to_string(count) + " pixels, first at " + first;
}

TEST(Mapping, ValuesAndPointsLandOnTheRightPixelsTheTraceStartsAtXOneWithTheScaleAtTheEdges)
{
    // A value equal to the scale at y = 0 (0.5 rounds to the even 0); its negative at H - 0.5 rounded (149.5 and
    // 150.5 both to the even 150); zero in the middle (75.5 to the even 76).
    for (const auto& [value, height, y] :
         {std::tuple{100, 150, 0}, {-100, 150, 150}, {-100, 151, 150}, {0, 151, 76}, {0, 150, 75}})
        EXPECT_EQ(ValueY(value, height, 100), y) << value << " in " << height;
    EXPECT_THROW(ValueY(1, 150, 0), ProgramError);

    Scene wide(1, 0, 1001);
    wide.model.lngViewSamples = 1000;
    const Frame frame = ComputeFrame(wide.model, wide.view);
    EXPECT_EQ(std::tuple(frame.E, frame.D), std::tuple(1001, 1.001));
    EXPECT_NEAR(PointX(frame, 500, 1001, 1000), 500, 1e-9);
    EXPECT_EQ(PointX(frame, 500, 1, 1000), 0);

    // The trace's first point at x = 1, the scale at the edges.
    Scene s(1, 0, 11);
    s.model.lngViewSamples = 10;
    for (long n = 1; n <= 11; ++n) s.model.arrAnalogSamples(1, n) = n % 2 ? 100 : -100;
    s.Index();
    Canvas canvas(101, 50);
    auto ctx = s.Context();
    Frame f = ComputeFrame(s.model, s.view);
    const auto points = ReducedTracePoints(ctx, 1, f, 101, 50);
    ASSERT_GE(points.size(), 2u);
    // round(101 * 1 / 10) = 10; -scale at H - 0.5 -> 50 (even)
    EXPECT_EQ(std::pair(points[0], points[1]), std::pair(QPoint(1, 0), QPoint(10, 50)));
    DrawAnalogTrace(canvas, ctx, 1, f);
    EXPECT_EQ(canvas.PersistentImage().pixel(1, 0), kTraceRed);
    EXPECT_NE(canvas.PersistentImage().pixel(0, 0), kTraceRed);
    EXPECT_FALSE(canvas.AutoRedraw());  // the trace leaves the window in overlay drawing
    EXPECT_EQ(s.drawing.varPlotPoint, 12);
}

/// Every sample joined line by line, the plainest way there is; a break starts anew, so a point
/// alone between two breaks is one pixel.
QImage PlainTrace(const std::vector<QPoint>& points, QSize size)
{
    Canvas plain(size.width(), size.height());
    plain.SetPen(Qt::SolidLine, 1, QColor(255, 0, 0));
    bool fresh = true;
    for (const QPoint& p : points) {
        if (p == kTraceBreak) {
            fresh = true;
            continue;
        }
        if (fresh) plain.MoveTo(p.x(), p.y());
        plain.LineTo(p.x(), p.y());
        fresh = false;
    }
    return plain.PersistentImage();
}

/// Channels 1..channels of an indexed scene drawn through the per-column table and as the full
/// polyline, at many zooms, places and window sizes: the same pixels every time.
void ExpectReducedDrawsTheFullPolyline(Scene& s, long channels)
{
    const std::int32_t N = s.model.lngLastSample;
    for (const QSize size : {QSize(1200, 150), QSize(333, 77), QSize(64, 300)}) {
        for (int percent = 1; percent <= 100; percent += (percent < 10 ? 1 : 9)) {
            s.model.lngViewSamples = static_cast<std::int32_t>(std::lround(percent / 100.0 * (N - 1)));
            for (std::int32_t first : {1, 4321, N - s.model.lngViewSamples}) {
                s.view.lngFirstSample = std::max(1, first);
                for (long ch = 1; ch <= channels; ++ch) {
                    const std::string where = "channel " + std::to_string(ch) + " at " + std::to_string(percent) +
                                              " % from " + std::to_string(first) + " in " +
                                              std::to_string(size.width()) + "x" + std::to_string(size.height());
                    const QImage full = s.Draw(ch, size.width(), size.height(), false);
                    const QImage reduced = s.Draw(ch, size.width(), size.height());
                    ASSERT_EQ(Differences(full, reduced), "") << where;
                    if (size.width() != 333 || ch > 2) continue;
                    const auto points = FullTracePoints(s.Context(false), ch, s.frame, size.width(), size.height());
                    ASSERT_EQ(Differences(PlainTrace(points, size), reduced), "") << where;
                }
            }
        }
    }
}

TEST(Trace, ReducedColumnsDrawExactlyTheFullPolyline)
{
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 30);
    const std::int32_t N = 20000;
    Scene s(5, 0, N, 4000);
    for (long n = 1; n <= N; ++n) {
        const double t = n / 4000.0;
        s.model.arrAnalogSamples(1, n) = 80 * std::sin(2 * M_PI * 50 * t);                    // real-like sine
        s.model.arrAnalogSamples(2, n) = noise(rng);                                          // noise
        s.model.arrAnalogSamples(3, n) = (n % 997 == 0) ? 5000 : (n % 500 < 250 ? 60 : -60);  // spikes and steps
        s.model.arrAnalogSamples(4, n) = 400 * std::sin(2 * M_PI * 3 * t);  // clipped far beyond the scale
        s.model.arrAnalogSamples(5, n) = std::round(noise(rng)) / 4;        // many equal values
    }
    s.Index();
    ExpectReducedDrawsTheFullPolyline(s, 5);
}

TEST(Trace, GapsBreakTheTraceAlikeInTheReducedAndTheFullPolyline)
{
    std::mt19937 rng(9);
    std::normal_distribution<double> noise(0, 30);
    std::bernoulli_distribution sprinkled(0.003);
    std::uniform_int_distribution<std::int32_t> start(1, 20000), length(1, 2500), island(0, 6);
    const std::int32_t N = 20000;
    const double gap = std::numeric_limits<double>::quiet_NaN();
    Scene s(5, 0, N, 4000);
    auto& x = s.model.arrAnalogSamples;
    for (long n = 1; n <= N; ++n) {
        const double t = n / 4000.0;
        x(1, n) = sprinkled(rng) ? gap : 80 * std::sin(2 * M_PI * 50 * t);  // single samples missing
        x(2, n) = noise(rng);
        x(3, n) = gap;                                           // nothing but gaps
        x(4, n) = n % 2 ? gap : (n % 500 < 250 ? 60.0 : -60.0);  // every value an island
        x(5, n) = (n / 333) % 2 ? 70 : -70;                      // a gap often parts two levels within one column
    }
    // Long stretches of gaps with islands of one to a few values inside them.
    for (int k = 0; k < 12; ++k) {
        for (const long ch : {2L, 5L}) {
            const std::int32_t a = start(rng), b = std::min(N, a + length(rng));
            for (std::int32_t n = a; n <= b; ++n) x(ch, n) = gap;
            for (std::int32_t n = a + 2, left = island(rng); n < b && left > 0; n += 3, --left) x(ch, n) = noise(rng);
        }
    }
    // Short gaps across channel 5's level changes, every other one of whole pyramid blocks.
    for (std::int32_t edge = 333, k = 0; edge + 200 < N; edge += 333, ++k) {
        const std::int32_t from = k % 2 ? (edge - 40) / 16 * 16 + 1 : edge - 10 - k % 40;
        const std::int32_t to = k % 2 ? from + 16 * (3 + k % 9) - 1 : edge + 10 + k * 37 % 180;
        for (std::int32_t n = from; n <= to; ++n) x(5, n) = gap;
    }
    for (const long ch : {1L, 2L, 5L}) x(ch, 1) = x(ch, N) = gap;  // at the first and the last sample
    s.Index();
    ExpectReducedDrawsTheFullPolyline(s, 5);
}

/// Number of pixels in an area that pass a test of their colour.
template <class Test>
int PixelsIn(const QImage& img, QRect area, Test test)
{
    int n = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), img.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), img.width() - 1); ++x)
            n += test(img.pixel(x, y)) ? 1 : 0;
    return n;
}
int PixelsIn(const QImage& img, QRect area, QRgb colour)
{
    return PixelsIn(img, area, [colour](QRgb p) { return p == colour; });
}
/// Black text, smoothed on white: greys darker than the middle (the dashed trigger line's own grey aside).
int DarkIn(const QImage& img, QRect area)
{
    return PixelsIn(img, area, [](QRgb p) {
        return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) < 128 && p != qRgb(64, 64, 64);
    });
}

TEST(Trace, NoPixelAcrossAGapAnIslandIsOnePixelAndReadOutsSayMissing)
{
    // 50 kV of 100 throughout (row 13 of 50), but samples 41..59 missing and sample 50 an island of
    // -50 (row 37). Sample n lands on x = round(1.01 (n - 1)): 40 on 39, 50 on 49, 60 on 60.
    Scene s(1, 0, 101);
    s.model.lngViewSamples = 100;
    for (long n = 1; n <= 101; ++n) s.model.arrAnalogSamples(1, n) = n > 40 && n < 60 ? std::nan("") : 50;
    s.model.arrAnalogSamples(1, 50) = -50;
    s.Index();
    for (const bool reduced : {true, false}) {
        const QImage img = s.Draw(1, 101, 50, reduced);
        EXPECT_EQ(PixelsIn(img, QRect(0, 0, 101, 50), kTraceRed), 39 + 41 + 1) << reduced;
        EXPECT_EQ(PixelsIn(img, QRect(1, 13, 39, 1), kTraceRed), 39) << reduced;
        EXPECT_EQ(PixelsIn(img, QRect(60, 13, 41, 1), kTraceRed), 41) << reduced;
        EXPECT_EQ(img.pixel(49, 37), kTraceRed) << reduced;
    }
    // Gaps at the first sample in view and all through: nothing drawn, nothing thrown.
    s.view.lngFirstSample = 45;
    s.model.lngViewSamples = 10;
    EXPECT_EQ(PixelsIn(s.Draw(1, 101, 50), QRect(0, 0, 101, 50), kTraceRed), 1);  // the island
    s.view.lngFirstSample = 41;
    s.model.lngViewSamples = 8;
    EXPECT_EQ(PixelsIn(s.Draw(1, 101, 50), QRect(0, 0, 101, 50), kTraceRed), 0);

    EXPECT_EQ(ValueLine(s.model, 1, 45), "U1 = missing");
    EXPECT_EQ(ValueLine(s.model, 1, 50), "U1 = -50 kV");
}

TEST(Trigger, LineOnlyWhenTheTriggerIsInViewAnnotationBesideIt)
{
    Scene s(1, 0, 101);
    s.model.lngViewSamples = 100;
    s.model.varTriggerTime = 0.05;
    s.Index();
    QImage img;
    auto draw = [&](std::int32_t trigger, std::int32_t first) {
        s.model.lngTriggerSample = trigger;
        s.view.lngFirstSample = first;
        img = s.Draw(1, 400, 150);
        int x = -1;  // the dashed grey line's column
        for (int k = 0; k < img.width() && x < 0; ++k)
            if (img.pixel(k, 75) == qRgb(64, 64, 64) || img.pixel(k, 1) == qRgb(64, 64, 64)) x = k;
        return std::make_pair(x, s.drawing.lngTriggerPlotPoint);
    };
    EXPECT_EQ(draw(1, 1), std::make_pair(0, 1));     // the first sample: plotted as point 1, at x = 0
    EXPECT_EQ(draw(1, 2), std::make_pair(-1, 0));    // before the view
    EXPECT_EQ(draw(30, 30), std::make_pair(-1, 0));  // the first sample in view is not one the loop plots
    EXPECT_EQ(draw(102, 1).second, 101);             // one period after the last sample: at point N
    // The dashed line is within a pixel of its place.
    for (const auto& [trigger, first, x, point] : {std::tuple{60, 30, 120, 31}, {51, 1, 200, 51}}) {
        const auto [drawnX, plotted] = draw(trigger, first);
        EXPECT_NEAR(drawnX, x, 1) << trigger;
        EXPECT_EQ(plotted, point) << trigger;
    }
    // Three lines under two text heights from the top: "Trigger point", the time, the value.
    const int h = static_cast<int>(Canvas().TextHeight("1"));
    const int top = 2 * h + 2;
    for (int line = 0; line < 3; ++line) EXPECT_GT(DarkIn(img, QRect(202, top + line * h, 60, h)), 20) << line;
    EXPECT_EQ(DarkIn(img, QRect(0, 0, 400, top - 1)), 0);
    EXPECT_EQ(DarkIn(img, QRect(0, 0, 199, 150)), 0);
    // Near the right edge the texts flip to the left of the line.
    EXPECT_NEAR(draw(100, 1).first, 396, 1);
    EXPECT_EQ(DarkIn(img, QRect(398, 0, 2, 150)), 0);
    EXPECT_GT(DarkIn(img, QRect(300, top, 94, 3 * h)), 60);
}

TEST(Grid, LabelsOnlyInTallWindowsAndScaleSteps)
{
    Scene s(1, 0, 11);
    s.model.arrChannelScale(1) = 1;
    auto ctx = s.Context();
    Canvas tall(300, 400), low(300, 60), untouched(300, 400);
    DrawGrid(tall, ctx, 1);
    DrawGrid(low, ctx, 1);
    // Dotted grid line at the first tick below the top: present when tall, absent when low.
    EXPECT_GT(PixelsIn(tall.PersistentImage(), QRect(100, 40, 200, 1), qRgb(0, 128, 0)), 50);
    EXPECT_EQ(PixelsIn(low.PersistentImage(), QRect(20, 6, 280, 1), qRgb(0, 128, 0)), 0);
    // Ticks are drawn in both: x 1..7 at the tick rows, and no further.
    for (const QImage& img : {low.PersistentImage(), tall.PersistentImage()}) {
        EXPECT_EQ(img.pixel(7, img.height() / 10), qRgb(0, 128, 0));
        EXPECT_EQ(img.pixel(8, img.height() / 10), qRgb(255, 255, 255));
    }
    // Not drawn for the digital window or without a redraw request.
    DrawGrid(untouched, ctx, 2);
    s.view.blnRedrawSignals = kFalse;
    DrawGrid(untouched, ctx, 1);
    EXPECT_EQ(untouched.PersistentImage().pixel(1, 100), qRgb(255, 255, 255));
}

TEST(Markers, PlacedInTheMiddleLabelRuleAndTimeLimits)
{
    Scene s(1, 0, 1001);
    s.model.lngViewSamples = 1000;
    s.view.blnMarkersOn = kTrue;
    s.view.blnPlaceMarkers = kTrue;
    s.Index();
    auto ctx = s.Context();
    Frame f = ComputeFrame(s.model, s.view);
    PlaceMarkers(ctx, f, 400, 1);
    EXPECT_EQ(std::tuple(s.view.varMarker1Sample, s.view.lngMarker2Sample, s.view.varMarker1X, s.view.blnPlaceMarkers),
              std::tuple(501, 501, 200.0f, kFalse));

    // Same sample: M1's texts go left of the common line, M2's right of it.
    Canvas c(400, 200);
    DrawAnalogMarkers(c, ctx, 1, f);
    const auto blue = [](QRgb p) { return qAlpha(p) > 0 && qBlue(p) > 100; };
    EXPECT_GT(PixelsIn(c.OverlayImage(), QRect(170, 0, 29, 30), blue), 0);
    EXPECT_GT(PixelsIn(c.OverlayImage(), QRect(202, 0, 38, 30), blue), 0);
    EXPECT_GT(qAlpha(c.OverlayImage().pixel(200, 100)), 0);  // the marker line

    // A marker on the last sample in view stands at W - 1.
    s.view.varMarker1Sample = 1001;
    s.view.lngMarker2Sample = 2;
    PlaceMarkers(ctx, f, 400, 1);
    EXPECT_EQ(s.view.varMarker1X, 399);
    // Times beyond the record read as the record's length.
    EXPECT_EQ(MarkerTime(5000, 1000, 1.001), 1.001);
    EXPECT_EQ(MarkerTime(-4, 1000, 1.001), 0);
}

TEST(Digital, RowsStartStrokeAndLastSample)
{
    Scene s(0, 2, 101);
    s.model.lngViewSamples = 100;
    for (long n = 1; n <= 101; ++n) {
        s.model.arrDigitalSamples(1, n) = n > 50 ? 1 : 0;
        s.model.arrDigitalSamples(2, n) = 1;  // never changes
    }
    s.Index();
    const QImage img = s.Draw(0, 200, 100);
    // Row height 50: channel 1 low at 48, high at 0; channel 2 high at its top line 50, to the last sample at W - 1.
    // Edge at sample 51: x = 200 * 50 / 100 = 100.
    for (const QPoint red : {QPoint(60, 48), QPoint(150, 0), QPoint(150, 50), QPoint(199, 50), QPoint(100, 25)})
        EXPECT_EQ(img.pixel(red), kTraceRed) << red.x() << "," << red.y();

    // Row numbers in red text and the legend of the first row in green, both smoothed on white.
    auto redText = [](QRgb p) { return qRed(p) > 200 && qGreen(p) == qBlue(p) && qGreen(p) < 200 && p != kTraceRed; };
    auto greenText = [](QRgb p) { return qGreen(p) > qRed(p) + 40 && qRed(p) == qBlue(p); };
    const int h = static_cast<int>(Canvas().TextHeight("1"));
    EXPECT_GT(PixelsIn(img, QRect(2, 49 - h, 10, h - 2), redText), 5);  // "1:" above row 1's bottom
    EXPECT_GT(PixelsIn(img, QRect(2, 99 - h, 10, h - 2), redText), 5);  // "2:"
    EXPECT_GT(PixelsIn(img, QRect(10, 1, 30, h), greenText), 5);        // "High"
    EXPECT_GT(PixelsIn(img, QRect(10, 49 - h, 30, h), greenText), 5);   // "Low"
    EXPECT_EQ(PixelsIn(img, QRect(10, 52, 30, 46), greenText), 0);      // only in the first row
    // Fewer than three text lines high: no row numbers.
    EXPECT_EQ(PixelsIn(s.Draw(0, 200, 30), QRect(2, 0, 8, 30), redText), 0);
    // Reduced (change positions) and full walks draw the same.
    EXPECT_EQ(s.Draw(0, 200, 100, false), img);
}

TEST(Trace, SharedTableIsNotReusedForOtherDataChannelsOrWidths)
{
    // More channels than one table holds, so two tables serve one view.
    const long nA = TraceColumnCache::kChannelsPerTable + 8;
    const std::int32_t N = 30000;
    Scene s(nA, 0, N);
    auto fill = [&](double phase) {
        for (long n = 1; n <= N; ++n)
            for (long i = 1; i <= nA; ++i)
                s.model.arrAnalogSamples(i, n) = 90 * std::sin(phase + n * (0.001 + 0.0003 * static_cast<double>(i)));
        s.Index();
    };
    fill(0);
    s.model.lngViewSamples = N - 1;
    auto drawBoth = [&](long ch, int width) {
        return Differences(s.Draw(ch, width, 90, false), s.Draw(ch, width, 90));
    };
    for (long ch : {1L, nA / 2, TraceColumnCache::kChannelsPerTable, TraceColumnCache::kChannelsPerTable + 1, nA})
        for (int width : {500, 499, 500, 733, 212, 500})  // more widths than the cache keeps
            ASSERT_EQ(drawBoth(ch, width), "") << "channel " << ch << " width " << width;

    // New data in the same arrays, indexed again: the old table must not be used.
    fill(1.7);
    EXPECT_EQ(drawBoth(3, 500), "");
    // Another view of the same data.
    s.view.lngFirstSample = 777;
    s.model.lngViewSamples = 20000;
    EXPECT_EQ(drawBoth(3, 500), "");
}

TEST(Trace, TableMatchesAPlainWalkWithOneThreadOrTwo)
{
    // Enough samples in view for two threads when all channels are asked for, one per channel alone.
    const long nA = 3;
    const std::int32_t N = static_cast<std::int32_t>(TraceColumns::kParallelSamples / nA) + 5000;
    Scene s(nA, 0, N, 8000);
    std::mt19937 rng(9);
    std::normal_distribution<double> noise(0, 40);
    for (long n = 1; n <= N; ++n)
        for (long i = 1; i <= nA; ++i) s.model.arrAnalogSamples(i, n) = noise(rng) + (n % 50001 == 0 ? 1e4 : 0);
    s.Index();
    s.model.lngViewSamples = N - 3;
    s.view.lngFirstSample = 2;
    Frame f = ComputeFrame(s.model, s.view);
    f.E = std::min(f.E, s.model.lngLastSample);
    TraceColumns all, one;
    all.Compute(s.model, s.pyramid, f, 2, 917, 1, nA);
    for (long i = 1; i <= nA; ++i) {
        one.Compute(s.model, s.pyramid, f, 2, 917, i, i);
        ASSERT_EQ(all.Columns().size(), one.Columns().size());
        std::int32_t expectedFrom = 1;
        for (std::size_t j = 0; j < all.Columns().size(); ++j) {
            const auto& col = all.Columns()[j];
            ASSERT_EQ(col.from, expectedFrom);  // the columns cover every point once, in order
            expectedFrom = col.to + 1;
            double lo = 1e300, hi = -1e300;
            for (std::int32_t k = col.from; k <= col.to; ++k) {
                lo = std::min(lo, s.model.arrAnalogSamples(i, 2 + k));
                hi = std::max(hi, s.model.arrAnalogSamples(i, 2 + k));
            }
            const ColumnValues& v = all.Values(i)[j];
            ASSERT_EQ((std::vector<double>{v.lo, v.hi, v.first, v.last, one.Values(i)[j].lo, one.Values(i)[j].hi}),
                      (std::vector<double>{lo, hi, s.model.arrAnalogSamples(i, 2 + col.from),
                                           s.model.arrAnalogSamples(i, 2 + col.to), lo, hi}))
                << "channel " << i << " column " << j;
        }
        ASSERT_EQ(expectedFrom, f.E - 2 + 1);
    }
    EXPECT_THROW(all.Values(nA + 1), ProgramError);
}

TEST(Digital, StepsLandOnTheColumnsOfTheAnalogPoints)
{
    // 200 pixels for 16 sample steps: a change at the first step is at 12.5, rounded to the even 12.
    Scene s(1, 1, 17);
    s.model.lngViewSamples = 16;
    for (long n = 1; n <= 17; ++n) s.model.arrDigitalSamples(1, n) = n >= 2 && n < 4 ? 1 : 0;
    s.Index();
    const QImage img = s.Draw(0, 200, 60);
    auto redInColumn = [&](int x) { return PixelsIn(img, QRect(x, 0, 1, 60), kTraceRed); };
    EXPECT_GT(redInColumn(12), 40);  // the rising edge
    EXPECT_LE(redInColumn(13), 1);
    EXPECT_GT(redInColumn(38), 40);  // the falling edge at 37.5, to the even 38
    EXPECT_LE(redInColumn(37), 1);
    EXPECT_EQ(PointPixel(s.frame, 200, 2, 1000), 12);
}

TEST(Digital, ManyChangesPerColumnAndOtherStatesDrawAsTheWalk)
{
    // Changes far denser than the pixels, states other than 0 and 1, a trigger in view.
    const std::int32_t N = 60000;
    Scene s(0, 5, N);
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> pick(0, 99);
    for (long n = 1; n <= N; ++n) {
        s.model.arrDigitalSamples(1, n) = static_cast<std::int16_t>((n / 3) & 1);
        s.model.arrDigitalSamples(2, n) = static_cast<std::int16_t>(pick(rng) < 2 ? 1 - (n & 1) : (n / 997) & 1);
        s.model.arrDigitalSamples(3, n) = static_cast<std::int16_t>(n % 7000 == 0 ? 2 : 0);
        s.model.arrDigitalSamples(4, n) = 1;
        s.model.arrDigitalSamples(5, n) = static_cast<std::int16_t>(n > N / 2);
    }
    s.model.lngTriggerSample = N / 2;
    s.model.varTriggerTime = 30;
    s.Index();
    for (std::int32_t view : {N - 1, 20000, 700}) {
        s.model.lngViewSamples = view;
        s.view.lngFirstSample = std::max(1, N / 2 - view / 3);
        const QImage reduced = s.Draw(0, 640, 200);
        const std::int32_t trigger = s.drawing.lngTriggerPlotPoint;
        EXPECT_EQ(Differences(s.Draw(0, 640, 200, false), reduced), "") << view << " in view";
        EXPECT_GT(trigger, 0);
        EXPECT_EQ(s.drawing.lngTriggerPlotPoint, trigger);
    }
}

TEST(Grid, ChannelNameInDarkRedWithoutTitleBarsPutBackOnlyWhenNothingItShowsHasChanged)
{
    Scene s(1, 0, 11);
    s.model.arrAnalogNames(1) = "IL1";
    auto nameRed = [&](bool titles, QRect area) {
        s.titles = titles;
        Canvas c(300, 200);
        DrawGrid(c, s.Context(), 1);
        return PixelsIn(c.PersistentImage(), area, qRgb(192, 0, 0));
    };
    // Right-aligned, just above the zero line, and nowhere else; with title bars the title shows it instead.
    EXPECT_GT(nameRed(false, QRect(240, 0, 60, 100)), 20);
    EXPECT_EQ(nameRed(false, QRect(0, 0, 240, 200)) + nameRed(false, QRect(240, 100, 60, 100)), 0);
    EXPECT_EQ(nameRed(true, QRect(240, 0, 60, 100)), 0);

    // Put back only when nothing it shows has changed.
    s.titles = false;  // the channel name is part of the grid
    auto ctx = s.Context();
    auto fresh = [&] {
        Canvas c(320, 240);
        DrawGrid(c, ctx, 1);
        DrawGrid(c, ctx, 1);  // the second call starts from the font the first left behind
        return c.PersistentImage();
    };
    Canvas c(320, 240);
    DrawGrid(c, ctx, 1);
    DrawGrid(c, ctx, 1);
    const QImage first = c.PersistentImage().copy();
    // A trace over it, then the next redraw: the grid alone again.
    c.SetPen(Qt::SolidLine, 1, QColor(255, 0, 0));
    c.MoveTo(0, 0);
    c.LineTo(319, 239);
    DrawGrid(c, ctx, 1);
    EXPECT_EQ(c.PersistentImage(), first);
    EXPECT_EQ(c.ForeColor(), QColor(0, 0, 0));

    // Each thing the grid shows, changed, gives what a fresh window draws.
    for (const auto& change : std::vector<std::function<void()>>{[&] { s.model.arrChannelScale(1) = 250; },
                                                                 [&] { s.model.arrAnalogUnits(1) = "MW"; },
                                                                 [&] { s.model.arrAnalogNames(1) = "P feeder"; }}) {
        change();
        DrawGrid(c, ctx, 1);
        EXPECT_EQ(c.PersistentImage(), fresh());
    }
    EXPECT_NE(c.PersistentImage(), first);
}

}  // namespace
}  // namespace sevrana
