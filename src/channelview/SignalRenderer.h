#pragma once
// Drawing the channel windows from the recording model and the view state:
// grid and value labels, analog traces, the trigger line and its annotation,
// the marker overlay, the digital rows, and the marker read-outs. Plain code
// over a Canvas, so the screen, tests and printing share one drawing path.

#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "Canvas.h"
#include "DigitalEdges.h"
#include "DrawingState.h"
#include "MinMaxPyramid.h"
#include "NumberUtils.h"
#include "RecordingModel.h"
#include "ViewState.h"

namespace sevrana {

class TraceColumnCache;

/// The fixed colours of traces, grid, trigger and markers, on screen and on paper.
namespace colours {
inline const QColor kGreen(0, 128, 0);       // grid, ticks, value labels
inline const QColor kRed(255, 0, 0);         // traces
inline const QColor kBlack(0, 0, 0);         // texts
inline const QColor kBlue(0, 0, 255);        // markers
inline const QColor kTriggerGrey(64, 64, 64);  // trigger line
inline const QColor kNameRed(192, 0, 0);     // channel name
}  // namespace colours

struct RenderContext {
    const RecordingModel& model;
    ViewState& view;
    DrawingState& drawing;
    const MinMaxPyramid* pyramid = nullptr;  // null: draw every sample (the reference path)
    const DigitalEdges* edges = nullptr;     // null: walk every digital sample
    bool titlesOn = false;                   // the channel windows show title bars
    TraceColumnCache* columns = nullptr;     // shared per-column table; null: one channel's own
};

/// Quantities fixed for one redraw: zoom factor, last sample in view, record length.
struct Frame {
    double Z = 0;        // N / S
    std::int32_t E = 0;  // s0 + S; limited to N once a trace is built
    double D = 0;        // N / fs, seconds
};

/// Z, E and D of the current view; throws ProgramError (division by zero, overflow).
Frame ComputeFrame(const RecordingModel& model, const ViewState& view);

/// x of trace point p (p = 1 is the first sample in view) before rounding.
double PointX(const Frame& f, double width, double p, std::int32_t sampleRate);
/// The whole pixel a trace point lands on (PointX rounded): the full polyline and the
/// per-column reduction must agree on it exactly.
int PointPixel(const Frame& f, double width, double p, std::int32_t sampleRate);

/// y of values in a window of the given height and scale, rounded; throws Overflow beyond 32 bits.
class ValueToY {
public:
    ValueToY(double height, double scale);  // throws DivisionByZero for a zero scale
    std::int32_t operator()(double value) const { return ToInt32(half_ + K_ * (-value) / 2); }

private:
    double half_;
    double K_;
};
std::int32_t ValueY(double value, double height, double scale);

/// Grid, value labels, zero line, time ticks and (without title bars) the channel name.
void DrawGrid(Canvas& canvas, const RenderContext& ctx, long index);

/// Recomputes both markers' x positions (and places them when asked) for a window of this width.
void PlaceMarkers(const RenderContext& ctx, Frame& frame, double width, std::int32_t firstSample);

/// Trace and trigger annotation of analog channel i into the persistent image;
/// leaves the canvas in overlay drawing. Only when the signals are to be redrawn.
void DrawAnalogTrace(Canvas& canvas, const RenderContext& ctx, long i, Frame& frame);

/// Where a trace's points break: a missing sample (a gap) ends one polyline and the next
/// value starts another. A point alone between two breaks is drawn as one pixel.
inline constexpr QPoint kTraceBreak(std::numeric_limits<int>::min(), std::numeric_limits<int>::min());

/// Each stretch of points between breaks as a polyline of its own.
void DrawTracePoints(Canvas& canvas, const std::vector<QPoint>& points);

/// "name = value unit" of analog channel i at a sample, as the trigger and marker texts show
/// it; "name = missing" where the sample is a gap.
QString ValueLine(const RecordingModel& model, long i, std::int32_t sample);

/// The trace's points as the plain full polyline would have them (reference path,
/// also used by tests and benchmarks), with kTraceBreak for every stretch of gaps.
std::vector<QPoint> FullTracePoints(const RenderContext& ctx, long i, const Frame& frame, double width,
                                    double height);
/// The reduced points: per pixel column the first, lowest, highest and last sample; a column
/// with a gap has them for every stretch of values between its gaps.
std::vector<QPoint> ReducedTracePoints(const RenderContext& ctx, long i, const Frame& frame, double width,
                                       double height);

/// Marker lines and their four text lines in the overlay of analog channel i.
void DrawAnalogMarkers(Canvas& canvas, const RenderContext& ctx, long i, const Frame& frame);

/// Rows, legend, step traces, trigger line of the digital channels window.
/// withMarkers: the main renderer also recomputes the markers from the scroll position.
void DrawDigitalWindow(Canvas& canvas, const RenderContext& ctx, Frame& frame, bool withMarkers,
                       std::int32_t scrollFirstSample);
/// Marker overlay of the digital channels window.
void DrawDigitalMarkers(Canvas& canvas, const RenderContext& ctx, const Frame& frame);

/// While a marker is being moved: the active marker's sample from its x position
/// (unless an arrow key moved it), then both markers kept within the record.
void MarkerFollowUp(const RenderContext& ctx, const Frame& frame, double activeWidth, bool mark1Active);

/// Where a marker text of width w starts beside its line at X (the other marker at Xo):
/// right of it at X + gap, or left at X - gap - w where it would reach the other marker
/// (name and sample lines, isLeft: this marker is the left one) or pass the right edge W.
double MarkerLabelX(double X, double Xo, bool isLeft, double w, double W, bool nameLine, double gap);

/// "t = 0.100000 s": a time in seconds as the trigger and marker texts show it.
QString TimeText(double seconds);

/// Time of a marker sample as shown: (sample - 1) / fs, limited to 0..D.
double ShownMarkerTime(std::int32_t sample, std::int32_t sampleRate, double D);

/// The trigger's plot point after a trace loop over samples s0 + 1..E, with the cases of
/// the trigger at the first sample and just past the last one; 0 when it is not in view.
std::int32_t TriggerPlotPoint(const RecordingModel& model, std::int32_t s0, std::int32_t E);

/// Marker time of a sample: limited to 0..D, else rounded to six decimals; text is the shown value.
double MarkerTime(std::int32_t sample, std::int32_t sampleRate, double D);

/// The two read-out texts ("t :  0.001000 s", "t :  1000.0000 1/s" or "--infinite--").
struct ReadOuts {
    QString deltaT;
    QString inverse;
};
ReadOuts ComputeReadOuts(const RenderContext& ctx, const Frame& frame);

/// One channel window as the main renderer sees it; canvas is null when the window is missing.
struct ChannelCanvas {
    Canvas* canvas = nullptr;
    bool minimized = false;
};

/// The main renderer's work on every channel window, in index order (windows[i - 1] is
/// window i): the marker follow-up of a move, then per analog window the grid, the trace
/// with its trigger annotation and the markers, then the digital window. Returns the two
/// read-outs when the markers are on. activeWidth is the active window's width (for a
/// marker moved by the mouse; negative when there is no active window). Throws
/// ProgramError or std::bad_alloc; windows drawn before a failure keep their new picture.
std::optional<ReadOuts> RenderChannelWindows(const RenderContext& ctx, const std::vector<ChannelCanvas>& windows,
                                             double activeWidth, bool mark1Active, std::int32_t scrollFirstSample);

/// Where the mouse puts a marker: a little right of the pointer, so that the marker line
/// stands under the cursor's own line (x + 7), proportionally less near the left edge.
float MarkerOffsetX(float x);

/// One mouse move while a zoom rectangle is dragged (markers off): the overlay shows the
/// dotted rectangle from the start x to x and the "Zoom: N %" read-out beside the pointer;
/// the zoom fields of the view follow (a percentage is taken only when inList says it is
/// an item of the zoom list).
void DrawZoomRectangle(Canvas& canvas, ViewState& view, const RecordingModel& model, float x, float y,
                       const std::function<bool(double)>& inList);

}  // namespace sevrana
