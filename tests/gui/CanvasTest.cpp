// The canvas places solid lines itself; every faster way it has of placing a
// polyline must set exactly the pixels of the plain segment-by-segment way, and
// a kept background must come back exactly as it was.

#include <gtest/gtest.h>

#include <QPointF>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Canvas.h"

namespace sevrana {
namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

/// Floor of num / den for den > 0.
std::int64_t FloorDiv(std::int64_t num, std::int64_t den) { return num / den - ((num % den != 0) && (num < 0)); }

/// The pixels of a solid line from a to b inside a w x h image, worked out directly:
/// for every step along the longer axis, the nearest whole value of the exact line
/// (halves upwards), counted from the end with the smaller coordinate on that axis.
std::set<std::pair<int, int>> ReferenceLine(QPoint a, QPoint b, int w, int h)
{
    std::set<std::pair<int, int>> pixels;
    auto keep = [&](std::int64_t x, std::int64_t y) {
        if (x >= 0 && y >= 0 && x < w && y < h) pixels.emplace(static_cast<int>(x), static_cast<int>(y));
    };
    std::int64_t dx = b.x() - a.x(), dy = b.y() - a.y();
    if (dx == 0 && dy == 0) {
        keep(a.x(), a.y());
        return pixels;
    }
    const bool yMajor = std::llabs(dy) >= std::llabs(dx);
    if ((yMajor && dy < 0) || (!yMajor && dx < 0)) {
        std::swap(a, b);
        dx = -dx;
        dy = -dy;
    }
    const std::int64_t dMajor = yMajor ? dy : dx, dMinor = yMajor ? dx : dy;
    const std::int64_t major0 = yMajor ? a.y() : a.x(), minor0 = yMajor ? a.x() : a.y();
    for (std::int64_t k = 0; k <= dMajor; ++k) {
        const std::int64_t minor = minor0 + FloorDiv(2 * k * dMinor + dMajor, 2 * dMajor);
        if (yMajor)
            keep(minor, major0 + k);
        else
            keep(major0 + k, minor);
    }
    return pixels;
}

/// The pixels of one colour (or, with equal false, of every other colour).
std::set<std::pair<int, int>> PixelsOf(const QImage& image, QRgb colour, bool equal = true)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) == colour) == equal) pixels.emplace(x, y);
    return pixels;
}

/// Empty when the images agree, else where they first differ and the points drawn.
std::string Difference(const QImage& a, const QImage& b, const std::vector<QPoint>& points)
{
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                std::string text = "first at " + std::to_string(x) + "," + std::to_string(y) + "; points";
                for (const QPoint& p : points) text += " " + std::to_string(p.x()) + "," + std::to_string(p.y());
                return text;
            }
    return {};
}

/// A background with something on it, so that placing a line must leave other pixels alone.
void Background(Canvas& c)
{
    c.SetPen(Qt::SolidLine, 1, kGreen);
    for (int y = 3; y < static_cast<int>(c.ScaleHeight()); y += 7) {
        c.MoveTo(0, y);
        c.LineTo(static_cast<int>(c.ScaleWidth()), y);
    }
    c.SetForeColor(Qt::black);
    c.CurrentX = 5;
    c.CurrentY = 5;
    c.Print("Background 123");
}

