#include "PageRenderer.h"

#include <QFontMetricsF>
#include <QString>

#include <cmath>

#include "NumberUtils.h"
#include "Printer.h"
#include "ProgramError.h"
#include "SignalRenderer.h"
#include "TabbedItemDelegate.h"

namespace sevrana {

namespace {

using namespace colours;

QString Q(const std::string& text) { return QString::fromStdString(text); }

/// Plot height: the page less the title band of 500 twips.
double PlotHeight(const Printer& printer) { return printer.ScaleHeight() - 500; }

/// Everything of one page that does not change while it is drawn.
struct Page {
    Printer& printer;
    const PageSource& source;
    Frame frame;
    double W = 0, H = 0, P = 0, h = 0;
    QColor trace;  // red on a colour printer, black otherwise

    double X(double p) const { return PointX(frame, W, p, source.model.lngSampleRate); }
};

/// The markers' x positions on the page, from the scroll bar's first sample.
void PlacePageMarkers(const Page& page)
{
    ViewState& v = page.source.view;
    if (v.blnMarkersOn != kTrue || v.blnScrolling == kTrue) return;
    const RecordingModel& m = page.source.model;
    if (m.dblScrollFactor == 0) throw ProgramError::DivisionByZero();
    const std::int32_t d = ToInt32(page.source.scrollValue / m.dblScrollFactor);
    const std::int32_t o1 = v.varMarker1Sample - d;
    const std::int32_t o2 = v.lngMarker2Sample - d;
    const double fs = m.lngSampleRate;
    v.varMarker1X = static_cast<float>(RoundHalfEven(page.frame.Z * page.W * (o1 / fs) / page.frame.D));
    v.lngMarker2X = ToInt32(page.frame.Z * page.W * (o2 / fs) / page.frame.D);
    v.varMarker1Sample = o1 + d;
    v.lngMarker2Sample = o2 + d;
}

/// The dashed trigger line and its texts (the value line on analog pages only).
void DrawTrigger(const Page& page, std::int32_t p, const QString* valueLine)
{
    if (p <= 0) return;
    Printer& printer = page.printer;
    printer.SetDrawStyle(Qt::DashLine);
    const double xT = page.X(p);
    printer.Line(xT, 0, xT, page.P, kTriggerGrey);
    const QString time = TimeText(page.source.model.varTriggerTime);
    const double w = printer.TextWidth(time);
    double xL = xT + 20;
    if (xL + w >= page.W) xL = xT - 40 - w;
    printer.CurrentX = xL;
    printer.CurrentY = 2 * page.h + 40;
    printer.Print(QStringLiteral("Trigger point"));
    printer.CurrentX = xL;
    printer.Print(time);
    if (valueLine != nullptr) {
        printer.CurrentX = xL;
        printer.Print(*valueLine);
    }
    printer.SetDrawStyle(Qt::SolidLine);
}

/// Both marker lines (also off the view) with their texts; value lines on analog pages.
void DrawMarkers(const Page& page, const std::function<QString(std::int32_t)>& valueLine)
{
    const ViewState& v = page.source.view;
    if (v.blnMarkersOn != kTrue) return;
    Printer& printer = page.printer;
    const RecordingModel& m = page.source.model;
    DrawingState& d = page.source.drawing;
    printer.SetDrawStyle(Qt::SolidLine);
    printer.SetForeColor(kBlue);
    const double x1 = v.varMarker1X;
    const double x2 = v.lngMarker2X;
    auto one = [&](double X, double Xo, bool isLeft, const QString& name, std::int32_t M) {
        printer.Line(X, 0, X, page.P, kBlue);
        auto put = [&](const QString& text, double y, bool nameLine) {
            printer.CurrentX = MarkerLabelX(X, Xo, isLeft, printer.TextWidth(text), page.W, nameLine, 20);
            printer.CurrentY = y;
            printer.Print(text);
        };
        put(name, 20, true);
        put("Sample: " + QString::number(M), printer.TextHeight() + 40, true);
        put(TimeText(ShownMarkerTime(M, m.lngSampleRate, page.frame.D)), page.P - 20 - page.h, false);
        if (valueLine) put(valueLine(M), page.P - 40 - 2 * page.h, false);
    };
    d.varMarker1Time = MarkerTime(v.varMarker1Sample, m.lngSampleRate, page.frame.D);
    one(x1, x2, x2 >= x1, QStringLiteral("M1"), v.varMarker1Sample);
    d.dblMarker2Time = MarkerTime(v.lngMarker2Sample, m.lngSampleRate, page.frame.D);
    one(x2, x1, x1 > x2, QStringLiteral("M2"), v.lngMarker2Sample);
    printer.SetForeColor(kBlack);
}

/// Makes a line fit the room (in twips): its tab stops shrink, down to one blank's width,
/// and then its font steps down a point at a time, down to 6 points, until it fits; the
/// widest tab stops of the largest font that fits stay set.
void FitToWidth(Printer& printer, const QString& line, double room)
{
    constexpr int kSteps = 16;  // tab stops tried between the font's own and one blank
    constexpr double kSmallestPoints = 6;
    const QString family = printer.Font().family();
    for (double points = printer.FontPoints();; points -= 1) {
        printer.SetFont(family, points);
        const double own = TabStopFor(printer.Font());
        const double blank = QFontMetricsF(printer.Font()).horizontalAdvance(QLatin1Char(' '));
        for (int k = 0; k <= kSteps; ++k) {
            printer.SetTabStop(own - (own - blank) * k / kSteps);
            if (printer.TextWidth(line) <= room) return;
        }
        if (points - 1 < kSmallestPoints) return;  // as small as it goes: it may still run off
    }
}

/// The title line at the foot of the page, with the delta t read-outs while the markers are on.
void DrawTitle(const Page& page, const QString& title)
{
    Printer& printer = page.printer;
    const DrawingState& d = page.source.drawing;
    const QString family = printer.Font().family();
    const double points = printer.FontPoints();
    QString line = title;
    if (page.source.view.blnMarkersOn == kTrue) {
        const double dt = std::fabs(d.dblMarker2Time - d.varMarker1Time);
        line += "\t\tdelta t :  " + Q(FormatPattern(dt, "##0.000000")) + " s\t\t";
        line += dt > 0 ? "1/delta t :  " + Q(FormatPattern(1 / dt, "####0.0000")) + " 1/s"
                       : QStringLiteral("1/delta t :  --infinite-- 1/s");
    }
    printer.SetForeColor(kBlack);
    FitToWidth(printer, line, page.W - 500);
    printer.CurrentX = 500;
    printer.CurrentY = page.H - printer.TextHeight() - 20;
    printer.Print(line);
    printer.SetTabStop(0);
    printer.SetFont(family, points);
}

void DrawAnalogAxes(const Page& page, long i)
{
    Printer& printer = page.printer;
    const RecordingModel& m = page.source.model;
    const double P = page.P, W = page.W, h = page.h;
    printer.SetDrawWidth(1);
    printer.SetDrawStyle(Qt::SolidLine);
    printer.SetForeColor(kGreen);
    printer.Line(1, 0, 1, P - 1, kGreen);
    printer.Line(1, (P - 10) / 2, W, (P - 10) / 2, kGreen);
    const double dy = RoundHalfEven(P / 10);
    const bool labels = 12 * h < P;
    const double scale = m.arrChannelScale(i);
    const QString unit = Q(m.arrAnalogUnits(i));
    for (int k = 0; k <= 10; ++k) {
        const double y = k == 0 ? 1 : k * dy;
        printer.Line(1, y, 100, y, kGreen);
        printer.CurrentX = 120;
        const QString label = Q(GeneralNumber(DivisionValue(scale, k))) + " " + unit;
        if (k == 0)
            printer.CurrentY = 1;
        else if (k == 5)
            printer.CurrentY = y - h - 20;
        else if (k == 10)
            printer.CurrentY = y - 20 - h;
        else
            printer.CurrentY = y - h / 2;
        if (labels) printer.Print(label);
        if (k == 5) continue;  // the zero line stands there
        // Level with the tick after a printed label; one line higher when the labels are left out.
        const double gridY = k == 0 ? printer.CurrentY - h : k == 10 ? y : printer.CurrentY - h / 2;
        printer.SetDrawStyle(Qt::DotLine);
        printer.Line(printer.CurrentX + 20 + 100 + printer.TextWidth(label), gridY, W, gridY, kGreen);
        printer.SetDrawStyle(Qt::SolidLine);
    }
    const double dx = RoundHalfEven(W / 10);
    for (int j = 1; j <= 10; ++j) printer.Line(j * dx, (P - 1) / 2 - 40, j * dx, (P - 1) / 2 + 40, kGreen);
}

void DrawAnalogPage(const Page& page, long i)
{
    const PageSource& source = page.source;
    const RecordingModel& m = source.model;
    DrawingState& d = source.drawing;
    Printer& printer = page.printer;
    DrawAnalogAxes(page, i);

    printer.SetForeColor(kBlack);
    printer.SetDrawStyle(Qt::SolidLine);
    printer.SetDrawWidth(3);
    const double scale = m.arrChannelScale(i);
    if (scale == 0) throw ProgramError::DivisionByZero();
    const double K = (page.P - 1) / scale;
    auto yv = [&](double value) { return page.P / 2 - value * K / 2; };
    PlacePageMarkers(page);
    const std::int32_t s0 = source.view.lngFirstSample;
    const std::int32_t E = page.frame.E;
    const auto& samples = m.arrAnalogSamples;
    // Every sample is a segment: paper shows what the screen reduces. A gap ends the line and the
    // next value starts a new one; a value alone between gaps is a dot.
    bool joined = false;  // the previous sample was a value
    auto point = [&](std::int32_t n, double x) {
        const double value = samples(i, n);
        if (std::isnan(value)) {
            joined = false;
            return;
        }
        const double y = yv(value);
        if (joined) {
            printer.LineTo(x, y, page.trace);
            return;
        }
        printer.Line(x, y, x, y, page.trace);
        joined = true;
        if (n < E ? std::isnan(samples(i, n + 1)) : n > s0) printer.LineTo(x, y, page.trace);
    };
    point(s0, 1);
    std::int32_t p = 2;
    for (std::int32_t n = s0 + 1; n <= E; ++n, ++p) point(n, page.X(p));
    d.varPlotSample = E;
    d.varPlotPoint = p;
    printer.SetDrawWidth(1);
    printer.SetDrawStyle(Qt::SolidLine);

    d.lngTriggerPlotPoint = TriggerPlotPoint(m, s0, E);
    // The trigger's value exists only where its line is drawn: a trigger outside the record has none.
    if (d.lngTriggerPlotPoint > 0) {
        const QString value = ValueLine(m, i, m.lngTriggerSample);
        DrawTrigger(page, d.lngTriggerPlotPoint, &value);
    }
    DrawMarkers(page, [&](std::int32_t M) { return ValueLine(m, i, M); });
    DrawTitle(page, Q(m.varStationName) + "\t\t" + Q(m.arrAnalogNames(i)) + ", Scale: " + Q(GeneralNumber(-scale)) +
                        "..." + Q(GeneralNumber(scale)));
}

void DrawDigitalPage(const Page& page)
{
    const PageSource& source = page.source;
    const RecordingModel& m = source.model;
    DrawingState& d = source.drawing;
    Printer& printer = page.printer;
    const long nD = m.DigitalCount();
    const std::int16_t chosen = m.arrDigitalSelection(nD + 1);
    if (chosen == 0) throw ProgramError::DivisionByZero();
    const double B = (page.H - 500 - 500) / chosen;
    const double T = B - 30;
    auto selected = [&](long j) { return m.arrDigitalSelection(j) == 1 || m.arrDigitalSelection(0) == 1; };

    printer.SetDrawStyle(Qt::DotLine);
    printer.SetForeColor(kRed);
    const bool labels = page.h * (nD + 1) < page.P;
    double levelX = printer.TextWidth(QStringLiteral("00")) + 20;
    for (long j = 1, r = 1; j <= nD; ++j) {
        if (!selected(j)) continue;
        printer.Line(0, r * B - 20 - T, page.W, r * B - 20 - T, kGreen);
        if (labels) {
            const QString label = QString::number(j) + ": " + Q(m.arrDigitalNames(j));
            printer.CurrentX = 20;
            printer.CurrentY = r * B - 10 - page.h;
            printer.Print(label);
            // "Low" shares the first row's bottom line with its label: it goes after the name.
            if (r == 1) levelX = std::max(levelX, 20 + printer.TextWidth(label + QStringLiteral("  ")));
        }
        ++r;
    }
    printer.SetDrawStyle(Qt::SolidLine);
    printer.SetForeColor(kGreen);
    printer.CurrentX = levelX;
    printer.CurrentY = B - T - 20;
    printer.Print(QStringLiteral("High"));
    printer.CurrentX = levelX;
    printer.CurrentY = B - 10 - page.h;
    printer.Print(QStringLiteral("Low"));
    printer.SetForeColor(kBlack);

    const std::int32_t s0 = source.view.lngFirstSample;
    const std::int32_t E = page.frame.E;
    for (long j = 1, r = 1; j <= nD; ++j) {
        if (!selected(j)) continue;
        auto yd = [&](std::int16_t v) { return r * B - 20 - v * T; };
        auto state = [&](std::int32_t n) { return m.arrDigitalSamples(j, n); };
        printer.SetDrawWidth(3);
        printer.Line(1, yd(state(s0)), 1, yd(state(s0)), page.trace);
        PlacePageMarkers(page);
        std::int32_t p = 2;
        for (std::int32_t n = s0 + 1; n <= E; ++n, ++p) {
            const std::int16_t before = state(n - 1), now = state(n);
            if (now == before) continue;
            const double x = page.X(p);
            printer.LineTo(x, yd(before), page.trace);
            printer.LineTo(x, yd(now), page.trace);
        }
        d.varPlotSample = E;
        d.varPlotPoint = p;
        const double S = m.lngViewSamples;
        printer.LineTo(page.W * E / S, yd(state(E)), page.trace);
        printer.SetDrawWidth(1);
        d.lngTriggerPlotPoint = TriggerPlotPoint(m, s0, E);
        DrawTrigger(page, d.lngTriggerPlotPoint, nullptr);
        DrawMarkers(page, nullptr);
        printer.SetForeColor(kBlack);
        ++r;
    }
    DrawTitle(page, Q(m.varStationName) + "\t\tDigital Channels");
}

}  // namespace

double DivisionValue(double scale, int k)
{
    // The middle division is the zero line: its label reads 0, as on screen, where
    // s - 5 * s / 5 would leave a rounding remainder such as 4.44089209850063E-16.
    if (k == 5) return 0;
    if (k < 5) return scale - k * scale / 5;
    return -(scale - (10 - k) * scale / 5);
}

void DrawPage(Printer& printer, const PageSource& source, std::int16_t index)
{
    const RecordingModel& m = source.model;
    Page page{printer, source, ComputeFrame(m, source.view), 0, 0, 0, 0, QColor()};
    page.frame.E = std::min(page.frame.E, m.lngLastSample);  // a view wider than the record ends at N
    page.W = printer.ScaleWidth();
    page.H = printer.ScaleHeight();
    page.P = PlotHeight(printer);
    page.h = printer.TextHeight();
    // Only the colour mode may fail without harm: the trace is then black.
    page.trace = printer.ColourMode() ? kRed : kBlack;
    if (source.minimized && source.minimized(index)) return;
    if (index <= m.AnalogCount())
        DrawAnalogPage(page, index);
    else
        DrawDigitalPage(page);
}

}  // namespace sevrana
