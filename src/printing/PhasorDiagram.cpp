// The phasor diagram's layout, and the two surfaces it is drawn on.

#include "PhasorDiagram.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "Printer.h"

namespace sevrana {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
const QColor kAxisColour(176, 176, 176);

std::string Upper(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    std::string trimmed(first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1));
    for (char& c : trimmed) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return trimmed;
}

/// The point at angle (degrees, counter-clockwise) and distance from the centre; y grows downwards.
QPointF At(QPointF centre, double angle, double distance)
{
    return centre + QPointF(distance * std::cos(angle * kDegree), -distance * std::sin(angle * kDegree));
}

/// What the diagram draws on: lines and texts at positions in the surface's own units.
class Surface {
public:
    virtual ~Surface() = default;
    virtual void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) = 0;
    /// Text with its top left at the position.
    virtual void Text(QPointF topLeft, const QString& text, const QColor& colour) = 0;
    virtual double TextWidth(const QString& text) const = 0;
    virtual double TextHeight() const = 0;
};

/// A painter, in its pixels.
class PainterSurface : public Surface {
public:
    explicit PainterSurface(QPainter& painter) : painter_(painter), metrics_(painter.font()) {}
    void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) override
    {
        painter_.setPen(QPen(colour, bold ? 2 : 1, style, Qt::FlatCap));
        painter_.drawLine(from, to);
    }
    void Text(QPointF topLeft, const QString& text, const QColor& colour) override
    {
        painter_.setPen(colour);
        painter_.drawText(topLeft + QPointF(0, metrics_.ascent()), text);
    }
    double TextWidth(const QString& text) const override { return metrics_.horizontalAdvance(text); }
    double TextHeight() const override { return metrics_.height(); }

private:
    QPainter& painter_;
    QFontMetricsF metrics_;
};

/// The printer's page, in twips; lines in dots of the printer's pen.
class PrinterSurface : public Surface {
public:
    explicit PrinterSurface(Printer& printer) : printer_(printer) {}
    void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) override
    {
        printer_.SetDrawStyle(style);
        printer_.SetDrawWidth(bold ? 4 : 1);
        printer_.Line(from.x(), from.y(), to.x(), to.y(), colour);
    }
    void Text(QPointF topLeft, const QString& text, const QColor& colour) override
    {
        printer_.SetForeColor(colour);
        printer_.CurrentX = topLeft.x();
        printer_.CurrentY = topLeft.y();
        printer_.Print(text);
        printer_.SetForeColor(Qt::black);
    }
    double TextWidth(const QString& text) const override { return printer_.TextWidth(text); }
    double TextHeight() const override { return printer_.TextHeight(); }

private:
    Printer& printer_;
};

struct LegendEntry {
    QString text;
    QColor colour;
    Qt::PenStyle style;
};

std::vector<LegendEntry> Legend(const std::vector<PhasorArrow>& arrows)
{
    std::vector<LegendEntry> entries{{QStringLiteral("A / L1"), PhaseColour(PhaseKind::A), Qt::SolidLine},
                                     {QStringLiteral("B / L2"), PhaseColour(PhaseKind::B), Qt::SolidLine},
                                     {QStringLiteral("C / L3"), PhaseColour(PhaseKind::C), Qt::SolidLine},
                                     {QStringLiteral("Other"), PhaseColour(PhaseKind::Other), Qt::SolidLine}};
    if (std::any_of(arrows.begin(), arrows.end(), [](const PhasorArrow& a) { return a.phase == PhaseKind::Sequence; }))
        entries.push_back({QStringLiteral("Sequence"), PhaseColour(PhaseKind::Sequence), Qt::SolidLine});
    entries.push_back({QStringLiteral("Voltage"), Qt::black, Qt::SolidLine});
    entries.push_back({QStringLiteral("Current"), Qt::black, Qt::DashLine});
    return entries;
}