TEST(CanvasLines, SolidLinesAreTheNearestPixelsOfTheExactLineAndPolylinesAndPathsLineAfterLine)
{
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> near(-30, 90), far(-5000, 5000);
    for (int t = 0; t < 600; ++t) {
        auto pick = [&] { return t % 4 == 0 ? QPoint(far(rng), near(rng)) : QPoint(near(rng), near(rng)); };
        const QPoint a = pick(), b = t % 9 == 0 ? QPoint(a.x(), near(rng)) : pick();
        Canvas c(61, 47);
        c.SetPen(Qt::SolidLine, 1, kRed);
        c.MoveTo(a.x(), a.y());
        c.LineTo(b.x(), b.y());
        ASSERT_EQ(PixelsOf(c.PersistentImage(), kRed.rgb()), ReferenceLine(a, b, 61, 47))
            << a.x() << "," << a.y() << " to " << b.x() << "," << b.y();
    }

    // A polyline sets the pixels of its segments.
    rng.seed(23);
    std::uniform_int_distribution<int> yNear(-20, 80), step(0, 3), yFar(-100000, 100000), coin(0, 9);
    for (int t = 0; t < 300; ++t) {
        // Mostly traces that never turn back left: runs in one column, gaps, far values;
        // some with steps back left as well.
        std::vector<QPoint> points;
        int x = -4 + t % 6;
        const int n = 1 + t % 97;
        for (int k = 0; k < n; ++k) {
            const int c = coin(rng);
            x += (t % 5 == 0 && c == 0) ? -step(rng) - 1 : (c < 4 ? 0 : step(rng) * (t % 3 == 0 ? 9 : 1));
            points.emplace_back(x, c == 9 ? yFar(rng) : yNear(rng));
        }
        Canvas fast(70, 60), plain(70, 60);
        for (Canvas* c : {&fast, &plain}) {
            Background(*c);
            c->SetPen(Qt::SolidLine, 1, kRed);
        }
        fast.Polyline(points.data(), static_cast<int>(points.size()));
        plain.MoveTo(points[0].x(), points[0].y());
        plain.LineTo(points[0].x(), points[0].y());
        for (const QPoint& p : points) plain.LineTo(p.x(), p.y());
        ASSERT_EQ(Difference(fast.PersistentImage(), plain.PersistentImage(), points), "") << "polyline " << t;
    }

    // Lines from the current position are line after line.
    rng.seed(5);
    std::uniform_real_distribution<double> coordinate(-10, 110);
    for (Qt::PenStyle style : {Qt::SolidLine, Qt::DotLine}) {
        std::vector<QPointF> points;
        for (int k = 0; k < 40; ++k) points.emplace_back(k * 2.5 + coordinate(rng) / 50, coordinate(rng));
        points.emplace_back(1e12, 3);  // beyond whole-pixel placement: drawn the other way, still the same
        Canvas path(100, 100), single(100, 100);
        for (Canvas* c : {&path, &single}) {
            c->SetDrawStyle(style);
            c->CurrentX = 0.5;
            c->CurrentY = 49.5;
        }
        path.LinesFromCurrent(points.data(), static_cast<int>(points.size()), kRed);
        for (const QPointF& p : points) single.LineFromCurrent(p.x(), p.y(), kRed);
        EXPECT_EQ(path.PersistentImage(), single.PersistentImage()) << style;
        EXPECT_EQ(std::pair(path.CurrentX, path.CurrentY), std::pair(1e12, 3.0));
    }

    // End points round halves to even, as trace points do: 412.5 to 412, 413.5 to 414, 2.5 to 2.
    Canvas c(500, 20);
    c.Line(412.5, 0, 412.5, 9, kRed);
    c.Line(413.5, 10, 413.5, 19, kRed);
    c.Line(0, 2.5, 9, 2.5, kRed);
    for (const auto& [x, y, red] :
         {std::tuple{412, 5, true}, {413, 5, false}, {414, 15, true}, {413, 15, false}, {5, 2, true}, {5, 3, false}})
        EXPECT_EQ(c.PersistentImage().pixel(x, y) == kRed.rgb(), red) << x << "," << y;
}

TEST(CanvasLayers, KeptBackgroundComesBackWithItsDrawingState)
{
    Canvas c(120, 80);
    Background(c);
    c.SetPen(Qt::DotLine, 1, kRed);
    c.SetForeColor(kGreen);
    c.SetFont("MS Sans Serif", 10, true);
    c.CurrentX = 12;
    c.CurrentY = 34;
    const QImage kept = c.PersistentImage().copy();
    c.Keep("grid A");

    // Whatever happens next (a trace, a marker, other state) is undone by putting it back.
    c.SetPen(Qt::SolidLine, 1, kRed);
    c.MoveTo(0, 0);
    c.LineTo(119, 79);
    c.SetAutoRedraw(false);
    c.Line(10, 0, 10, 79, Qt::blue);
    c.SetForeColor(Qt::blue);
    c.SetFont("Arial", 6.75, false);
    c.CurrentX = 99;
    c.SetAutoRedraw(true);

    EXPECT_FALSE(c.Recall("grid B"));
    EXPECT_NE(c.PersistentImage(), kept);
    EXPECT_TRUE(c.Recall("grid A"));
    EXPECT_EQ(c.PersistentImage(), kept);
    EXPECT_EQ(PixelsOf(c.OverlayImage(), qRgba(0, 0, 0, 0)).size(), 120u * 80u);  // overlay empty again
    EXPECT_EQ(std::tuple(c.CurrentX, c.CurrentY, c.ForeColor(), c.Font().bold()), std::tuple(12.0, 34.0, kGreen, true));
    // The pen came back too: a line now is dotted red, as it was when kept.
    c.MoveTo(0, 77);
    c.LineTo(119, 77);
    const auto red = PixelsOf(c.PersistentImage(), kRed.rgb());
    EXPECT_TRUE(red.size() > 20u && red.size() < 100u) << red.size();

    // A new size drops what was kept.
    c.Resize(120, 81);
    EXPECT_FALSE(c.Recall("grid A"));
}

