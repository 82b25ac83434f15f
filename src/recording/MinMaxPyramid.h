#pragma once
// Per-channel minimum and maximum over blocks of samples, built once per load,
// so that the range of any stretch of samples is found by arithmetic over a few
// blocks instead of a walk over every sample (a waveform viewer's mip-map).
// Never averages: a one-sample fault peak survives every zoom.
//
// Like the samples, every level keeps the channels of one block side by side:
// a redraw asks for the same stretch of every channel, and then each block and
// each raw sample it reads serves all channels from one or two cache lines.
//
// A missing sample (NaN) is a gap: the minimum and maximum ignore it, and each
// block remembers whether it held one. A stretch of gaps only has lo > hi
// (+infinity and -infinity), which tells it apart without a flag of its own.

#include <cstdint>
#include <vector>

#include "RecordingModel.h"

namespace sevrana {

class MinMaxPyramid {
public:
    /// Builds the levels for every analog channel of the model (samples 1..lngLastSample).
    void Build(const RecordingModel& model);
    void Clear();

    /// Smallest and largest value of channel (1-based) over samples first..last (1-based, inclusive),
    /// gaps left out (lo > hi when there is nothing but gaps); gap, when given, says whether there was one.
    void Range(long channel, long first, long last, double& lo, double& hi, bool* gap = nullptr) const;
    /// The same for channels c1..c2 at once: lo[0], hi[0] (and gap[0]) belong to channel c1.
    void Ranges(long c1, long c2, long first, long last, double* lo, double* hi, bool* gap = nullptr) const;

    /// The largest block of any level that starts at sample from, ends by sample to and of channel
    /// holds either no gap or nothing but gaps (then lo > hi): its number of samples, and its extremes
    /// in lo and hi; 0 when there is none (from is not where a block starts, or the finest block
    /// there holds values and gaps).
    long UniformBlock(long channel, long from, long to, double& lo, double& hi) const;

    /// Whether any sample of any channel is a gap: without one, nobody need look for them.
    bool HasGaps() const { return hasGaps_; }

    /// Bytes held by the levels.
    std::size_t Bytes() const;
    /// Changes with every Build and Clear, so results derived from the levels know when they are stale.
    std::uint64_t Generation() const { return generation_; }

    static constexpr int kBaseShift = 4;    // 16 samples per block of the finest level
    static constexpr int kFactorShift = 2;  // each further level is 4 times coarser

private:
    struct Level {
        long blocks = 0;           // blocks per channel
        std::vector<double> mm;    // per block: every channel's minimum, then every channel's maximum
        std::vector<std::uint8_t> gaps;  // per block, every channel: 1 when it held a gap
    };

    const double* samples_ = nullptr;
    long channels_ = 0;
    long samplesCount_ = 0;
    bool hasGaps_ = false;
    std::vector<Level> levels_;
    std::uint64_t generation_ = 0;
};

}  // namespace sevrana
