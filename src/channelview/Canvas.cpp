#include "Canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>

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

/// A solid one-pixel line with both end points, each pixel placed on its own
/// (no error accumulation), so only the part inside the image costs anything.
void SolidSegment(QImage& image, QPoint a, QPoint b, QRgb colour)
{
    const int w = image.width();
    const int h = image.height();
    // One detach for the whole line, then plain stores.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto put = [&](std::int64_t x, std::int64_t y) {
        if (x >= 0 && y >= 0 && x < w && y < h) reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    };
    const std::int64_t dx = static_cast<std::int64_t>(b.x()) - a.x();
    const std::int64_t dy = static_cast<std::int64_t>(b.y()) - a.y();
    if (dx == 0 && dy == 0) {
        put(a.x(), a.y());
        return;
    }
    // Walk the major axis; the minor coordinate is the nearest whole number of the
    // exact line, kept as quotient and remainder so no step divides.
    auto walk = [&](std::int64_t major0, std::int64_t minor0, std::int64_t dMajor, std::int64_t dMinor,
                    std::int64_t from, std::int64_t to, bool yMajor) {
        if (from > to) return;
        const std::int64_t den = 2 * dMajor;
        std::int64_t q = NearestQuotient((from - major0) * dMinor, dMajor);
        std::int64_t r = 2 * (from - major0) * dMinor + dMajor - q * den;  // 0 <= r < den
        for (std::int64_t m = from; m <= to; ++m) {
            if (yMajor)
                put(minor0 + q, m);
            else
                put(m, minor0 + q);
            r += 2 * dMinor;
            if (r >= den) {
                r -= den;
                ++q;
            } else if (r < 0) {
                r += den;
                --q;
            }
        }
    };
    if (std::llabs(dy) >= std::llabs(dx)) {
        if (dy < 0) std::swap(a, b);
        const std::int64_t ddx = static_cast<std::int64_t>(b.x()) - a.x();
        const std::int64_t ddy = static_cast<std::int64_t>(b.y()) - a.y();
        if (ddx == 0) {
            if (a.x() < 0 || a.x() >= w) return;
            const std::int64_t from = std::max<std::int64_t>(a.y(), 0);
            const std::int64_t to = std::min<std::int64_t>(b.y(), h - 1);
            for (std::int64_t y = from; y <= to; ++y) reinterpret_cast<QRgb*>(bits + y * stride)[a.x()] = colour;
            return;
        }
        walk(a.y(), a.x(), ddy, ddx, std::max<std::int64_t>(a.y(), 0), std::min<std::int64_t>(b.y(), h - 1), true);
    } else {
        if (dx < 0) std::swap(a, b);
        const std::int64_t ddx = static_cast<std::int64_t>(b.x()) - a.x();
        const std::int64_t ddy = static_cast<std::int64_t>(b.y()) - a.y();
        walk(a.x(), a.y(), ddx, ddy, std::max<std::int64_t>(a.x(), 0), std::min<std::int64_t>(b.x(), w - 1), false);
    }
}

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
    Changed();
}

void Canvas::Cls()
{
    if (autoRedraw_) persistent_.fill(background_);
    overlay_.fill(Qt::transparent);
    CurrentX = 0;
    CurrentY = 0;
    Changed();
}

void Canvas::ClearOverlay()
{
    overlay_.fill(Qt::transparent);
    Changed();
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
    if (ExactPen()) {
        SolidSegment(Target(), current_, QPoint(x, y), penColour_.rgba());
    } else {
        QPainter p(&Target());
        p.setPen(QPen(penColour_, penWidth_, penStyle_));
        p.drawLine(current_, QPoint(x, y));
    }
    current_ = QPoint(x, y);
    Changed();
}

void Canvas::Polyline(const QPoint* points, int count)
{
    if (count < 1) return;
    if (ExactPen()) {
        // Every segment with both of its end points: the pixels drawn depend only on
        // the points, which is what lets a trace be reduced per pixel column.
        QImage& target = Target();
        const QRgb colour = penColour_.rgba();
        if (count == 1) SolidSegment(target, points[0], points[0], colour);
        for (int k = 1; k < count; ++k) SolidSegment(target, points[k - 1], points[k], colour);
    } else if (count >= 2) {
        QPainter p(&Target());
        p.setPen(QPen(penColour_, penWidth_, penStyle_));
        p.drawPolyline(points, count);
    }
    current_ = points[count - 1];
    Changed();
}

void Canvas::Line(double x1, double y1, double x2, double y2, QColor colour)
{
    if (drawStyle_ == Qt::SolidLine && std::fabs(x1) < 1e9 && std::fabs(y1) < 1e9 && std::fabs(x2) < 1e9 &&
        std::fabs(y2) < 1e9) {
        // Solid lines land on whole pixels; placing them ourselves skips a painter per line.
        SolidSegment(Target(), QPoint(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1))),
                     QPoint(static_cast<int>(std::lround(x2)), static_cast<int>(std::lround(y2))), colour.rgba());
    } else {
        QPainter p(&Target());
        p.setPen(QPen(colour, 1, drawStyle_));
        p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    CurrentX = x2;
    CurrentY = y2;
    Changed();
}

void Canvas::LineFromCurrent(double x2, double y2, QColor colour) { Line(CurrentX, CurrentY, x2, y2, colour); }

void Canvas::Box(double x1, double y1, double x2, double y2, QColor colour)
{
    QPainter p(&Target());
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
    QPainter p(&Target());
    p.setFont(font_);
    p.setPen(foreColor_);
    const QFontMetricsF& metrics = Metrics();
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

void Canvas::PaintTo(QPainter& painter) const
{
    painter.drawImage(0, 0, persistent_);
    painter.drawImage(0, 0, overlay_);
}

}  // namespace sevrana
