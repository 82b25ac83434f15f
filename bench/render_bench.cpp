// Full redraw of a screenful of channel windows: 16 analog windows and the
// digital window of 32 channels, each 1200 x 150 pixels, for growing numbers
// of samples in view. Reduced: per pixel column from the min/max pyramid;
// FullPolyline: one point per sample, for comparison. Then what the mouse does
// many times a second: a marker dragged over all windows (with and without the
// measurements window following it), and a zoom rectangle. Last, one key typed into the
// channel selection dialog's filter over 600 channels.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <cmath>
#include <memory>
#include <random>

#include "ChannelSetup.h"
#include "MDIForm1.h"
#include "Measurements.h"
#include "Platform.h"
#include "SelctSign.h"
#include "SignalRenderer.h"
#include "TimeNavigation.h"
#include "TraceColumns.h"

namespace {

using namespace sevrana;

constexpr long kAnalog = 16;
constexpr long kDigital = 32;
constexpr std::int32_t kSamples = 10000001;  // 10,000,000 sample intervals in the widest view

/// One recording shared by every benchmark: building it takes longer than the redraws.
struct Fixture {
    RecordingModel model;
    ViewState view;
    DrawingState drawing;
    MinMaxPyramid pyramid;
    DigitalEdges edges;
    TraceColumnCache columns;
    std::vector<std::unique_ptr<Canvas>> windows;

    Fixture()
    {
        model.varAnalogChannels = kAnalog;
        model.intDigitalCount = kDigital;
        model.intHasDigital = 1;
        model.lngLastSample = kSamples;
        model.lngSampleRate = 10000;
        model.intLineFrequency = 50;
        model.lngTriggerSample = kSamples / 2;
        model.varTriggerTime = 500;
        model.arrAnalogSamples.Redim(kAnalog, kSamples + 1);
        model.arrDigitalSamples.Redim(kDigital, kSamples + 1);
        model.arrChannelScale.Redim(1, kAnalog);
        model.arrAnalogNames.Redim(1, kAnalog);
        model.arrAnalogUnits.Redim(1, kAnalog);
        model.arrAnalogPhases.Redim(1, kAnalog);
        model.arrAnalogCircuits.Redim(1, kAnalog);
        model.arrDigitalSelection.Redim(0, kDigital + 1);
        model.arrDigitalSelection(0) = 1;
        model.arrDigitalSelection(kDigital + 1) = kDigital;
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 2);
        for (long i = 1; i <= kAnalog; ++i) {
            model.arrChannelScale(i) = 120;
            model.arrAnalogNames(i) = "I" + std::to_string(i);
            model.arrAnalogUnits(i) = "A";
            model.arrAnalogPhases(i) = std::string(1, static_cast<char>('A' + (i - 1) % 3));
            model.arrAnalogCircuits(i) = "F" + std::to_string((i - 1) / 3);
        }
        for (std::int32_t n = 1; n <= kSamples; ++n) {
            double* column = model.arrAnalogSamples.Column(n);
            const double phase = 2 * M_PI * 50 * n / 10000.0;
            for (long i = 0; i < kAnalog; ++i) column[i] = 100 * std::sin(phase + i) + noise(rng);
            std::int16_t* digital = model.arrDigitalSamples.Column(n);
            for (long k = 0; k < kDigital; ++k) digital[k] = static_cast<std::int16_t>((n / (5000 + 371 * k)) & 1);
        }
        pyramid.Build(model);
        edges.Build(model);
        for (long i = 0; i <= kAnalog; ++i) windows.push_back(std::make_unique<Canvas>(1200, 150));
    }

    enum Parts { kGrids = 1, kTraces = 2, kDigital = 4, kAll = 7 };

    RenderContext Context(bool reduced = true)
    {
        return RenderContext{model,  view, drawing, reduced ? &pyramid : nullptr, reduced ? &edges : nullptr,
                             false, reduced ? &columns : nullptr};
    }

    std::vector<ChannelCanvas> Canvases()
    {
        std::vector<ChannelCanvas> list;
        for (auto& w : windows) list.push_back({w.get(), false});
        return list;
    }

