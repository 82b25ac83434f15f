#pragma once
// Decoders of the data in each type: they read the samples a configuration
// announces, in blocks, and report a short or malformed file by its place.

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "Input.h"
#include "Source.h"
#include "SourceConfig.h"

namespace sevrana::formats {

/// Samples as read: raw analog values (a missing value is 0), digital states and time stamps.
struct SampleBlock {
    std::size_t count = 0;
    std::vector<double> analog;         // count * nA, one sample after the other
    std::vector<std::int16_t> digital;  // count * nD
    std::vector<double> stamp;          // count; in the file's time unit, NaN when not given

    static constexpr double kNoStamp = NAN;
    void Resize(std::size_t samples, std::size_t nA, std::size_t nD)
    {
        count = samples;
        analog.resize(samples * nA);
        digital.resize(samples * nD);
        stamp.resize(samples);
    }
};

class DataDecoder {
public:
    virtual ~DataDecoder() = default;
    /// Up to maxSamples further samples into block; false (block empty) when all are read. Throws ConvertError.
    virtual bool Next(SampleBlock& block, std::size_t maxSamples) = 0;

    std::int64_t MissingValues() const { return missing_; }
    std::uint64_t BytesDone() const { return window_.Consumed(); }
    std::uint64_t BytesTotal() const { return window_.End() - window_.Begin(); }
    static std::unique_ptr<DataDecoder> Create(const SourceConfig& cfg, DataType type, const SourceParts& parts,
                                               const InputFile& file);

protected:
    DataDecoder(const SourceConfig& cfg, const InputFile& file, std::uint64_t begin, std::uint64_t end)
        : nA_(cfg.analog.size()), nD_(cfg.digital.size()), samples_(cfg.Samples()), window_(file, begin, end)
    {
    }

    std::size_t nA_, nD_;
    std::int64_t samples_;   // as many as the configuration gives
    std::int64_t done_ = 0;  // read so far
    std::int64_t missing_ = 0;
    InputWindow window_;
};

}  // namespace sevrana::formats
