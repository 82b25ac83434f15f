#include "Canvas.h"

#include "NumberUtils.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace sevrana {

namespace {

constexpr int kDotsPerMeter = 3780;  // 96 dots per inch

QImage BlankImage(int width, int height, QImage::Format format, QColor fill)
{
    QImage image(std::max(width, 1), std::max(height, 1), format);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(fill);
    return image;
}

/// Classic Windows face names resolve to the metric-compatible faces shipped here.
QString FaceFor(const QString& family)
{
    if (family == "Arial" || family == "MS Sans Serif" || family == "Small Fonts") return QStringLiteral("Liberation Sans");
    return family;
}

/// Nearest whole number of num / den (den > 0), halves upwards: the same for every
/// pixel of a line however the line is cut, so clipped and whole lines agree.
std::int64_t NearestQuotient(std::int64_t num, std::int64_t den)
{
    const std::int64_t twice = 2 * num + den;
    const std::int64_t q = twice / (2 * den);
    return (twice % (2 * den) < 0) ? q - 1 : q;
}

/// Where solid lines are placed: one detach of the image for many lines, then plain stores.
struct Raster {
    uchar* bits;
    qsizetype stride;
    int w;
    int h;
    QRgb colour;

    Raster(QImage& image, QRgb c)
        : bits(image.bits()), stride(image.bytesPerLine()), w(image.width()), h(image.height()), colour(c)
    {
    }
    void Put(std::int64_t x, std::int64_t y) const
    {
        if (x >= 0 && y >= 0 && x < w && y < h) reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    }
    /// Every pixel of column x from y1 to y2 (y1 <= y2), both included.
    void Span(std::int64_t x, std::int64_t y1, std::int64_t y2) const
    {
        if (x < 0 || x >= w) return;
        const std::int64_t from = std::max<std::int64_t>(y1, 0);
        const std::int64_t to = std::min<std::int64_t>(y2, h - 1);
        uchar* p = bits + from * stride + x * static_cast<qsizetype>(sizeof(QRgb));
        for (std::int64_t y = from; y <= to; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = colour;
    }
};

/// Instead of pixels, the lowest and highest row set in each column of the image.
struct ColumnExtents {
    int* lo;
    int* hi;
    int w;
    int h;

    void Put(std::int64_t x, std::int64_t y) const { Span(x, y, y); }
    void Span(std::int64_t x, std::int64_t y1, std::int64_t y2) const
    {
        if (x < 0 || x >= w) return;
        const auto from = static_cast<int>(std::max<std::int64_t>(y1, 0));
        const auto to = static_cast<int>(std::min<std::int64_t>(y2, h - 1));
        if (from > to) return;
        lo[x] = std::min(lo[x], from);
        hi[x] = std::max(hi[x], to);
    }
};

/// The pixels of a solid one-pixel line with both end points, each placed on its own
/// (no error accumulation), so only the part inside the image costs anything.
template <class Sink>
void SolidSegment(const Sink& sink, QPoint a, QPoint b)
{
    const std::int64_t dx = static_cast<std::int64_t>(b.x()) - a.x();
    const std::int64_t dy = static_cast<std::int64_t>(b.y()) - a.y();
    if (dx == 0) {
        sink.Span(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()));
        return;
    }
    // Walk the major axis; the minor coordinate is the nearest whole number of the
    // exact line, kept as quotient and remainder so no step divides.
    auto walk = [&](std::int64_t major0, std::int64_t minor0, std::int64_t dMajor, std::int64_t dMinor,
                    std::int64_t from, std::int64_t to, bool yMajor) {
        if (from > to) return;
        const std::int64_t den = 2 * dMajor;
        std::int64_t q = NearestQuotient((from - major0) * dMinor, dMajor);
        std::int64_t rem = 2 * (from - major0) * dMinor + dMajor - q * den;  // 0 <= rem < den
        // A steep line sets runs of pixels in one column: those are handed over whole.
        std::int64_t runStart = from;
        std::int64_t runQ = q;
        for (std::int64_t m = from; m <= to; ++m) {
            if (!yMajor) {
                sink.Put(m, minor0 + q);
            } else if (q != runQ) {
                sink.Span(minor0 + runQ, runStart, m - 1);
                runStart = m;
                runQ = q;
            }
            rem += 2 * dMinor;
            if (rem >= den) {
                rem -= den;
                ++q;
            } else if (rem < 0) {
                rem += den;
                --q;
            }
        }
        if (yMajor) sink.Span(minor0 + runQ, runStart, to);
    };
    if (std::llabs(dy) >= std::llabs(dx)) {
        if (dy < 0) std::swap(a, b);
        const std::int64_t ddx = static_cast<std::int64_t>(b.x()) - a.x();
        const std::int64_t ddy = static_cast<std::int64_t>(b.y()) - a.y();
        walk(a.y(), a.x(), ddy, ddx, std::max<std::int64_t>(a.y(), 0), std::min<std::int64_t>(b.y(), sink.h - 1), true);
    } else {
        if (dx < 0) std::swap(a, b);
        const std::int64_t ddx = static_cast<std::int64_t>(b.x()) - a.x();
        const std::int64_t ddy = static_cast<std::int64_t>(b.y()) - a.y();
        walk(a.x(), a.y(), ddx, ddy, std::max<std::int64_t>(a.x(), 0), std::min<std::int64_t>(b.x(), sink.w - 1), false);
    }
}

/// Sets the pixels of row y whose column runs lo[x]..hi[x] reach it. Branch-free, so the
/// compiler does several pixels per instruction; built for wider vectors too where the
/// processor has them.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void FillRow(QRgb* row, const int* lo, const int* hi, int xFrom, int xTo, int y, QRgb colour)
{
    for (int x = xFrom; x <= xTo; ++x) {
        const QRgb inside = 0u - static_cast<QRgb>((lo[x] <= y) & (y <= hi[x]));
        row[x] = (colour & inside) | (row[x] & ~inside);
    }
}

/// A run of a polyline is set row by row once it covers at least 1 / kRowFillRatio of its box.
constexpr std::int64_t kRowFillRatio = 3;

/// Whole pixel of a drawing coordinate: nearest, halves to the even neighbour, as
/// every other position in the program is rounded.
QPoint PixelOf(double x, double y)
{
    return QPoint(static_cast<int>(RoundHalfEven(x)), static_cast<int>(RoundHalfEven(y)));
}

/// The box of a line's end points, widened by the pen.
QRectF Span(double x1, double y1, double x2, double y2, double pen = 1)
{
    return QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2), std::max(y1, y2)))
        .adjusted(-pen, -pen, pen, pen);
}