    void Redraw(std::int32_t inView, bool reduced, int parts = kAll)
    {
        // Zoomed around the fault, as an engineer looks at it: the trigger line and its
        // annotation are in view at every size, so the sizes differ only in samples.
        model.lngViewSamples = inView;
        view.lngFirstSample = std::max<std::int32_t>(1, model.lngTriggerSample - inView / 2);
        view.blnRedrawSignals = kTrue;
        view.blnRedrawMarkers = kTrue;
        // Every redraw is of a new view (scrolled or zoomed): nothing is reused from the last one.
        columns.Clear();
        RenderContext ctx = Context(reduced);
        if (parts == kAll) {
            // The main renderer's own loop over the windows, as the viewer runs it.
            RenderChannelWindows(ctx, Canvases(), 1200, true, view.lngFirstSample);
            return;
        }
        Frame frame = ComputeFrame(model, view);
        for (long i = 1; i <= kAnalog; ++i) {
            Canvas& c = *windows[static_cast<std::size_t>(i - 1)];
            if (parts & kGrids) DrawGrid(c, ctx, i);
            if (parts & kTraces) DrawAnalogTrace(c, ctx, i, frame);
        }
        if (parts & kDigital) DrawDigitalWindow(*windows.back(), ctx, frame, false, 1);
    }
};

Fixture& Shared()
{
    static Fixture fixture;  // built once per benchmark run
    return fixture;
}

void BM_FullRedraw(benchmark::State& state)
{
    Fixture& f = Shared();
    const auto inView = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) f.Redraw(inView, true);
    state.counters["samples_in_view"] = static_cast<double>(inView);
}
BENCHMARK(BM_FullRedraw)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

/// One part of the full redraw at a time: what each costs and how it grows with the samples in view.
void BM_RedrawPart(benchmark::State& state)
{
    Fixture& f = Shared();
    const auto inView = static_cast<std::int32_t>(state.range(0));
    const auto part = static_cast<int>(state.range(1));
    for (auto _ : state) f.Redraw(inView, true, part);
    state.SetLabel(part == Fixture::kGrids ? "grids" : part == Fixture::kTraces ? "analog traces" : "digital window");
}
BENCHMARK(BM_RedrawPart)
    ->ArgsProduct({{10000, 10000000}, {Fixture::kGrids, Fixture::kTraces, Fixture::kDigital}})
    ->Unit(benchmark::kMillisecond);

/// The full redraw of a recording whose recorder dropped 1,000 samples of every channel in
/// every 100,000: the columns holding a gap's edges are drawn from their samples.
void BM_FullRedrawWithGaps(benchmark::State& state)
{
    Fixture& f = Shared();
    const auto inView = static_cast<std::int32_t>(state.range(0));
    constexpr std::int32_t kEvery = 100000, kDropped = 1000;
    std::vector<double> kept;  // the shared recording gets its samples back afterwards
    auto each = [&](const auto& action) {
        for (std::int32_t n = kEvery / 2; n + kDropped <= kSamples; n += kEvery)
            for (std::int32_t k = n; k < n + kDropped; ++k)
                for (long i = 1; i <= kAnalog; ++i) action(f.model.arrAnalogSamples(i, k));
    };
    each([&](double& v) {
        kept.push_back(v);
        v = std::nan("");
    });
    f.pyramid.Build(f.model);
    for (auto _ : state) f.Redraw(inView, true);
    std::size_t at = 0;
    each([&](double& v) { v = kept[at++]; });
    f.pyramid.Build(f.model);
    state.counters["samples_in_view"] = static_cast<double>(inView);
}
BENCHMARK(BM_FullRedrawWithGaps)->Arg(10000)->Arg(10000000)->Unit(benchmark::kMillisecond);

/// The per-column table alone: column edges, first and last samples, pyramid ranges of all channels.
void BM_TraceColumns(benchmark::State& state)
{
    Fixture& f = Shared();
    f.model.lngViewSamples = static_cast<std::int32_t>(state.range(0));
    f.view.lngFirstSample = std::max<std::int32_t>(1, f.model.lngTriggerSample - f.model.lngViewSamples / 2);
    Frame frame = ComputeFrame(f.model, f.view);
    frame.E = std::min(frame.E, f.model.lngLastSample);
    TraceColumns table;
    for (auto _ : state) {
        table.Compute(f.model, f.pyramid, frame, f.view.lngFirstSample, 1200, 1, kAnalog);
        benchmark::DoNotOptimize(table.Values(1));
    }
}
BENCHMARK(BM_TraceColumns)->Arg(10000)->Arg(10000000)->Unit(benchmark::kMillisecond);

/// The measurements window's share of a marker move: it measures every analog channel at
/// both markers, writes the tables' texts and repaints what changed.
void FollowMarkers(Measurements& window, const ViewState& view)
{
    window.Follow(view, 1);
    window.Channels->viewport()->repaint();
    window.Groups->viewport()->repaint();
    window.Diagram->repaint();
}

