// Conversion throughput of a large 2013 recording (1,000,000 samples, 16 analog
// and 16 digital channels) in each data type, in MB of input per second, with the
// process's peak memory. The recordings are generated once into a cache folder.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Convert.h"

namespace {

namespace fs = std::filesystem;

constexpr long kSamples = 1'000'000;
constexpr int kAnalog = 16;
constexpr int kDigital = 16;

fs::path CacheFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "sevrana-convert-bench";
}

/// A value like a recorder's: a few digits, whole in the integer types, in quarters as floats.
double Value(long n, int channel)
{
    return static_cast<double>((n * 31 + channel * 977) % 20001 - 10000) * (channel % 2 == 0 ? 1 : 3);
}

template <class T>
void Put(std::string& to, T value)
{
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    to.append(bytes, sizeof(T));
}

std::string ConfigText(const std::string& type)
{
    std::string t = "Bench station,REL-670,2013\r\n32,16A,16D\r\n";
    for (int i = 1; i <= kAnalog; ++i)
        t += std::to_string(i) + ",CH" + std::to_string(i) + ",A,,kV,0.01,0,0,-32767,32767,1000,1,P\r\n";
    for (int i = 1; i <= kDigital; ++i) t += std::to_string(i) + ",D" + std::to_string(i) + ",,,0\r\n";
    return t + "50\r\n1\r\n4000," + std::to_string(kSamples) +
           "\r\n01/01/2024,00:00:00.000000\r\n01/01/2024,00:00:00.100000\r\n" + type + "\r\n1\r\n0,0\r\n0,0\r\n";
}

/// Writes IN.cfg and IN.dat of the type unless they are there; returns the configuration path.
std::string Recording(const std::string& type)
{
    const fs::path folder = CacheFolder() / type;
    const fs::path cfg = folder / "IN.cfg";
    if (fs::exists(cfg)) return cfg.string();
    fs::create_directories(folder);
    std::ofstream data(folder / "IN.dat", std::ios::binary);
    std::string block;
    char text[32];
    for (long n = 0; n < kSamples; ++n) {
        const std::uint32_t stamp = static_cast<std::uint32_t>(n * 250);
        if (type == "ASCII") {
            block += std::to_string(n + 1) + "," + std::to_string(stamp);
            for (int i = 0; i < kAnalog; ++i) {
                block += ',';
                block.append(text, std::to_chars(text, text + sizeof text, static_cast<long>(Value(n, i))).ptr);
            }
            for (int i = 0; i < kDigital; ++i) block += ((n >> (i % 12)) & 1) != 0 ? ",1" : ",0";
            block += "\r\n";
        } else {
            Put<std::uint32_t>(block, static_cast<std::uint32_t>(n + 1));
            Put<std::uint32_t>(block, stamp);
            for (int i = 0; i < kAnalog; ++i) {
                if (type == "BINARY") Put<std::int16_t>(block, static_cast<std::int16_t>(Value(n, i)));
                if (type == "BINARY32") Put<std::int32_t>(block, static_cast<std::int32_t>(Value(n, i) * 100));
                if (type == "FLOAT32") Put<float>(block, static_cast<float>(Value(n, i) * 0.25));
            }
            Put<std::uint16_t>(block, static_cast<std::uint16_t>(n & 0xFFFF));
        }
        if (block.size() > (std::size_t{1} << 20)) {
            data.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    data.write(block.data(), static_cast<std::streamsize>(block.size()));
    data.close();
    std::ofstream(cfg, std::ios::binary) << ConfigText(type);
    return cfg.string();
}

void BM_Convert(benchmark::State& state, const std::string& type)
{
    sevrana::formats::ConvertOptions options;
    options.input = Recording(type);
    options.output = (CacheFolder() / type / "out" / "OUT.cfg").string();
    const std::uint64_t inputBytes = fs::file_size(fs::path(options.input).parent_path() / "IN.dat");
    // Processor time of all threads, kernel included: on a shared machine the wall clock says less.
    const auto processorSeconds = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    double processor = 0;
    for (auto _ : state) {
        // A conversion writes into a fresh folder, not over the last one's files.
        state.PauseTiming();
        fs::remove_all(CacheFolder() / type / "out");
        fs::create_directories(CacheFolder() / type / "out");
        const double before = processorSeconds();
        state.ResumeTiming();
        const sevrana::formats::ConvertResult result = sevrana::formats::ConvertRecording(options);
        processor += processorSeconds() - before;
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            return;
        }
        benchmark::DoNotOptimize(result.samples);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(inputBytes) * state.iterations());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["input_MB"] = static_cast<double>(inputBytes) / 1e6;
    state.counters["cpu_s_per_conversion"] = processor / static_cast<double>(state.iterations());
}

/// A combined file whose header section is far larger than its data: the header is copied in blocks,
/// so the peak stays that of a small recording (run it alone: the peak is the process's).
void BM_ConvertLargeHeader(benchmark::State& state)
{
    const fs::path folder = CacheFolder() / "CFF-HDR";
    const fs::path in = folder / "IN.cff";
    if (!fs::exists(in)) {
        fs::create_directories(folder / "out");
        std::ofstream file(in, std::ios::binary);
        std::string config = ConfigText("ASCII");
        config.replace(config.find("4000,1000000"), 12, "4000,1");
        file << "--- file type: CFG ---\r\n" << config << "--- file type: HDR ---\r\n";
        const std::string lines = [] {
            std::string text;
            for (int i = 0; i < 10000; ++i) text += std::string(98, 'h') + "\r\n";
            return text;
        }();
        for (int i = 0; i < 256; ++i) file << lines;
        file << "--- file type: DAT ASCII ---\r\n1,0";
        for (int i = 0; i < kAnalog + kDigital; ++i) file << ",0";
        file << "\r\n";
    }
    sevrana::formats::ConvertOptions options;
    options.input = in.string();
    options.output = (folder / "out" / "OUT.cfg").string();
    for (auto _ : state) {
        const sevrana::formats::ConvertResult result = sevrana::formats::ConvertRecording(options);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(fs::file_size(in)) * state.iterations());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(BM_ConvertLargeHeader)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_CAPTURE(BM_Convert, ASCII, std::string("ASCII"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Convert, BINARY, std::string("BINARY"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Convert, BINARY32, std::string("BINARY32"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Convert, FLOAT32, std::string("FLOAT32"))->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
