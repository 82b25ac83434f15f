// One analog page written to a PDF file with 10,000 and 1,000,000 samples in
// view: the page has every sample as a segment, so time and size grow with the
// samples; they must grow linearly. Reports the PDF's bytes per page.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

#include "PageRenderer.h"
#include "Printer.h"

namespace {

using namespace sevrana;

constexpr std::int32_t kSamples = 1000001;

struct Fixture {
    RecordingModel model;
    ViewState view;
    DrawingState drawing;
    QTemporaryDir dir;

    Fixture()
    {
        model.varAnalogChannels = 1;
        model.lngLastSample = kSamples;
        model.lngSampleRate = 10000;
        model.lngTriggerSample = kSamples / 2;
        model.varTriggerTime = 50;
        model.arrAnalogSamples.Redim(1, kSamples + 1);
        model.arrChannelScale.Redim(1, 1);
        model.arrChannelScale(1) = 120;
        model.arrAnalogNames.Redim(1, 1);
        model.arrAnalogNames(1) = "IA";
        model.arrAnalogUnits.Redim(1, 1);
        model.arrAnalogUnits(1) = "A";
        model.varStationName = "Bench";
        for (std::int32_t n = 1; n <= kSamples; ++n)
            model.arrAnalogSamples(1, n) = 100 * std::sin(2 * M_PI * 50 * n / 10000.0) + (n % 7) * 0.3;
    }
};

void BM_PrintPage(benchmark::State& state)
{
    static Fixture f;
    f.model.lngViewSamples = static_cast<std::int32_t>(state.range(0));
    f.view.lngFirstSample = std::max(1, kSamples / 2 - f.model.lngViewSamples / 2);
    const QString path = f.dir.filePath(QStringLiteral("page.pdf"));
    const PageSource source{f.model, f.view, f.drawing, [](long) { return false; }, 0};
    for (auto _ : state) {
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(path);
        Printer printer(device);
        DrawPage(printer, source, 1);
        printer.EndDoc();
    }
    state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["segments"] = static_cast<double>(f.model.lngViewSamples);
}
BENCHMARK(BM_PrintPage)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
