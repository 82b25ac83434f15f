// Opening a large 2013 recording the way the viewer does, without the windows: the reader
// straight into the model, then the drawing indexes. And the reader's throughput in input
// MB/s on each binary type. The recordings (3,100,000 samples of 16 analog and 16 digital
// channels: about 130 MB in BINARY) are generated once into a cache folder and reused.
//
// Run BM_ReadAndOpen on its own (--benchmark_filter=ReadAndOpen) for its peak memory: the
// process's peak resident size covers every benchmark that ran before.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "DigitalEdges.h"
#include "MinMaxPyramid.h"
#include "Reader.h"
#include "RecordingModel.h"

namespace {

namespace fs = std::filesystem;

constexpr long kSamples = 3'100'000;
constexpr int kAnalog = 16;
constexpr int kDigital = 16;

struct SourceRecording {
    std::string configPath;
    std::uint64_t bytes = 0;  // configuration and data
    std::string error;
};

fs::path CacheFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "sevrana-bench";
}

std::string Configuration(const std::string& type)
{
    std::string t = "Bench station,REL-2013,2013\r\n" + std::to_string(kAnalog + kDigital) + "," +
                    std::to_string(kAnalog) + "A," + std::to_string(kDigital) + "D\r\n";
    for (int i = 1; i <= kAnalog; ++i)
        t += std::to_string(i) + ",U" + std::to_string(i) + ",A,Feeder,kV,0.01,0,0,-32767,32767,110,0.1,P\r\n";
    for (int i = 1; i <= kDigital; ++i) t += std::to_string(i) + ",D" + std::to_string(i) + ",,,0\r\n";
    t += "50\r\n1\r\n4000," + std::to_string(kSamples) + "\r\n";
    t += "01/06/2024,12:00:00.000000\r\n01/06/2024,12:00:00.100000\r\n" + type + "\r\n1\r\n+2h,+2h\r\n0,0\r\n";
    return t;
}

/// Little-endian records: sample number, time stamp, the analog values of a 50 Hz wave (each
/// channel a little later; FLOAT32 with a fraction), one word of states that change now and then.
bool WriteData(const fs::path& path, const std::string& type)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> block;
    const auto put = [&](const void* value, std::size_t bytes) {
        block.insert(block.end(), static_cast<const char*>(value), static_cast<const char*>(value) + bytes);
    };
    for (long n = 0; n < kSamples; ++n) {
        const auto number = static_cast<std::uint32_t>(n + 1), stamp = static_cast<std::uint32_t>(n * 250);
        put(&number, 4);
        put(&stamp, 4);
        for (int i = 0; i < kAnalog; ++i) {
            const long phase = (n + i * 7) % 80;  // 80 samples a cycle
            const long triangle = phase < 40 ? phase * 1500 - 30000 : (80 - phase) * 1500 - 30000;
            if (type == "BINARY") {
                const auto v = static_cast<std::int16_t>(triangle);
                put(&v, 2);
            } else if (type == "BINARY32") {
                const auto v = static_cast<std::int32_t>(triangle * 1000);
                put(&v, 4);
            } else {
                const float v = static_cast<float>(triangle) * 0.37f;
                put(&v, 4);
            }
        }
        const auto states = static_cast<std::uint16_t>((n / 4000) & 0xFFFF);
        put(&states, 2);
        if (block.size() >= (std::size_t{4} << 20)) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return static_cast<bool>(out);
}

