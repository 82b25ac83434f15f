// Importing and opening a large 2013 BINARY recording the way the viewer's File > Import
// does it, without the windows: conversion into a temporary folder, then the loader and
// the drawing indexes. The recording (about 130 MB: 3,100,000 samples of 16 analog and
// 16 digital channels) is generated once into a cache folder and reused by later runs.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

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
#include "ImportedRecording.h"
#include "LineReader.h"
#include "Loader.h"
#include "MinMaxPyramid.h"
#include "RecordingFiles.h"
#include "RecordingModel.h"
#include "TextDecoder.h"

namespace {

namespace fs = std::filesystem;

constexpr long kSamples = 3'100'000;
constexpr int kAnalog = 16;
constexpr int kDigital = 16;
constexpr std::size_t kRecordBytes = 4 + 4 + 2 * kAnalog + 2 * ((kDigital + 15) / 16);

class NoopObserver final : public sevrana::LoadObserver {
public:
    void SetCaption(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
};

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

std::string Configuration()
{
    std::string t = "Bench station,REL-2013,2013\r\n" + std::to_string(kAnalog + kDigital) + "," +
                    std::to_string(kAnalog) + "A," + std::to_string(kDigital) + "D\r\n";
    for (int i = 1; i <= kAnalog; ++i)
        t += std::to_string(i) + ",U" + std::to_string(i) + ",A,Feeder,kV,0.01,0,0,-32767,32767,110,0.1,P\r\n";
    for (int i = 1; i <= kDigital; ++i) t += std::to_string(i) + ",D" + std::to_string(i) + ",,,0\r\n";
    t += "50\r\n1\r\n4000," + std::to_string(kSamples) + "\r\n";
    t += "01/06/2024,12:00:00.000000\r\n01/06/2024,12:00:00.100000\r\nBINARY\r\n1\r\n+2h,+2h\r\n0,0\r\n";
    return t;
}

/// Little-endian records: sample number, time stamp, the analog values of a 50 Hz wave
/// (each channel a little later), one word of states that change now and then.
bool WriteData(const fs::path& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<unsigned char> block;
    constexpr long kPerBlock = 65536;
    block.reserve(kPerBlock * kRecordBytes);
    auto put = [&](std::uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b) block.push_back(static_cast<unsigned char>(value >> (8 * b)));
    };
    for (long n = 0; n < kSamples; ++n) {
        put(static_cast<std::uint32_t>(n + 1), 4);
        put(static_cast<std::uint32_t>(n * 250), 4);
        for (int i = 0; i < kAnalog; ++i) {
            const long phase = (n + i * 7) % 80;  // 80 samples a cycle
            const long triangle = phase < 40 ? phase * 1500 - 30000 : (80 - phase) * 1500 - 30000;
            put(static_cast<std::uint32_t>(static_cast<std::int16_t>(triangle)), 2);
        }
        put(static_cast<std::uint32_t>((n / 4000) & 0xFFFF), 2);
        if (block.size() >= kPerBlock * kRecordBytes) {
            out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    return static_cast<bool>(out);
}

SourceRecording MakeSource()
{
    SourceRecording r;
    const fs::path folder = CacheFolder();
    const fs::path cfg = folder / "import2013.cfg";
    const fs::path dat = folder / "import2013.dat";
    r.configPath = cfg.string();
    std::error_code ec;
    // The configuration is renamed into place last, so its presence means a complete pair.
    if (!fs::exists(cfg, ec) || !fs::exists(dat, ec)) {
        fs::create_directories(folder, ec);
        const fs::path partial = folder / ("import2013-partial" + std::to_string(::getpid()) + ".cfg");
        if (!WriteData(dat)) {
            r.error = "cannot write " + dat.string();
            return r;
        }
        std::ofstream(partial, std::ios::binary) << Configuration();
        fs::rename(partial, cfg, ec);
        if (ec) {
            r.error = "cannot write " + cfg.string() + ": " + ec.message();
            return r;
        }
    }
    r.bytes = fs::file_size(cfg, ec) + fs::file_size(dat, ec);
    return r;
}

const SourceRecording& Source()
{
    static const SourceRecording source = MakeSource();
    return source;
}

double PeakRssMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in KiB
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_ImportAndOpen(benchmark::State& state)
{
    const SourceRecording& source = Source();
    if (!source.error.empty()) {
        state.SkipWithError(source.error.c_str());
        return;
    }
    NoopObserver observer;
    double convertMs = 0, loadMs = 0, copyMegabytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        sevrana::ImportedRecording imported = sevrana::ImportRecording(source.configPath, nullptr);
        if (!imported.conversion.ok) {
            state.SkipWithError(imported.conversion.error.c_str());
            break;
        }
        convertMs += MillisecondsSince(start);
        const auto loadStart = std::chrono::steady_clock::now();
        auto model = std::make_unique<sevrana::RecordingModel>();
        model->varConfigFile = imported.converted;
        model->strDataFile = sevrana::ResolveDataFile(imported.converted);
        sevrana::LineReader config(model->varConfigFile);
        sevrana::LineReader data(model->strDataFile);
        if (sevrana::LoadRecording(*model, config, data, observer, {}, sevrana::FindCodePage("UTF-8")) !=
            sevrana::LoadOutcome::Loaded) {
            state.SkipWithError("the converted copy did not load");
            break;
        }
        sevrana::MinMaxPyramid pyramid;
        sevrana::DigitalEdges edges;
        pyramid.Build(*model);
        edges.Build(*model);
        loadMs += MillisecondsSince(loadStart);
        state.PauseTiming();  // letting go of the recording and its copy is not part of opening it
        std::error_code ec;
        copyMegabytes = static_cast<double>(fs::file_size(model->strDataFile, ec)) / 1e6;
        benchmark::DoNotOptimize(model->arrAnalogSamples.data());
        model.reset();
        imported.folder = sevrana::ImportFolder();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(source.bytes) * state.iterations());
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["convert_ms"] = iterations > 0 ? convertMs / iterations : 0;
    state.counters["load_ms"] = iterations > 0 ? loadMs / iterations : 0;
    state.counters["source_MB"] = static_cast<double>(source.bytes) / 1e6;
    state.counters["copy_dat_MB"] = copyMegabytes;
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
// Wall time: what the person waits for between choosing the file and seeing it.
BENCHMARK(BM_ImportAndOpen)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