QRectF Span(const QPoint* points, int count, double pen)
{
    int x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
    for (int k = 1; k < count; ++k) {
        x0 = std::min(x0, points[k].x());
        x1 = std::max(x1, points[k].x());
        y0 = std::min(y0, points[k].y());
        y1 = std::max(y1, points[k].y());
    }
    return Span(x0, y0, x1, y1, pen);
}

/// Close enough to the image for whole-pixel placement; farther lines go through the painter.
bool Placeable(double x, double y) { return std::fabs(x) < 1e9 && std::fabs(y) < 1e9; }

}  // namespace

Canvas::Canvas(int width, int height)
{
    SetFont("Arial", 6.75, false);
    Resize(width, height);
}

void Canvas::Resize(int width, int height)
{
    persistent_ = BlankImage(width, height, QImage::Format_RGB32, background_);
    overlay_ = BlankImage(width, height, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    overlayBlank_ = true;
    overlayDirty_ = QRect();
    kept_ = Kept{};
    ++persistentRevision_;
    Changed();
}

QImage& Canvas::Target(const QRectF& area)
{
    if (autoRedraw_) {
        ++persistentRevision_;
        return persistent_;
    }
    // Whole pixels around it, with a margin for antialiased text edges.
    const QRect touched = area.toAlignedRect().adjusted(-2, -2, 2, 2).intersected(overlay_.rect());
    overlayDirty_ = overlayBlank_ ? touched : overlayDirty_.united(touched);
    overlayBlank_ = false;
    return overlay_;
}

void Canvas::Cls()
{
    if (autoRedraw_) {
        persistent_.fill(background_);
        ++persistentRevision_;
    }
    ClearOverlayImage();
    CurrentX = 0;
    CurrentY = 0;
    Changed();
}

void Canvas::ClearOverlay()
{
    ClearOverlayImage();
    Changed();
}

void Canvas::ClearOverlayImage()
{
    if (overlayBlank_) return;  // a blank overlay costs nothing to keep blank
    // Only what was drawn on: markers and a zoom rectangle cover little of the window.
    const QRect r = overlayDirty_.intersected(overlay_.rect());
    const auto rowBytes = static_cast<std::size_t>(r.width()) * sizeof(QRgb);
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memset(overlay_.scanLine(y) + static_cast<std::size_t>(r.left()) * sizeof(QRgb), 0, rowBytes);
    overlayBlank_ = true;
    overlayDirty_ = QRect();
}

void Canvas::Keep(const QString& key)
{
    // A copy of its own: putting it back is then one copy into the window's own
    // pixels, with no image to allocate and fault in on every redraw.
    kept_ = Kept{key,      persistent_.copy(), CurrentX,   CurrentY,    current_,    penStyle_,  drawStyle_,
                 penWidth_, penColour_,         foreColor_, fontFamily_, fontPoints_, fontBold_};
}

bool Canvas::Recall(const QString& key)
{
    if (kept_.key.isEmpty() || kept_.key != key || kept_.image.size() != persistent_.size() ||
        kept_.image.format() != persistent_.format() || kept_.image.bytesPerLine() != persistent_.bytesPerLine())
        return false;
    std::memcpy(persistent_.bits(), kept_.image.constBits(), static_cast<std::size_t>(persistent_.sizeInBytes()));
    ++persistentRevision_;
    ClearOverlayImage();
    CurrentX = kept_.currentX;
    CurrentY = kept_.currentY;
    current_ = kept_.current;
    SetPen(kept_.penStyle, kept_.penWidth, kept_.penColour);
    drawStyle_ = kept_.drawStyle;
    foreColor_ = kept_.foreColor;
    SetFont(kept_.fontFamily, kept_.fontPoints, kept_.fontBold);
    Changed();
    return true;
}

void Canvas::SetPen(Qt::PenStyle style, int width, QColor colour)
{
    penStyle_ = style;
    penWidth_ = width;
    penColour_ = colour;
}

void Canvas::MoveTo(int x, int y) { current_ = QPoint(x, y); }

bool Canvas::ExactPen() const { return penStyle_ == Qt::SolidLine && penWidth_ <= 1; }

void Canvas::LineTo(int x, int y)
{
    QImage& target = Target(Span(current_.x(), current_.y(), x, y, penWidth_));
    if (ExactPen()) {
        SolidSegment(Raster(target, penColour_.rgba()), current_, QPoint(x, y));
    } else {
        QPainter p(&target);
        p.setPen(QPen(penColour_, penWidth_, penStyle_));
        p.drawLine(current_, QPoint(x, y));
    }
    current_ = QPoint(x, y);
    Changed();
}

void Canvas::Polyline(const QPoint* points, int count)
{
    if (count < 1) return;
    // The box of a long trace is only worth working out where it is kept track of.
    QImage& target = Target(autoRedraw_ ? QRectF() : Span(points, count, penWidth_));
    if (ExactPen()) {
        SolidPolyline(target, points, count, penColour_.rgba());
    } else if (count >= 2) {
        QPainter p(&target);
        p.setPen(QPen(penColour_, penWidth_, penStyle_));
        p.drawPolyline(points, count);
    }
    current_ = points[count - 1];
    Changed();
}

void Canvas::SolidPolyline(QImage& target, const QPoint* points, int count, QRgb colour)
{
    // Every segment with both of its end points: the pixels drawn depend only on
    // the points, which is what lets a trace be reduced per pixel column.
    if (count == 1) SolidSegment(Raster(target, colour), points[0], points[0]);
    // Stretches that never turn back left are placed together; all pixels are of one
    // colour, so the order in which the pieces are placed does not matter.
    int from = 0;
    while (from + 1 < count) {
        if (points[from + 1].x() < points[from].x()) {  // one step back left
            SolidSegment(Raster(target, colour), points[from], points[from + 1]);
            ++from;
            continue;
        }
        int to = from + 1;
        while (to + 1 < count && points[to + 1].x() >= points[to].x()) ++to;
        SolidRun(target, points + from, to - from + 1, colour);
        from = to;
    }
}

void Canvas::SolidRun(QImage& target, const QPoint* points, int count, QRgb colour)
{
    // A line that never turns back left crosses each column once: consecutive segments
    // share their end pixels, so what it sets in a column is one unbroken run. Find the
    // runs first, then set them row by row, which touches each row of the image once
    // instead of once per column (a dense trace is mostly tall runs).
    const int w = target.width();
    const int h = target.height();
    const int xFrom = std::max(points[0].x(), 0);
    const int xTo = std::min(points[count - 1].x(), w - 1);
    if (xFrom > xTo) return;
    extentLo_.assign(static_cast<std::size_t>(w), std::numeric_limits<int>::max());
    extentHi_.assign(static_cast<std::size_t>(w), std::numeric_limits<int>::min());
    const ColumnExtents columns{extentLo_.data(), extentHi_.data(), w, h};
    for (int k = 1; k < count; ++k) SolidSegment(columns, points[k - 1], points[k]);
    const int* lo = extentLo_.data();
    const int* hi = extentHi_.data();
    int yFrom = h, yTo = -1;
    std::int64_t pixels = 0;
    for (int x = xFrom; x <= xTo; ++x) {
        if (lo[x] > hi[x]) continue;
        yFrom = std::min(yFrom, lo[x]);
        yTo = std::max(yTo, hi[x]);
        pixels += hi[x] - lo[x] + 1;
    }
    if (yFrom > yTo) return;
    const Raster raster(target, colour);
    const std::int64_t area = static_cast<std::int64_t>(yTo - yFrom + 1) * (xTo - xFrom + 1);
    if (pixels * kRowFillRatio < area) {
        // A thin trace: column by column touches less of the image.
        for (int x = xFrom; x <= xTo; ++x)
            if (lo[x] <= hi[x]) raster.Span(x, lo[x], hi[x]);
        return;
    }
    for (int y = yFrom; y <= yTo; ++y)
        FillRow(reinterpret_cast<QRgb*>(raster.bits + y * raster.stride), lo, hi, xFrom, xTo, y, colour);
}

void Canvas::Line(double x1, double y1, double x2, double y2, QColor colour)
{
    QImage& target = Target(Span(x1, y1, x2, y2));
    if (drawStyle_ == Qt::SolidLine && Placeable(x1, y1) && Placeable(x2, y2)) {
        // Solid lines land on whole pixels; placing them ourselves skips a painter per line.
        SolidSegment(Raster(target, colour.rgba()), PixelOf(x1, y1), PixelOf(x2, y2));
    } else {
        QPainter p(&target);
        p.setPen(QPen(colour, 1, drawStyle_));
        p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    CurrentX = x2;
    CurrentY = y2;
    Changed();
}

void Canvas::LinesFromCurrent(const QPointF* points, int count, QColor colour)
{
    if (count < 1) return;
    bool placeable = drawStyle_ == Qt::SolidLine && Placeable(CurrentX, CurrentY);
    for (int k = 0; k < count && placeable; ++k) placeable = Placeable(points[k].x(), points[k].y());
    if (!placeable) {
        for (int k = 0; k < count; ++k) LineFromCurrent(points[k].x(), points[k].y(), colour);
        return;
    }
    // The same pixels as one line after the other: each segment has both end points.
    std::vector<QPoint> pixels;
    pixels.reserve(static_cast<std::size_t>(count) + 1);
    pixels.push_back(PixelOf(CurrentX, CurrentY));
    for (int k = 0; k < count; ++k) pixels.push_back(PixelOf(points[k].x(), points[k].y()));
    SolidPolyline(Target(autoRedraw_ ? QRectF() : Span(pixels.data(), static_cast<int>(pixels.size()), 1)),
                  pixels.data(), static_cast<int>(pixels.size()), colour.rgba());
    CurrentX = points[count - 1].x();
    CurrentY = points[count - 1].y();
    Changed();
}

void Canvas::LineFromCurrent(double x2, double y2, QColor colour) { Line(CurrentX, CurrentY, x2, y2, colour); }

void Canvas::Box(double x1, double y1, double x2, double y2, QColor colour)
{
    QPainter p(&Target(Span(x1, y1, x2, y2)));
    p.setPen(QPen(colour, 1, drawStyle_));
    p.drawRect(QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2), std::max(y1, y2))));
    CurrentX = x2;
    CurrentY = y2;
    Changed();
}

