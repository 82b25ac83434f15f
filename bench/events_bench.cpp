// The digital event list of a long record with many digital channels: 10,000,000 samples of 64
// channels with about 100,000 changes between them, listed in time order from the edge index
// the load builds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "DigitalEvents.h"

namespace {

using namespace sevrana;

constexpr long kDigital = 64;
constexpr std::int32_t kSamples = 10'000'000;
constexpr std::int32_t kMeanRun = 6'400;  // samples between two changes of a channel: 64 * 1562 changes

RecordingModel Recording()
{
    RecordingModel m;
    m.intDigitalCount = kDigital;
    m.intHasDigital = 1;
    m.lngSampleRate = 10'000;
    m.lngLastSample = kSamples;
    m.arrDigitalNames.Redim(1, kDigital);
    m.arrDigitalNormal.Redim(1, kDigital);
    m.arrDigitalSamples.Redim(kDigital, kSamples + 1);
    std::uint32_t seed = 12345;
    for (long k = 1; k <= kDigital; ++k) {
        m.arrDigitalNames(k) = "D" + std::to_string(k);
        // Runs of 1 to 2 * kMeanRun samples, each channel in its own rhythm.
        std::int16_t state = k % 2;
        for (std::int32_t n = 1; n <= kSamples;) {
            seed = seed * 1664525u + 1013904223u;
            const std::int32_t run = 1 + static_cast<std::int32_t>(seed % (2 * kMeanRun));
            for (std::int32_t end = std::min(kSamples, n + run - 1); n <= end; ++n) m.arrDigitalSamples(k, n) = state;
            state = static_cast<std::int16_t>(1 - state);
        }
    }
    return m;
}

void BM_DigitalEvents(benchmark::State& state)
{
    const RecordingModel model = Recording();
    DigitalEdges edges;
    edges.Build(model);
    std::size_t events = 0;
    for (auto _ : state) {
        const std::vector<analysis::DigitalEvent> list = analysis::DigitalEvents(model, edges);
        events = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_DigitalEvents)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