TEST(CanvasLayers, ClearingTheOverlayAlwaysLeavesItEmptyItsBoundsHoldEverythingDrawnOnIt)
{
    Canvas small(50, 40);
    const auto empty = [&] { return PixelsOf(small.OverlayImage(), qRgba(0, 0, 0, 0)).size() == 50u * 40u; };
    Background(small);
    small.SetAutoRedraw(false);
    small.Cls();  // already empty: nothing to do, and the persistent picture stays
    EXPECT_TRUE(empty());
    EXPECT_EQ(small.PersistentImage().pixel(0, 3), kGreen.rgb());
    small.Line(5, 0, 5, 39, Qt::blue);
    EXPECT_FALSE(empty());
    small.Cls();
    EXPECT_TRUE(empty());
    small.Box(2, 2, 20, 20, Qt::blue);
    small.SetAutoRedraw(true);
    small.Cls();  // persistent clearing empties the overlay as well
    EXPECT_TRUE(empty());
    EXPECT_EQ(small.PersistentImage().pixel(0, 3), qRgb(255, 255, 255));

    // Only the overlay's bounds are cleared and repainted: a pixel outside them would stay on screen.
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> x(-30, 330), y(-30, 230);
    const auto at = [&] { return QPoint(static_cast<int>(x(rng)), static_cast<int>(y(rng))); };
    Canvas c(300, 200);
    c.SetAutoRedraw(false);
    for (int round = 0; round < 60; ++round) {
        const int op = round % 6;
        c.SetDrawStyle(round % 4 == 0 ? Qt::DotLine : round % 4 == 1 ? Qt::DashLine : Qt::SolidLine);
        c.SetPen(round % 3 == 0 ? Qt::DashLine : Qt::SolidLine, 1 + round % 4, kRed);
        c.CurrentX = x(rng);
        c.CurrentY = y(rng);
        if (op == 0) c.Print(QStringLiteral("Sample: 123456"));
        if (op == 1) c.Line(x(rng), y(rng), x(rng), y(rng), Qt::blue);
        if (op == 2) c.Box(x(rng), y(rng), x(rng), y(rng), Qt::black);
        const QPoint points[] = {at(), at(), at()};
        if (op == 3) {
            c.MoveTo(points[0].x(), points[0].y());
            c.LineTo(points[1].x(), points[1].y());
        }
        if (op == 4) c.Polyline(points, 3);
        if (op == 5) {
            const QPointF exact[] = {QPointF(x(rng), y(rng)), QPointF(x(rng), y(rng))};
            c.LinesFromCurrent(exact, 2, Qt::blue);
        }
        const QRect bounds = c.OverlayBounds();
        for (const auto& [px, py] : PixelsOf(c.OverlayImage(), qRgba(0, 0, 0, 0), false))
            ASSERT_TRUE(bounds.contains(px, py)) << "round " << round << " pixel " << px << "," << py;
        if (round % 5 == 4) {
            c.ClearOverlay();
            ASSERT_EQ(PixelsOf(c.OverlayImage(), qRgba(0, 0, 0, 0)).size(), 300u * 200u) << round;
            EXPECT_TRUE(c.OverlayBounds().isEmpty());
        }
    }
}

}  // namespace
}  // namespace sevrana