void Canvas::SetFont(const QString& family, double pointSize, bool bold)
{
    if (fontFamily_ == family && fontPoints_ == pointSize && fontBold_ == bold && metrics_) return;
    fontFamily_ = family;
    fontPoints_ = pointSize;
    fontBold_ = bold;
    font_ = QFont(FaceFor(family));
    font_.setPointSizeF(pointSize);
    font_.setBold(bold);
    metrics_.reset();
}

const QFontMetricsF& Canvas::Metrics() const
{
    // Measured at the canvas's fixed density; kept until the font changes.
    if (!metrics_) metrics_ = std::make_shared<QFontMetricsF>(font_, &persistent_);
    return *metrics_;
}

double Canvas::TextWidth(const QString& text) const { return Metrics().horizontalAdvance(text); }

double Canvas::TextHeight(const QString& text) const
{
    (void)text;  // one line of text: the font's line height
    return Metrics().height();
}

void Canvas::Print(const QString& text, bool newLine)
{
    const QFontMetricsF& metrics = Metrics();
    // What the text may cover, without laying it out a second time: no glyph is wider than the widest.
    QPainter p(&Target(QRectF(CurrentX, CurrentY, metrics.maxWidth() * text.size(), metrics.height())));
    p.setFont(font_);
    p.setPen(foreColor_);
    p.drawText(QPointF(CurrentX, CurrentY + metrics.ascent()), text);
    if (newLine) {
        CurrentX = 0;
        CurrentY += metrics.height();
    } else {
        CurrentX += metrics.horizontalAdvance(text);
    }
    Changed();
}

QImage Canvas::Composite() const
{
    QImage out = persistent_.convertToFormat(QImage::Format_RGB32);
    QPainter p(&out);
    p.drawImage(0, 0, overlay_);
    return out;
}

void Canvas::PaintTo(QPainter& painter, const QRect& area) const
{
    const QRect r = area.intersected(persistent_.rect());
    painter.drawImage(r, persistent_, r);
    const QRect o = r.intersected(OverlayBounds());
    if (!o.isEmpty()) painter.drawImage(o, overlay_, o);
}

}  // namespace sevrana