void Draw(Surface& surface, const QRectF& area, const std::vector<PhasorArrow>& arrows)
{
    const double line = surface.TextHeight();
    // Room for a name beside the circle on either side and a line above and below it.
    const QPointF centre = area.center();
    const double radius = std::max(
        0.0, std::min(area.width() / 2 - surface.TextWidth(QStringLiteral("MMMMMM")), area.height() / 2 - 1.5 * line));

    // The circle of the longest arrows and the axes through the centre.
    constexpr int kCircleSegments = 96;
    for (int k = 0; k < kCircleSegments; ++k)
        surface.Line(At(centre, 360.0 * k / kCircleSegments, radius),
                     At(centre, 360.0 * (k + 1) / kCircleSegments, radius), kAxisColour, Qt::SolidLine, false);
    surface.Line(At(centre, 180, radius), At(centre, 0, radius), kAxisColour, Qt::SolidLine, false);
    surface.Line(At(centre, 270, radius), At(centre, 90, radius), kAxisColour, Qt::SolidLine, false);

    double longest[2] = {0, 0};  // currents, voltages
    for (const PhasorArrow& a : arrows) longest[a.voltage] = std::max(longest[a.voltage], a.magnitude);
    for (const PhasorArrow& a : arrows) {
        if (!(a.magnitude > 0) || !(longest[a.voltage] > 0)) continue;  // no direction to show
        const double length = radius * a.magnitude / longest[a.voltage];
        if (length < radius / 1000) continue;  // a point under the others' names, not an arrow
        const QPointF end = At(centre, a.angle, length);
        const QColor colour = PhaseColour(a.phase);
        surface.Line(centre, end, colour, a.voltage ? Qt::SolidLine : Qt::DashLine, true);
        const double head = std::min(0.6 * line, length / 3);
        surface.Line(end, At(end, a.angle + 150, head), colour, Qt::SolidLine, true);
        surface.Line(end, At(end, a.angle - 150, head), colour, Qt::SolidLine, true);
        // The name just beyond the tip, on the side away from the centre.
        const double gap = line / 4;
        const double c = std::cos(a.angle * kDegree);
        const double s = std::sin(a.angle * kDegree);
        const double x = c >= 0 ? end.x() + gap * c : end.x() + gap * c - surface.TextWidth(a.label);
        const double y = end.y() - line / 2 - s * line / 2;
        surface.Text(QPointF(x, y), a.label, colour);
    }

    // The legend: a short line of each kind and what it stands for.
    QPointF at = area.topLeft() + QPointF(line / 2, line / 2);
    for (const LegendEntry& entry : Legend(arrows)) {
        const double y = at.y() + line / 2;
        surface.Line(QPointF(at.x(), y), QPointF(at.x() + 2 * line, y), entry.colour, entry.style, true);
        surface.Text(QPointF(at.x() + 2.5 * line, at.y()), entry.text, Qt::black);
        at.ry() += line;
    }
}

}  // namespace

PhaseKind PhaseOf(std::string_view phaseField)
{
    const std::string phase = Upper(phaseField);
    if (phase == "A" || phase == "L1") return PhaseKind::A;
    if (phase == "B" || phase == "L2") return PhaseKind::B;
    if (phase == "C" || phase == "L3") return PhaseKind::C;
    return PhaseKind::Other;
}

QColor PhaseColour(PhaseKind phase)
{
    switch (phase) {
    case PhaseKind::A:
        return {204, 0, 0};
    case PhaseKind::B:
        return {0, 140, 0};
    case PhaseKind::C:
        return {0, 0, 204};
    case PhaseKind::Sequence:
        return {160, 0, 160};
    case PhaseKind::Other:
        break;
    }
    return {96, 96, 96};
}

bool IsVoltageUnit(std::string_view unit)
{
    const std::string upper = Upper(unit);
    return !upper.empty() && upper.back() == 'V';
}

void DrawPhasorDiagram(QPainter& painter, const QRectF& area, const std::vector<PhasorArrow>& arrows)
{
    PainterSurface surface(painter);
    Draw(surface, area, arrows);
}

void DrawPhasorDiagram(Printer& printer, const QRectF& area, const std::vector<PhasorArrow>& arrows)
{
    PrinterSurface surface(printer);
    Draw(surface, area, arrows);
}

}  // namespace sevrana
