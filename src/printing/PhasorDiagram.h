#pragma once
// The phasor diagram: one arrow per phasor from the centre, 0 degrees to the
// right and counter-clockwise positive, voltages and currents each scaled to
// their own longest arrow, a colour per phase, the names at the arrows' ends and
// a legend. Drawn on a surface, so the screen and the paper share one layout.

#include <QColor>
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

/// The diagram inside area: the legend in its top left corner, the circle of the longest
/// arrows in the middle, with room for the names beside it. On screen or in an image in the
/// painter's pixels; on paper in twips.
void DrawPhasorDiagram(QPainter& painter, const QRectF& area, const std::vector<PhasorArrow>& arrows);
void DrawPhasorDiagram(Printer& printer, const QRectF& area, const std::vector<PhasorArrow>& arrows);

}  // namespace sevrana
