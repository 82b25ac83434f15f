#pragma once
// The phasor diagram: one arrow per phasor from the centre, 0 degrees to the
// right and counter-clockwise positive, voltages and currents each scaled to
// their own longest arrow, a colour per phase, the names at the arrows' ends and
// a legend. Drawn on a surface, so the screen and the paper share one layout.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <string_view>
#include <vector>

class QPainter;

namespace sevrana {

class Printer;

enum class PhaseKind { A, B, C, Other, Sequence };

/// A, B, C (or L1, L2, L3), trimmed and in any case; anything else is Other.
PhaseKind PhaseOf(std::string_view phaseField);
/// The colour that stands for a phase on screen and paper.
QColor PhaseColour(PhaseKind phase);
/// A unit that ends in V (V, kV, mV, in any case) measures a voltage.
bool IsVoltageUnit(std::string_view unit);

struct PhasorArrow {
    QString label;
    double magnitude = 0;
    double angle = 0;  // degrees, counter-clockwise from the right
    PhaseKind phase = PhaseKind::Other;
    bool voltage = false;
};

/// What the diagram draws on: lines and texts at positions in the surface's own units.
class DiagramSurface {
public:
    virtual ~DiagramSurface() = default;
    virtual void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) = 0;
    /// Text with its top left at the position.
    virtual void Text(QPointF topLeft, const QString& text, const QColor& colour) = 0;
    virtual double TextWidth(const QString& text) const = 0;
    virtual double TextHeight() const = 0;
};

/// A painter on screen or in an image, in its pixels.
class PainterSurface : public DiagramSurface {
public:
    explicit PainterSurface(QPainter& painter) : painter_(painter) {}
    void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) override;
    void Text(QPointF topLeft, const QString& text, const QColor& colour) override;
    double TextWidth(const QString& text) const override;
    double TextHeight() const override;

private:
    QPainter& painter_;
};

/// The printer's page, in twips.
class PrinterSurface : public DiagramSurface {
public:
    explicit PrinterSurface(Printer& printer) : printer_(printer) {}
    void Line(QPointF from, QPointF to, const QColor& colour, Qt::PenStyle style, bool bold) override;
    void Text(QPointF topLeft, const QString& text, const QColor& colour) override;
    double TextWidth(const QString& text) const override;
    double TextHeight() const override;

private:
    Printer& printer_;
};

/// The diagram inside area: the legend in its top left corner, the circle of the
/// longest arrows in the middle of what is left.
void DrawPhasorDiagram(DiagramSurface& surface, const QRectF& area, const std::vector<PhasorArrow>& arrows);

/// Where the diagram in area puts its centre and how long its longest arrows are.
struct DiagramCircle {
    QPointF centre;
    double radius = 0;
};
DiagramCircle PhasorCircle(const DiagramSurface& surface, const QRectF& area);

}  // namespace sevrana
