#pragma once
// Per-channel minimum and maximum over blocks of samples, built once per load,
// so that the range of any stretch of samples is found by arithmetic over a few
// blocks instead of a walk over every sample (a waveform viewer's mip-map).
// Never averages: a one-sample fault peak survives every zoom.

#include <cstdint>
#include <vector>

#include "RecordingModel.h"

namespace sevrana {

class MinMaxPyramid {
public:
    /// Builds the levels for every analog channel of the model (samples 1..lngLastSample).
    void Build(const RecordingModel& model);
    void Clear();

    /// Smallest and largest value of channel (1-based) over samples first..last (1-based, inclusive).
    void Range(long channel, long first, long last, double& lo, double& hi) const;

    /// Bytes held by the levels.
    std::size_t Bytes() const;

    static constexpr int kBaseShift = 4;    // 16 samples per block of the finest level
    static constexpr int kFactorShift = 2;  // each further level is 4 times coarser

private:
    struct Level {
        long blocks = 0;           // blocks per channel
        std::vector<double> mm;    // channel-major, per block its minimum then its maximum
    };
    void Scan(long channel, long first, long last, double& lo, double& hi) const;

    const double* samples_ = nullptr;
    long channels_ = 0;
    long samplesCount_ = 0;
    std::vector<Level> levels_;
};

}  // namespace sevrana