SourceRecording MakeSource(const std::string& type)
{
    SourceRecording r;
    const fs::path folder = CacheFolder();
    const std::string name = "read2013-" + type;
    const fs::path cfg = folder / (name + ".cfg");
    const fs::path dat = folder / (name + ".dat");
    r.configPath = cfg.string();
    std::error_code ec;
    // The configuration is renamed into place last, so its presence means a complete pair.
    if (!fs::exists(cfg, ec) || !fs::exists(dat, ec)) {
        fs::create_directories(folder, ec);
        const fs::path partial = folder / (name + "-partial" + std::to_string(::getpid()) + ".cfg");
        if (!WriteData(dat, type)) {
            r.error = "cannot write " + dat.string();
            return r;
        }
        std::ofstream(partial, std::ios::binary) << Configuration(type);
        fs::rename(partial, cfg, ec);
        if (ec) {
            r.error = "cannot write " + cfg.string() + ": " + ec.message();
            return r;
        }
    }
    r.bytes = fs::file_size(cfg, ec) + fs::file_size(dat, ec);
    // Read once, so that every run starts from a warm page cache as the loader's benchmark does.
    std::ifstream warm(dat, std::ios::binary);
    std::vector<char> chunk(std::size_t{4} << 20);
    while (warm.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || warm.gcount() > 0) {}
    return r;
}

double PeakRssMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in KiB
}

/// Reads the recording of type into a fresh model; false (with the benchmark skipped) on failure.
bool ReadInto(benchmark::State& state, const SourceRecording& source, sevrana::RecordingModel& model)
{
    sevrana::formats::ReadOptions options;
    options.input = source.configPath;
    const sevrana::formats::ReadResult result = sevrana::formats::ReadRecording(options, model);
    if (!result.ok) state.SkipWithError(result.error.c_str());
    return result.ok;
}

/// What the person waits for between choosing the file and seeing it: the model and the indexes.
void BM_ReadAndOpen(benchmark::State& state)
{
    const SourceRecording source = MakeSource("BINARY");
    if (!source.error.empty()) {
        state.SkipWithError(source.error.c_str());
        return;
    }
    double modelMegabytes = 0, indexMegabytes = 0, readMs = 0, pyramidMs = 0, edgesMs = 0;
    const auto since = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        auto model = std::make_unique<sevrana::RecordingModel>();
        if (!ReadInto(state, source, *model)) break;
        readMs += since(start);
        start = std::chrono::steady_clock::now();
        sevrana::MinMaxPyramid pyramid;
        sevrana::DigitalEdges edges;
        pyramid.Build(*model);
        pyramidMs += since(start);
        start = std::chrono::steady_clock::now();
        edges.Build(*model);
        edgesMs += since(start);
        state.PauseTiming();  // letting go of the recording is not part of opening it
        modelMegabytes = static_cast<double>(model->arrAnalogSamples.bytes() + model->arrDigitalSamples.bytes()) / 1e6;
        indexMegabytes = static_cast<double>(pyramid.Bytes()) / 1e6;
        benchmark::DoNotOptimize(model->arrAnalogSamples.data());
        model.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(source.bytes) * state.iterations());
    const double iterations = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["read_ms"] = readMs / iterations;
    state.counters["pyramid_ms"] = pyramidMs / iterations;
    state.counters["edges_ms"] = edgesMs / iterations;
    state.counters["source_MB"] = static_cast<double>(source.bytes) / 1e6;
    state.counters["model_MB"] = modelMegabytes;
    state.counters["pyramid_MB"] = indexMegabytes;
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
BENCHMARK(BM_ReadAndOpen)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

/// The reader alone, in input bytes per second.
void BM_Read(benchmark::State& state, const std::string& type)
{
    const SourceRecording source = MakeSource(type);
    if (!source.error.empty()) {
        state.SkipWithError(source.error.c_str());
        return;
    }
    for (auto _ : state) {
        auto model = std::make_unique<sevrana::RecordingModel>();
        if (!ReadInto(state, source, *model)) break;
        state.PauseTiming();
        benchmark::DoNotOptimize(model->arrAnalogSamples.data());
        model.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(source.bytes) * state.iterations());
}
BENCHMARK_CAPTURE(BM_Read, binary, std::string("BINARY"))->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, binary32, std::string("BINARY32"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, float32, std::string("FLOAT32"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