/// One step of a marker dragged with the mouse: only the overlays of all windows and the read-outs;
/// with the measurements window open (second argument 1) it follows every step.
void BM_MarkerMove(benchmark::State& state)
{
    Fixture& f = Shared();
    const auto inView = static_cast<std::int32_t>(state.range(0));
    QtPlatform platform;
    std::unique_ptr<Measurements> window;
    if (state.range(1) == 1) {
        window = std::make_unique<Measurements>(f.model, platform, nullptr);
        window->Reset();
        window->show();
    }
    f.view.blnMarkersOn = kFalse;
    f.Redraw(inView, true);  // the traces the markers are drawn over
    f.view.blnMarkersOn = kTrue;
    f.view.blnPlaceMarkers = kTrue;
    f.view.blnRedrawSignals = kFalse;
    f.view.blnRedrawMarkers = kTrue;
    f.view.blnDataLoaded = kTrue;
    RenderContext ctx = f.Context();
    const std::vector<ChannelCanvas> canvases = f.Canvases();
    RenderChannelWindows(ctx, canvases, 1200, true, f.view.lngFirstSample);
    float x = 300;
    for (auto _ : state) {
        x = x == 300 ? 700 : 300;  // far enough that the marker's texts move too
        f.view.varMarker1X = x;
        f.view.blnMarkerMoving = kTrue;
        const auto readOuts = RenderChannelWindows(ctx, canvases, 1200, true, f.view.lngFirstSample);
        f.view.blnMarkerMoving = kFalse;
        if (window) FollowMarkers(*window, f.view);
        benchmark::DoNotOptimize(readOuts);
    }
    f.view.blnMarkersOn = kFalse;
    f.view.blnDataLoaded = kFalse;
    state.counters["samples_in_view"] = static_cast<double>(inView);
    state.SetLabel(window ? "measurements window open" : "");
}
BENCHMARK(BM_MarkerMove)->ArgsProduct({{10000, 10000000}, {0, 1}})->Unit(benchmark::kMicrosecond);

/// The measurements window alone following a marker step over 32 analog channels of 256 samples a cycle.
void BM_MeasurementsFollow(benchmark::State& state)
{
    constexpr long kChannels = 32;
    constexpr std::int32_t kLast = 12800;  // one second at 12800 per second, 50 Hz
    RecordingModel model;
    model.varAnalogChannels = kChannels;
    model.lngSampleRate = 12800;
    model.intLineFrequency = 50;
    model.lngLastSample = kLast;
    model.lngTriggerSample = kLast / 2;
    model.arrAnalogSamples.Redim(kChannels, kLast + 1);
    for (auto* a : {&model.arrAnalogNames, &model.arrAnalogUnits, &model.arrAnalogPhases, &model.arrAnalogCircuits})
        a->Redim(1, kChannels);
    for (long i = 1; i <= kChannels; ++i) {
        model.arrAnalogNames(i) = (i % 2 ? "U" : "I") + std::to_string(i);
        model.arrAnalogUnits(i) = i % 2 ? "kV" : "A";
        model.arrAnalogPhases(i) = std::string(1, static_cast<char>('A' + (i - 1) / 2 % 3));
        model.arrAnalogCircuits(i) = "F" + std::to_string((i - 1) / 6);
    }
    for (std::int32_t n = 1; n <= kLast; ++n)
        for (long i = 0; i < kChannels; ++i)
            model.arrAnalogSamples.Column(n)[i] = 100 * std::sin(2 * M_PI * 50 * n / 12800.0 + i) + 3 * std::sin(0.01 * n);
    QtPlatform platform;
    Measurements window(model, platform, nullptr);
    window.Reset();
    window.show();
    ViewState view;
    view.blnDataLoaded = kTrue;
    view.blnMarkersOn = kTrue;
    view.lngMarker2Sample = kLast / 2;
    std::int32_t m1 = 4000;
    for (auto _ : state) {
        view.varMarker1Sample = ++m1;
        FollowMarkers(window, view);
    }
}
BENCHMARK(BM_MeasurementsFollow)->Unit(benchmark::kMicrosecond);

/// One mouse move while a zoom rectangle is dragged in one window, with the zoom list's lookup.
void BM_ZoomRectangleMove(benchmark::State& state)
{
    Fixture& f = Shared();
    f.Redraw(100000, true);
    std::vector<std::string> items;
    for (const std::string& item : ZoomListItems(f.model.lngLastSample)) items.push_back(item);
    auto inList = [&](double percent) {
        for (const std::string& item : items)
            if (Val(item) == percent) return true;
        return false;
    };
    Canvas& canvas = *f.windows.front();
    f.view.varZoomStartX = 200;
    f.view.varZoomPercent = 0;
    float x = 500;
    for (auto _ : state) {
        x = x == 500 ? 900 : 500;
        DrawZoomRectangle(canvas, f.view, f.model, x, 70, inList);
    }
    benchmark::DoNotOptimize(f.view.varZoomPercent);
}
BENCHMARK(BM_ZoomRectangleMove)->Unit(benchmark::kMicrosecond);

