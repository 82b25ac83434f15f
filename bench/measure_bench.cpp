// What a marker move costs the measurements: 32 analog channels (ten three-phase groups and two
// more) measured over one cycle of 256 samples, at a marker stepping through a second of record.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "Measurement.h"

namespace {

using namespace sevrana;

constexpr long kAnalog = 32;
constexpr std::int32_t kRate = 12800;  // 256 samples a cycle at 50 Hz
constexpr std::int32_t kSamples = kRate;

RecordingModel Recording()
{
    RecordingModel m;
    m.varAnalogChannels = kAnalog;
    m.lngSampleRate = kRate;
    m.intLineFrequency = 50;
    m.lngLastSample = kSamples;
    m.lngTriggerSample = kSamples / 2;
    for (auto* a : {&m.arrAnalogNames, &m.arrAnalogUnits, &m.arrAnalogPhases, &m.arrAnalogCircuits})
        a->Redim(1, kAnalog);
    m.arrAnalogSamples.Redim(kAnalog, kSamples + 1);
    for (long i = 1; i <= kAnalog; ++i) {
        const long position = (i - 1) % 3;
        m.arrAnalogNames(i) = "CH" + std::to_string(i);
        m.arrAnalogUnits(i) = (i - 1) / 3 % 2 ? "A" : "kV";
        m.arrAnalogPhases(i) = i <= 30 ? std::string(1, static_cast<char>('A' + position)) : "N";
        m.arrAnalogCircuits(i) = "Bay " + std::to_string((i - 1) / 3);
        const double shift = -2 * std::numbers::pi * static_cast<double>(position) / 3;
        for (std::int32_t k = 1; k <= kSamples; ++k) {
            const double w = 2 * std::numbers::pi * 50 * (k - 1) / kRate;
            m.arrAnalogSamples(i, k) = 100 * std::cos(w + shift) + 15 * std::cos(2 * w) + 5 * std::exp(-k / 2000.0);
        }
    }
    return m;
}

void BM_MeasureAtMarker(benchmark::State& state)
{
    const RecordingModel model = Recording();
    long sample = 256;
    for (auto _ : state) {
        benchmark::DoNotOptimize(analysis::Measure(model, sample));
        sample = sample == kSamples ? 256 : sample + 1;  // one marker step each time
    }
}
BENCHMARK(BM_MeasureAtMarker)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
