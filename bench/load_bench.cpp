// Load throughput of a large recording, against the plain cost of reading its
// data file. The recording (1,000,000 samples, 16 analog and 16 digital
// channels, about 120 MB of data) is generated once into a cache folder and
// reused by later runs.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "DigitalEdges.h"
#include "LineReader.h"
#include "Loader.h"
#include "MinMaxPyramid.h"
#include "RecordingModel.h"

namespace {

namespace fs = std::filesystem;

constexpr long kSamples = 1'000'000;
constexpr long kAnalog = 16;
constexpr long kDigital = 16;
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

class NoopObserver final : public sevrana::LoadObserver {
public:
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
};

struct LargeRecording {
    std::string configPath;
    std::string dataPath;
    std::uint64_t dataBytes = 0;
    std::string error;  // non-empty when the recording could not be provided
};

fs::path CacheFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "sevrana-bench";
}

/// Reads the whole file once so that every benchmark starts from a warm page cache.
bool ReadWholeFile(const std::string& path, std::vector<char>& buffer, std::uint64_t& total)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ::close(fd);
            return got == 0;
        }
        total += static_cast<std::uint64_t>(got);
    }
}

LargeRecording MakeLargeRecording()
{
    LargeRecording r;
    const fs::path folder = CacheFolder();
    const fs::path cfg = folder / "large.cfg";
    const fs::path dat = folder / "large.dat";
    r.configPath = cfg.string();
    r.dataPath = dat.string();

    std::error_code ec;
    // The configuration is renamed into place last, so its presence means a complete pair.
    if (!fs::exists(cfg, ec) || !fs::exists(dat, ec)) {
        fs::create_directories(folder, ec);
        if (ec) {
            r.error = "cannot create " + folder.string() + ": " + ec.message();
            return r;
        }
        const fs::path partial = folder / ("partial" + std::to_string(::getpid()));
        const std::string command = std::string("'") + SEVRANA_GEN + "' --out '" + partial.string() +
                                    "' --samples " + std::to_string(kSamples) + " --analog " +
                                    std::to_string(kAnalog) + " --digital " + std::to_string(kDigital) +
                                    " --seed 1";
        if (std::system(command.c_str()) != 0) {
            r.error = "generator failed: " + command;
            return r;
        }
        fs::rename(partial.string() + ".dat", dat, ec);
        if (!ec) fs::rename(partial.string() + ".cfg", cfg, ec);
        if (ec) {
            r.error = "cannot move the generated recording into " + folder.string() + ": " + ec.message();
            return r;
        }
    }

    std::vector<char> buffer(kChunkBytes);
    if (!ReadWholeFile(r.dataPath, buffer, r.dataBytes) || r.dataBytes == 0)
        r.error = "cannot read " + r.dataPath;
    return r;
}

/// The cached recording, generated on first use. A function-local static so that
/// listing or filtering benchmarks does not generate it when no benchmark needs it.
const LargeRecording& Recording()
{
    static const LargeRecording recording = MakeLargeRecording();
    return recording;
}

double PeakRssMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in KiB
}

void BM_LoadRecording(benchmark::State& state)
{
    const LargeRecording& rec = Recording();
    if (!rec.error.empty()) {
        state.SkipWithError(rec.error.c_str());
        return;
    }
    NoopObserver observer;
    const bool withIndexes = state.range(0) != 0;  // as the viewer opens a file: the drawing indexes too
    const auto threads = static_cast<unsigned>(state.range(1));  // 0: every core
    long samples = 0;
    double modelMegabytes = 0;
    double indexMegabytes = 0;
    for (auto _ : state) {
        // A fresh model each time: the sample blocks are allocated anew, as when a user opens a file.
        auto model = std::make_unique<sevrana::RecordingModel>();
        model->varConfigFile = rec.configPath;
        model->strDataFile = rec.dataPath;
        sevrana::LineReader config(rec.configPath);
        sevrana::LineReader data(rec.dataPath);
        const sevrana::LoadOutcome outcome = sevrana::LoadRecording(*model, config, data, observer,
                                                                    sevrana::DataSplit{threads});
        if (outcome != sevrana::LoadOutcome::Loaded) {
            state.SkipWithError("the recording did not load");
            break;
        }
        sevrana::MinMaxPyramid pyramid;
        sevrana::DigitalEdges edges;
        if (withIndexes) {
            pyramid.Build(*model);
            edges.Build(*model);
        }
        state.PauseTiming();  // releasing the recording and its indexes is not part of loading one
        indexMegabytes = static_cast<double>(pyramid.Bytes()) / 1e6;
        samples = model->lngLastSample;
        modelMegabytes =
            static_cast<double>(model->arrAnalogSamples.bytes() + model->arrDigitalSamples.bytes()) / 1e6;
        benchmark::DoNotOptimize(model->arrAnalogSamples.data());
        pyramid.Clear();
        edges.Clear();
        model.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(rec.dataBytes) * state.iterations());
    state.counters["samples"] = static_cast<double>(samples);
    state.counters["model_MB"] = modelMegabytes;
    if (withIndexes) state.counters["pyramid_MB"] = indexMegabytes;
    // Process peak so far: nothing else here holds much memory, so this is one load's peak plus a few MB.
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
// Wall time: what the user waits for, page faults and system calls included.
// First argument 1: with the min/max pyramid and the digital change positions built, as the
// viewer does. Second: the cores the data stage may use, 1 or 0 for every core.
BENCHMARK(BM_LoadRecording)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->ArgNames({"indexes", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_ReadFileOnly(benchmark::State& state)
{
    const LargeRecording& rec = Recording();
    if (!rec.error.empty()) {
        state.SkipWithError(rec.error.c_str());
        return;
    }
    std::vector<char> buffer(kChunkBytes);
    for (auto _ : state) {
        std::uint64_t total = 0;
        if (!ReadWholeFile(rec.dataPath, buffer, total) || total != rec.dataBytes) {
            state.SkipWithError("cannot read the data file");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(rec.dataBytes) * state.iterations());
}
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