/// One Ctrl + wheel notch: the next zoom item about the pointer (a third into the window), and the
/// redraw of every window that follows. Steps in from the whole record to the finest item and out again.
void BM_CtrlWheelZoom(benchmark::State& state)
{
    Fixture& f = Shared();
    const std::vector<std::string> items = ZoomListItems(f.model.lngLastSample);
    const int last = static_cast<int>(items.size()) - 1;
    int index = last;
    int direction = -1;
    f.model.lngViewSamples = ViewSamplesForZoom(100, f.model.lngLastSample);
    f.view.lngFirstSample = 1;
    const double fraction = 400.0 / 1200;
    for (auto _ : state) {
        if (index + direction < 0 || index + direction > last) direction = -direction;
        index += direction;
        const double under = f.view.lngFirstSample + fraction * f.model.lngViewSamples;
        f.model.lngViewSamples = ViewSamplesForZoom(Val(items[static_cast<std::size_t>(index)]), f.model.lngLastSample);
        const std::int32_t first = FirstSampleKeeping(under, fraction, f.model.lngViewSamples);
        f.view.lngFirstSample = std::clamp(first, 1, std::max(1, f.model.lngLastSample - f.model.lngViewSamples));
        f.view.blnRedrawSignals = kTrue;
        f.view.blnRedrawMarkers = kTrue;
        f.columns.Clear();
        RenderChannelWindows(f.Context(), f.Canvases(), 1200, true, f.view.lngFirstSample);
    }
    state.counters["items"] = static_cast<double>(items.size());
}
BENCHMARK(BM_CtrlWheelZoom)->Unit(benchmark::kMillisecond);

void BM_FullRedrawFullPolyline(benchmark::State& state)
{
    Fixture& f = Shared();
    const auto inView = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) f.Redraw(inView, false);
    state.counters["samples_in_view"] = static_cast<double>(inView);
}
BENCHMARK(BM_FullRedrawFullPolyline)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

/// One key typed into the channel selection dialog's filter box over 600 channels (100 analog, 500
/// digital): the list filtered, laid out and painted again. Typed forward and back over "trip 4", so
/// that each step adds or takes away a letter and the rows listed go from all to a handful and back.
void BM_FilterKey(benchmark::State& state)
{
    constexpr long kAnalog = 100;
    constexpr long kDigital = 500;
    QtPlatform platform;
    MDIForm1 form(platform);
    RecordingModel& m = form.State().model;
    m.varAnalogChannels = kAnalog;
    m.intDigitalCount = kDigital;
    m.intHasDigital = 1;
    m.arrAnalogNames.Redim(1, kAnalog);
    m.arrDigitalNames.Redim(1, kDigital);
    m.arrDigitalSelection.Redim(0, kDigital + 1);
    m.arrDigitalSelection(0) = 1;
    m.arrDigitalSelection(kDigital + 1) = kDigital;
    static const char* const kPhases[] = {"IA", "IB", "IC", "IN", "UA", "UB", "UC", "UN", "I0", "U0"};
    for (long i = 1; i <= kAnalog; ++i)
        m.arrAnalogNames(i) = "F" + std::to_string((i - 1) / 10) + " " + kPhases[(i - 1) % 10];
    static const char* const kSignals[] = {"TRIP", "PU", "CB CLOSED", "CB OPEN", "AR IN PROGRESS", "BF TRIP", "ALARM"};
    for (long j = 1; j <= kDigital; ++j)
        m.arrDigitalNames(j) =
            "F" + std::to_string((j - 1) / 7) + " " + kSignals[(j - 1) % 7] + " " + std::to_string(j);
    SelctSign dialog(form);
    dialog.Form_Load();
    const QString word = QStringLiteral("trip 4");
    std::vector<QString> keys;  // "t" .. "trip 4" .. "t", "" and again
    for (qsizetype k = 1; k <= word.size(); ++k) keys.push_back(word.left(k));
    for (qsizetype k = word.size() - 1; k >= 0; --k) keys.push_back(word.left(k));
    std::size_t next = 0;
    for (auto _ : state) {
        dialog.Filter->setText(keys[next]);
        next = (next + 1) % keys.size();
        dialog.List1->doItemsLayout();
        dialog.List1->viewport()->repaint();
    }
    dialog.Command1_Click();
    state.counters["channels"] = static_cast<double>(kAnalog + kDigital);
}
BENCHMARK(BM_FilterKey)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // Text is measured and drawn through Qt's font machinery, and the measurements window is a widget.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
