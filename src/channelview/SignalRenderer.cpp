#include "SignalRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "ChannelSetup.h"
#include "NumberUtils.h"
#include "ProgramError.h"
#include "TraceColumns.h"

namespace sevrana {

namespace {

using namespace colours;

/// Whole pixel, halves to even.
int Px(double v) { return ToInt32(v); }

/// Keeps far-off points within what the rasterizer handles exactly; the visible
/// part of every line is the same for every point beyond this reach.
int Reach(std::int32_t y) { return std::clamp<std::int32_t>(y, -(1 << 22), 1 << 22); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b)
{
    const std::int64_t r = static_cast<std::int64_t>(a) + b;
    if (r > INT32_MAX || r < INT32_MIN) throw ProgramError::Overflow();
    return static_cast<std::int32_t>(r);
}

/// Trigger line and its annotation; lines are the texts under "Trigger point".
void DrawTriggerAnnotation(Canvas& canvas, const RenderContext& ctx, const Frame& frame, std::int32_t p,
                           const QString* valueLine)
{
    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    canvas.SetDrawStyle(Qt::DashLine);
    const double xT = PointX(frame, W, p, ctx.model.lngSampleRate);
    canvas.Line(xT, 0, xT, H, kTriggerGrey);
    canvas.SetForeColor(kBlack);
    const QString time = TimeText(ctx.model.varTriggerTime);
    const double w = canvas.TextWidth(time);
    double xL = xT + 2;
    if (xL + w >= W) xL = xT - 2 - w;
    if (xL > W) xL = W;
    const double h = canvas.TextHeight("1");
    canvas.CurrentX = xL;
    canvas.CurrentY = 2 * h + 2;
    canvas.Print("Trigger point");
    canvas.CurrentX = xL;
    canvas.Print(time);
    if (valueLine != nullptr) {
        canvas.CurrentX = xL;
        canvas.Print(*valueLine);
    }
    canvas.SetDrawStyle(Qt::SolidLine);
}

/// Draws one marker of a window: line, name, sample number, time (and value line for analog windows).
void DrawOneMarker(Canvas& canvas, double X, double Xo, bool isLeft, const QString& name, std::int32_t M,
                   double shownTime, const QString* valueLine)
{
    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    canvas.Line(X, 0, X, H);
    const double h1 = canvas.TextHeight(name);
    const double h = canvas.TextHeight("1");
    const QString sample = "Sample: " + QString::number(M);
    const QString time = TimeText(shownTime);
    auto put = [&](const QString& text, double y, bool nameLine) {
        canvas.CurrentX = MarkerLabelX(X, Xo, isLeft, canvas.TextWidth(text), W, nameLine, 2);
        canvas.CurrentY = y;
        canvas.Print(text);
    };
    put(name, 2, true);
    put(sample, h1 + 2, true);
    put(time, H - 2 - h, false);
    if (valueLine != nullptr) put(*valueLine, H - 2 - 2 * h, false);
}

}  // namespace

double MarkerLabelX(double X, double Xo, bool isLeft, double w, double W, bool nameLine, double gap)
{
    bool left;
    if (nameLine)
        left = isLeft ? (Xo - X < w + gap) : (X + gap + w > W);
    else
        left = (X + gap + w > W) || (isLeft && Xo - X < w + gap);
    return left ? X - gap - w : X + gap;
}

QString TimeText(double seconds) { return "t = " + Q(FormatPattern(seconds, "####0.000000")) + " s"; }

double ShownMarkerTime(std::int32_t sample, std::int32_t fs, double D)
{
    const double t = (static_cast<double>(sample) - 1) / fs;
    if (t > D) return D;
    if (t < 0) return 0;
    return t;
}

std::int32_t TriggerPlotPoint(const RecordingModel& m, std::int32_t s0, std::int32_t E)
{
    std::int32_t p = 0;
    const std::int32_t trig = m.lngTriggerSample;
    if (trig > s0 && trig <= E) p = trig - s0 + 1;
    if (s0 == 1 && trig == 1) p = 1;
    if (m.lngLastSample != INT32_MAX && trig == m.lngLastSample + 1) p = m.lngLastSample;
    return p;
}

Frame ComputeFrame(const RecordingModel& model, const ViewState& view)
{
    if (view.lngFirstSample < 1) throw ProgramError::SubscriptOutOfRange();
    if (model.lngViewSamples == 0 || model.lngSampleRate == 0) throw ProgramError::DivisionByZero();
    Frame f;
    f.Z = static_cast<double>(model.lngLastSample) / model.lngViewSamples;
    f.E = CheckedAdd(view.lngFirstSample, model.lngViewSamples);
    f.D = static_cast<double>(model.lngLastSample) / model.lngSampleRate;
    return f;
}

double PointX(const Frame& f, double width, double p, std::int32_t sampleRate)
{
    if (f.D == 0) throw ProgramError::DivisionByZero();
    return f.Z * width * ((p - 1) / sampleRate) / f.D;
}

ValueToY::ValueToY(double height, double scale) : half_(height / 2), K_(0)
{
    if (scale == 0) throw ProgramError::DivisionByZero();
    K_ = (height - 1) / scale;
}

int PointPixel(const Frame& f, double width, double p, std::int32_t sampleRate)
{
    return Px(PointX(f, width, p, sampleRate));
}

std::int32_t ValueY(double value, double height, double scale) { return ValueToY(height, scale)(value); }

void DrawGrid(Canvas& canvas, const RenderContext& ctx, long index)
{
    const RecordingModel& m = ctx.model;
    if (ctx.view.blnRedrawSignals != kTrue || index > m.AnalogCount()) return;
    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    canvas.SetAutoRedraw(true);
    // The grid changes only with the window's size, the scale, the texts and the font it
    // starts with; scrolling and zooming redraw it unchanged, so it is put back instead.
    const QString key = QString::number(W) + "|" + QString::number(H) + "|" +
                        QString::number(m.arrChannelScale(index), 'g', 17) + "|" + Q(m.arrAnalogUnits(index)) + "|" +
                        (ctx.titlesOn ? QString() : Q(m.arrAnalogNames(index))) + "|" + canvas.Font().toString();
    if (canvas.Recall(key)) return;
    canvas.SetPen(Qt::SolidLine, 1, kGreen);
    canvas.SetForeColor(kGreen);
    canvas.Cls();

    canvas.MoveTo(1, 0);
    canvas.LineTo(1, Px(H - 1));
    canvas.MoveTo(1, Px(H / 2));
    canvas.LineTo(Px(W), Px(H / 2));

    const double scale = m.arrChannelScale(index);
    const QString unit = Q(m.arrAnalogUnits(index));
    const double step = H / 10;
    const double hA = canvas.TextHeight("A");
    const bool labels = 12 * canvas.TextHeight("1") < H;
    for (int j = 0; j <= 10; ++j) {
        int y;
        double yL;
        if (j == 0) {
            y = 0;
            yL = 1;
        } else if (j == 5) {
            y = Px(H / 2);
            yL = 5 * step - hA;
        } else if (j == 10) {
            y = Px(H - 1);
            yL = H - hA;
        } else {
            y = Px(j * step);
            yL = j * step - hA / 2;
        }
        canvas.SetPen(Qt::SolidLine, 1, kGreen);
        canvas.CurrentY = yL;
        canvas.MoveTo(1, y);
        canvas.LineTo(7, y);
        canvas.CurrentX = 10;
        QString value;
        if (j < 5)
            value = Q(GeneralNumber(scale - j * (scale / 5)));
        else if (j == 5)
            value = "0";
        else
            value = Q(GeneralNumber(-(scale - (10 - j) * (scale / 5))));
        const QString label = value + " " + unit;
        if (labels) {
            canvas.Print(label, false);
            canvas.SetPen(Qt::DotLine, 1, kGreen);
            canvas.MoveTo(Px(canvas.TextWidth(label) + 12), y);
            canvas.LineTo(Px(W), y);
        }
    }

    if (!ctx.titlesOn) {
        const QString name = Q(m.arrAnalogNames(index));
        canvas.SetFont("MS Sans Serif", 10, true);
        canvas.SetForeColor(kNameRed);
        canvas.CurrentX = W - canvas.TextWidth(name) - 1;
        canvas.CurrentY = H / 2 - canvas.TextHeight("1");
        canvas.Print(name);
        canvas.SetFont("Small Fonts", 7, false);
        canvas.SetForeColor(kBlack);  // the platform's button-text colour
    }

    const double tick = W / 10;
    canvas.SetPen(Qt::SolidLine, 1, kGreen);
    for (int j = 1; j <= 10; ++j) {
        canvas.MoveTo(Px(j * tick), Px(H / 2 - 4));
        canvas.LineTo(Px(j * tick), Px(H / 2 + 4));
    }
    canvas.SetForeColor(kBlack);
    canvas.Keep(key);
}

void MarkerFollowUp(const RenderContext& ctx, const Frame& frame, double activeWidth, bool mark1Active)
{
    const RecordingModel& m = ctx.model;
    ViewState& v = ctx.view;
    if (v.blnMarkerKeyMove != kTrue) {
        const double denominator = (1.0 / m.lngSampleRate) * frame.Z * activeWidth;
        if (denominator == 0) throw ProgramError::DivisionByZero();
        if (mark1Active)
            v.varMarker1Sample = CheckedAdd(v.lngFirstSample, ToInt32(v.varMarker1X * frame.D / denominator));
        else
            v.lngMarker2Sample = CheckedAdd(v.lngFirstSample, ToInt32(v.lngMarker2X * frame.D / denominator));
    }
    v.varMarker1Sample = std::clamp(v.varMarker1Sample, 1, std::max(1, m.lngLastSample));
    v.lngMarker2Sample = std::clamp(v.lngMarker2Sample, 1, std::max(1, m.lngLastSample));
}

void PlaceMarkers(const RenderContext& ctx, Frame& frame, double width, std::int32_t firstSample)
{
    ViewState& v = ctx.view;
    const std::int32_t fs = ctx.model.lngSampleRate;
    std::int32_t o1 = CheckedAdd(v.varMarker1Sample, -firstSample);
    std::int32_t o2 = CheckedAdd(v.lngMarker2Sample, -firstSample);
    if (v.blnPlaceMarkers == kTrue) {
        o1 = o2 = ToInt32(ctx.model.lngViewSamples / 2.0);
        v.blnPlaceMarkers = kFalse;
    }
    const std::int32_t lastOffset = CheckedAdd(frame.E, -v.lngFirstSample);
    v.varMarker1X = static_cast<float>(o1 == lastOffset ? width - 1 : Px(PointX(frame, width, o1 + 1.0, fs)));
    v.lngMarker2X = o2 == lastOffset ? Px(width - 1) : Px(PointX(frame, width, o2 + 1.0, fs));
    v.varMarker1Sample = CheckedAdd(o1, firstSample);
    v.lngMarker2Sample = CheckedAdd(o2, firstSample);
}

void DrawTracePoints(Canvas& canvas, const std::vector<QPoint>& points)
{
    auto from = points.begin();
    while (from != points.end()) {
        const auto to = std::find(from, points.end(), kTraceBreak);
        if (to != from) canvas.Polyline(&*from, static_cast<int>(to - from));
        from = to == points.end() ? to : to + 1;
    }
}

QString ValueLine(const RecordingModel& m, long i, std::int32_t sample)
{
    const double value = m.arrAnalogSamples(i, sample);
    const QString name = Q(m.arrAnalogNames(i)) + " = ";
    if (std::isnan(value)) return name + "missing";
    return name + Q(GeneralNumber(value)) + " " + Q(m.arrAnalogUnits(i));
}

namespace {

/// Trace points collected with the breaks of gaps: never two breaks in a row nor one first.
class TracePoints {
public:
    TracePoints(const ValueToY& toY, std::size_t reserve) : toY_(toY) { points_.reserve(reserve); }
    void Add(int x, double value)
    {
        if (std::isnan(value)) {
            Break();
            return;
        }
        points_.emplace_back(x, Reach(toY_(value)));
    }
    /// A point of a value known not to be a gap.
    void AddValue(int x, double value) { points_.emplace_back(x, Reach(toY_(value))); }
    void Break()
    {
        if (!points_.empty() && points_.back() != kTraceBreak) points_.push_back(kTraceBreak);
    }
    std::vector<QPoint> Take()
    {
        if (!points_.empty() && points_.back() == kTraceBreak) points_.pop_back();
        return std::move(points_);
    }

private:
    const ValueToY& toY_;
    std::vector<QPoint> points_;
};

}  // namespace

std::vector<QPoint> FullTracePoints(const RenderContext& ctx, long i, const Frame& frame, double width,
                                    double height)
{
    const RecordingModel& m = ctx.model;
    const std::int32_t s0 = ctx.view.lngFirstSample;
    const ValueToY toY(height, m.arrChannelScale(i));
    TracePoints points(toY, static_cast<std::size_t>(std::max(0, frame.E - s0) + 1));
    points.Add(1, m.arrAnalogSamples(i, s0));
    for (std::int32_t n = s0 + 1; n <= frame.E; ++n) {
        const double p = static_cast<double>(n - s0) + 1;
        points.Add(PointPixel(frame, width, p, m.lngSampleRate), m.arrAnalogSamples(i, n));
    }
    return points.Take();
}

std::vector<QPoint> ReducedTracePoints(const RenderContext& ctx, long i, const Frame& frame, double width,
                                       double height)
{
    const RecordingModel& m = ctx.model;
    const std::int32_t s0 = ctx.view.lngFirstSample;
    const ValueToY toY(height, m.arrChannelScale(i));
    TraceColumns own;
    const TraceColumns* table = &own;
    if (ctx.columns != nullptr) {
        table = &ctx.columns->For(ctx, frame, width, i);
    } else {
        if (ctx.pyramid == nullptr) throw ProgramError::SubscriptOutOfRange();
        own.Compute(m, *ctx.pyramid, frame, s0, width, i, i);
    }
    const auto& columns = table->Columns();
    const ColumnValues* values = table->Values(i);

    TracePoints points(toY, 4 * columns.size() + 1);
    // One stretch of values inside a column, as the four points that cover the same pixels.
    auto stretch = [&](int c, double first, double lo, double hi, double last, bool single) {
        points.AddValue(c, first);
        if (single) return;
        // In one column these cover the same pixels as every sample would, in any order.
        points.AddValue(c, lo);
        points.AddValue(c, hi);
        points.AddValue(c, last);
    };
    points.Add(1, m.arrAnalogSamples(i, s0));
    for (std::size_t j = 0; j < columns.size(); ++j) {
        const int c = columns[j].x;
        const ColumnValues& v = values[j];
        if (!v.gap) {
            stretch(c, v.first, v.lo, v.hi, v.last, columns[j].to == columns[j].from);
            continue;
        }
        if (v.lo > v.hi) {  // nothing but gaps
            points.Break();
            continue;
        }
        // Values and gaps mixed: every stretch between the gaps on its own. Blocks of the pyramid
        // of values only or of gaps only are taken whole; the others are read sample by sample.
        double first = 0, lo = 0, hi = 0, last = 0;
        long count = 0;
        auto gapUntil = [&](std::int32_t next) {
            if (count > 0) stretch(c, first, lo, hi, last, count == 1);
            count = 0;
            points.Break();
            return next;
        };
        const std::int32_t to = s0 + columns[j].to;
        for (std::int32_t n = s0 + columns[j].from; n <= to;) {
            double blockLo = 0, blockHi = 0;
            constexpr std::int32_t kBlock = 1 << MinMaxPyramid::kBaseShift;
            const bool atBlock = (n - 1) % kBlock == 0;  // where one starts, there may be a whole one
            const auto whole =
                atBlock ? static_cast<std::int32_t>(ctx.pyramid->UniformBlock(i, n, to, blockLo, blockHi)) : 0;
            if (whole > 0 && blockLo > blockHi) {
                n = gapUntil(n + whole);
                continue;
            }
            if (whole > 0) {
                if (count == 0) first = lo = hi = m.arrAnalogSamples(i, n);
                count += whole;
                lo = std::min(lo, blockLo);
                hi = std::max(hi, blockHi);
                n += whole;
                last = m.arrAnalogSamples(i, n - 1);
                continue;
            }
            const double x = m.arrAnalogSamples(i, n++);
            if (std::isnan(x)) {
                gapUntil(n);
                continue;
            }
            if (count++ == 0) first = lo = hi = x;
            lo = std::min(lo, x);
            hi = std::max(hi, x);
            last = x;
        }
        if (count > 0) stretch(c, first, lo, hi, last, count == 1);
    }
    return points.Take();
}

void DrawAnalogTrace(Canvas& canvas, const RenderContext& ctx, long i, Frame& frame)
{
    const RecordingModel& m = ctx.model;
    DrawingState& d = ctx.drawing;
    d.varPlotPoint = 2;
    d.lngTriggerPlotPoint = 0;
    if (ctx.view.blnRedrawSignals != kTrue) return;
    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    const std::int32_t s0 = ctx.view.lngFirstSample;

    canvas.SetAutoRedraw(true);
    canvas.SetPen(Qt::SolidLine, 1, kRed);
    const double start = m.arrAnalogSamples(i, s0);
    if (!std::isnan(start)) canvas.MoveTo(0, Reach(ValueY(start, H, m.arrChannelScale(i))));
    if (frame.E > m.lngLastSample) frame.E = m.lngLastSample;
    const std::vector<QPoint> points =
        ctx.pyramid != nullptr ? ReducedTracePoints(ctx, i, frame, W, H) : FullTracePoints(ctx, i, frame, W, H);
    DrawTracePoints(canvas, points);
    if (frame.E > s0) {
        d.varPlotSample = frame.E;
        d.varPlotPoint = frame.E - s0 + 2;
    }

    const std::int32_t p = TriggerPlotPoint(m, s0, frame.E);
    d.lngTriggerPlotPoint = p;
    if (p > 0) {
        const QString value = ValueLine(m, i, m.lngTriggerSample);
        DrawTriggerAnnotation(canvas, ctx, frame, p, &value);
    }
    canvas.SetAutoRedraw(false);
}

double MarkerTime(std::int32_t sample, std::int32_t sampleRate, double D)
{
    const double t = (static_cast<double>(sample) - 1) / sampleRate;
    const double shown = ShownMarkerTime(sample, sampleRate, D);
    if (shown != t) return shown;  // limited to the record: kept as it is
    return ParseNumber(FormatPattern(t, "0.000000")).value_or(t);
}

void DrawAnalogMarkers(Canvas& canvas, const RenderContext& ctx, long i, const Frame& frame)
{
    const RecordingModel& m = ctx.model;
    const ViewState& v = ctx.view;
    canvas.SetAutoRedraw(false);
    canvas.Cls();
    canvas.SetForeColor(kBlue);
    const std::int32_t s0 = v.lngFirstSample;
    const double x1 = v.varMarker1X;
    const double x2 = v.lngMarker2X;
    auto valueLine = [&](std::int32_t M) { return ValueLine(m, i, M); };
    if (s0 <= v.varMarker1Sample && v.varMarker1Sample <= frame.E) {
        const QString value = valueLine(v.varMarker1Sample);
        ctx.drawing.varMarker1Time = MarkerTime(v.varMarker1Sample, m.lngSampleRate, frame.D);
        DrawOneMarker(canvas, x1, x2, x2 >= x1, "M1", v.varMarker1Sample,
                      ShownMarkerTime(v.varMarker1Sample, m.lngSampleRate, frame.D), &value);
    }
    if (s0 <= v.lngMarker2Sample && v.lngMarker2Sample <= frame.E) {
        const QString value = valueLine(v.lngMarker2Sample);
        ctx.drawing.dblMarker2Time = MarkerTime(v.lngMarker2Sample, m.lngSampleRate, frame.D);
        DrawOneMarker(canvas, x2, x1, x1 > x2, "M2", v.lngMarker2Sample,
                      ShownMarkerTime(v.lngMarker2Sample, m.lngSampleRate, frame.D), &value);
    }
    canvas.SetForeColor(kBlack);
    canvas.SetAutoRedraw(true);
}

void DrawDigitalWindow(Canvas& canvas, const RenderContext& ctx, Frame& frame, bool withMarkers,
                       std::int32_t scrollFirstSample)
{
    const RecordingModel& m = ctx.model;
    ViewState& v = ctx.view;
    DrawingState& d = ctx.drawing;
    const long nD = m.DigitalCount();
    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    const std::int16_t c = m.arrDigitalSelection(nD + 1);
    if (c == 0) throw ProgramError::DivisionByZero();
    const double R = H / c;
    const bool redraw = v.blnRedrawSignals == kTrue;
    const std::int32_t s0 = v.lngFirstSample;
    const std::int32_t fs = m.lngSampleRate;
    auto shown = [&](long k) { return m.arrDigitalSelection(k) == 1 || m.arrDigitalSelection(0) == 1; };
    auto level = [&](long r, double b) { return r * R - 2 - b * (R - 2); };
    const double h = canvas.TextHeight("1");

    if (redraw) {
        canvas.SetAutoRedraw(true);
        canvas.Cls();
        canvas.SetDrawStyle(Qt::DotLine);
        canvas.SetForeColor(kRed);
        long r = 1;
        for (long k = 1; k <= nD; ++k) {
            if (!shown(k)) continue;
            canvas.Line(0, (r - 1) * R, W, (r - 1) * R, kGreen);
            if ((c + 1) * h < H) {
                canvas.CurrentX = 2;
                canvas.CurrentY = r * R - 1 - h;
                canvas.Print(QString::number(k) + ":", false);
            }
            ++r;
        }
        canvas.SetDrawStyle(Qt::SolidLine);
        canvas.SetForeColor(kGreen);
        const double x0 = canvas.TextWidth("00") + 2;
        canvas.CurrentX = x0;
        canvas.CurrentY = 1;
        canvas.Print("High");
        canvas.CurrentX = x0;
        canvas.CurrentY = R - 1 - h;
        canvas.Print("Low");
        canvas.SetForeColor(kBlack);
    }

    std::int32_t triggerPoint = 0;  // the same for every row: the view is
    std::vector<QPointF> path;
    long r = 1;
    for (long k = 1; k <= nD; ++k) {
        if (!shown(k)) continue;
        auto state = [&](std::int32_t n) { return static_cast<double>(m.arrDigitalSamples(k, n)); };
        if (redraw) {
            canvas.SetAutoRedraw(true);
            const double b2 = state(s0);
            const double b1 = state(s0 < 2 ? s0 : s0 - 1);
            canvas.Line(1, level(r, b1), 1, level(r, b2), kRed);
        }
        d.varPlotPoint = 2;
        if (withMarkers && v.blnMarkersOn == kTrue) PlaceMarkers(ctx, frame, W, scrollFirstSample);
        d.lngTriggerPlotPoint = 0;
        if (frame.E > m.lngLastSample) frame.E = m.lngLastSample;
        const std::int32_t E = frame.E;
        if (redraw) {
            auto x = [&](std::int32_t n) { return PointX(frame, W, static_cast<double>(n - s0) + 1, fs); };
            // The step line is one path from the start stroke: a run up to each change and its edge.
            path.clear();
            auto step = [&](std::int32_t n, double before, double after) {
                path.emplace_back(x(n), level(r, before));
                path.emplace_back(x(n), level(r, after));
            };
            if (ctx.edges != nullptr && !ctx.edges->empty()) {
                const auto& changes = ctx.edges->Changes(k);
                const auto& states = ctx.edges->States(k);
                // Nothing changes between s0 and the first change in view.
                double before = state(s0);
                for (auto j = static_cast<std::size_t>(std::upper_bound(changes.begin(), changes.end(), s0) -
                                                       changes.begin());
                     j < changes.size() && changes[j] < E; ++j) {
                    step(changes[j], before, states[j]);
                    before = states[j];
                }
            } else {
                for (std::int32_t n = s0 + 1; n < E; ++n)
                    if (state(n) != state(n - 1)) step(n, state(n - 1), state(n));
            }
            if (E > s0) {
                const double xe = x(E) < W ? x(E) : W - 1;
                path.emplace_back(xe, level(r, state(E - 1)));
                path.emplace_back(xe, level(r, state(E)));
                d.varPlotSample = E;
                d.varPlotPoint = E - s0 + 2;
            }
            canvas.LinesFromCurrent(path.data(), static_cast<int>(path.size()), kRed);
            d.lngTriggerPlotPoint = TriggerPlotPoint(m, s0, E);
            triggerPoint = d.lngTriggerPlotPoint;
        }
        ++r;
    }
    // Every row would put the trigger line and its texts on the same pixels; once, over all rows, is the same picture.
    if (redraw && triggerPoint > 0) {
        DrawTriggerAnnotation(canvas, ctx, frame, triggerPoint, nullptr);
        canvas.SetDrawStyle(Qt::SolidLine);
    }
}

void DrawDigitalMarkers(Canvas& canvas, const RenderContext& ctx, const Frame& frame)
{
    const RecordingModel& m = ctx.model;
    const ViewState& v = ctx.view;
    canvas.SetAutoRedraw(false);
    canvas.Cls();
    canvas.SetForeColor(kBlue);
    const double x1 = v.varMarker1X;
    const double x2 = v.lngMarker2X;
    if (v.lngFirstSample <= v.varMarker1Sample && v.varMarker1Sample <= frame.E) {
        ctx.drawing.varMarker1Time = MarkerTime(v.varMarker1Sample, m.lngSampleRate, frame.D);
        DrawOneMarker(canvas, x1, x2, x2 >= x1, "M1", v.varMarker1Sample,
                      ShownMarkerTime(v.varMarker1Sample, m.lngSampleRate, frame.D), nullptr);
    }
    if (v.lngFirstSample <= v.lngMarker2Sample && v.lngMarker2Sample <= frame.E) {
        ctx.drawing.dblMarker2Time = MarkerTime(v.lngMarker2Sample, m.lngSampleRate, frame.D);
        DrawOneMarker(canvas, x2, x1, x1 > x2, "M2", v.lngMarker2Sample,
                      ShownMarkerTime(v.lngMarker2Sample, m.lngSampleRate, frame.D), nullptr);
    }
    canvas.SetForeColor(kBlack);
}

ReadOuts ComputeReadOuts(const RenderContext& ctx, const Frame& frame)
{
    const RecordingModel& m = ctx.model;
    DrawingState& d = ctx.drawing;
    d.varMarker1Time = MarkerTime(ctx.view.varMarker1Sample, m.lngSampleRate, frame.D);
    d.dblMarker2Time = MarkerTime(ctx.view.lngMarker2Sample, m.lngSampleRate, frame.D);
    const double dt = std::fabs(d.dblMarker2Time - d.varMarker1Time);
    ReadOuts r;
    r.deltaT = "t :  " + Q(FormatPattern(dt, "##0.000000")) + " s";
    r.inverse = dt > 0 ? "t :  " + Q(FormatPattern(1 / dt, "####0.0000")) + " 1/s" : QString("t :  --infinite-- 1/s");
    return r;
}


std::optional<ReadOuts> RenderChannelWindows(const RenderContext& ctx, const std::vector<ChannelCanvas>& windows,
                                             double activeWidth, bool mark1Active, std::int32_t scrollFirstSample)
{
    const RecordingModel& m = ctx.model;
    ViewState& v = ctx.view;
    const long nA = m.AnalogCount();
    auto window = [&](long i) -> const ChannelCanvas& {
        if (i < 1 || i > static_cast<long>(windows.size()) || windows[static_cast<std::size_t>(i - 1)].canvas == nullptr)
            throw ProgramError::SubscriptOutOfRange();
        return windows[static_cast<std::size_t>(i - 1)];
    };
    Frame frame = ComputeFrame(m, v);
    window(nA > 0 ? 1 : nA + 1);  // without its first window there is nothing to draw into

    if (v.blnMarkersOn == kTrue && v.blnScrolling != kTrue && v.blnMarkerMoving == kTrue) {
        if (activeWidth < 0) throw ProgramError::SubscriptOutOfRange();
        MarkerFollowUp(ctx, frame, activeWidth, mark1Active);
    }

    const bool markers = v.blnMarkersOn == kTrue;
    for (long i = 1; i <= nA; ++i) {
        const ChannelCanvas& w = window(i);
        if (w.minimized) continue;
        ctx.drawing.frmPlot = i;
        Canvas& canvas = *w.canvas;
        DrawGrid(canvas, ctx, i);
        if (m.arrChannelScale(i) == 0) throw ProgramError::DivisionByZero();
        if (markers) PlaceMarkers(ctx, frame, canvas.ScaleWidth(), v.lngFirstSample);
        DrawAnalogTrace(canvas, ctx, i, frame);
        if (markers && v.blnRedrawMarkers == kTrue) DrawAnalogMarkers(canvas, ctx, i, frame);
    }

    if (m.intDigitalCount > 0 && static_cast<long>(windows.size()) > nA) {
        const ChannelCanvas& w = windows[static_cast<std::size_t>(nA)];
        if (w.canvas != nullptr && m.arrDigitalSelection(m.intDigitalCount + 1) >= 1 && !w.minimized) {
            ctx.drawing.frmPlot = nA + 1;
            DrawDigitalWindow(*w.canvas, ctx, frame, true, scrollFirstSample);
            w.canvas->SetAutoRedraw(false);
            if (markers && v.blnRedrawMarkers == kTrue) DrawDigitalMarkers(*w.canvas, ctx, frame);
        }
    }

    if (!markers) return std::nullopt;
    return ComputeReadOuts(ctx, frame);
}

float MarkerOffsetX(float x)
{
    if (x >= 7) return x + 7;
    return static_cast<float>(x + x * 7.0 / 6.0);
}

void DrawZoomRectangle(Canvas& canvas, ViewState& v, const RecordingModel& m, float x, float y,
                       const std::function<bool(double)>& inList)
{
    // The last rectangle and read-out go; the grid and trace underneath stay.
    canvas.SetAutoRedraw(false);
    canvas.ClearOverlay();
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
    canvas.SetDrawStyle(Qt::DotLine);

    const double W = canvas.ScaleWidth();
    const double H = canvas.ScaleHeight();
    const double viewSamples = m.lngViewSamples;
    const double start = v.varZoomStartX;
    const double samples = std::fabs(static_cast<double>(x) - start) / W * viewSamples;
    if (samples > 0) canvas.Box(start, -10, x, H, kBlack);

    if (m.lngLastSample == 0) throw ProgramError::DivisionByZero();
    const double previous = v.varZoomPercent;
    // Below 1 % the list has finer items than whole percentages: the span snaps to the nearest of them.
    const double percent = ZoomRectanglePercent(samples / m.lngLastSample * 100);
    const bool listed = inList(percent);
    v.varZoomPercent = listed ? percent : previous;
    v.lngZoomLeftSample = std::max(0, ToInt32(std::min(start, static_cast<double>(x)) / W * viewSamples));

    const QString text = "Zoom: " + Q(GeneralNumber(v.varZoomPercent)) + " %";
    const double w = canvas.TextWidth(text);
    const double left = x + 2 + w > W ? x - 2 - w : x + 2;
    canvas.SetForeColor(kBlack);
    canvas.CurrentX = left;
    canvas.CurrentY = y - 20;
    if (v.varZoomPercent > 0) canvas.Print(text);
    // Beneath it, the percentage the rectangle spans now, listed or not.
    canvas.CurrentX = left;
    canvas.Print(", " + Q(GeneralNumber(percent)));
    canvas.SetDrawStyle(Qt::SolidLine);
}

}  // namespace sevrana
