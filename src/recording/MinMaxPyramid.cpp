#include "MinMaxPyramid.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace sevrana {

void MinMaxPyramid::Clear()
{
    levels_.clear();
    samples_ = nullptr;
    channels_ = 0;
    samplesCount_ = 0;
}

void MinMaxPyramid::Build(const RecordingModel& model)
{
    Clear();
    channels_ = model.arrAnalogSamples.Channels();
    if (channels_ <= 0 || model.lngLastSample <= 0) return;
    samplesCount_ = std::min<long>(model.lngLastSample, model.arrAnalogSamples.Columns() - 1);
    samples_ = model.arrAnalogSamples.data();

    // Finest level straight from the samples, one pass over the block in memory order.
    Level base;
    base.block = kBaseBlock;
    base.blocks = samplesCount_ / kBaseBlock;  // only whole blocks; the tail is scanned
    if (base.blocks == 0) return;
    base.lo.assign(static_cast<std::size_t>(channels_ * base.blocks), std::numeric_limits<double>::infinity());
    base.hi.assign(base.lo.size(), -std::numeric_limits<double>::infinity());
    for (long b = 0; b < base.blocks; ++b) {
        for (long s = b * kBaseBlock; s < (b + 1) * kBaseBlock; ++s) {
            const double* column = samples_ + static_cast<std::size_t>(s) * static_cast<std::size_t>(channels_);
            for (long c = 0; c < channels_; ++c) {
                const std::size_t at = static_cast<std::size_t>(c * base.blocks + b);
                base.lo[at] = std::min(base.lo[at], column[c]);
                base.hi[at] = std::max(base.hi[at], column[c]);
            }
        }
    }
    levels_.push_back(std::move(base));
    while (levels_.back().blocks >= kFactor) {
        const Level& fine = levels_.back();
        Level coarse;
        coarse.block = fine.block * kFactor;
        coarse.blocks = fine.blocks / kFactor;
        coarse.lo.resize(static_cast<std::size_t>(channels_ * coarse.blocks));
        coarse.hi.resize(coarse.lo.size());
        for (long c = 0; c < channels_; ++c) {
            for (long b = 0; b < coarse.blocks; ++b) {
                const std::size_t from = static_cast<std::size_t>(c * fine.blocks + b * kFactor);
                const std::size_t to = static_cast<std::size_t>(c * coarse.blocks + b);
                coarse.lo[to] = *std::min_element(fine.lo.begin() + static_cast<long>(from),
                                                  fine.lo.begin() + static_cast<long>(from) + kFactor);
                coarse.hi[to] = *std::max_element(fine.hi.begin() + static_cast<long>(from),
                                                  fine.hi.begin() + static_cast<long>(from) + kFactor);
            }
        }
        levels_.push_back(std::move(coarse));
    }
}

void MinMaxPyramid::Scan(long channel, long first, long last, double& lo, double& hi) const
{
    const double* p = samples_ + static_cast<std::size_t>(first - 1) * static_cast<std::size_t>(channels_) +
                      static_cast<std::size_t>(channel - 1);
    for (long s = first; s <= last; ++s, p += channels_) {
        lo = std::min(lo, *p);
        hi = std::max(hi, *p);
    }
}

void MinMaxPyramid::Range(long channel, long first, long last, double& lo, double& hi) const
{
    if (channel < 1 || channel > channels_ || first < 1 || last > samplesCount_ || first > last)
        throw std::out_of_range("Subscript out of range");
    lo = std::numeric_limits<double>::infinity();
    hi = -std::numeric_limits<double>::infinity();
    // Work in 0-based sample offsets [a, b).
    long a = first - 1;
    long b = last;
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
        const long blk = level->block;
        const long firstBlock = (a + blk - 1) / blk;
        const long endBlock = std::min(b / blk, level->blocks);
        if (firstBlock >= endBlock) continue;
        // The whole blocks inside [a, b) at this level; the edges are left to finer levels.
        const std::size_t base = static_cast<std::size_t>((channel - 1) * level->blocks);
        for (long k = firstBlock; k < endBlock; ++k) {
            lo = std::min(lo, level->lo[base + static_cast<std::size_t>(k)]);
            hi = std::max(hi, level->hi[base + static_cast<std::size_t>(k)]);
        }
        // Recurse on the two edges with the finer levels.
        const long leftEnd = firstBlock * blk;
        const long rightStart = endBlock * blk;
        double l2 = lo, h2 = hi;
        if (a < leftEnd) {
            MinMaxPyramid::Range(channel, a + 1, leftEnd, l2, h2);
            lo = std::min(lo, l2);
            hi = std::max(hi, h2);
        }
        if (rightStart < b) {
            MinMaxPyramid::Range(channel, rightStart + 1, b, l2, h2);
            lo = std::min(lo, l2);
            hi = std::max(hi, h2);
        }
        return;
    }
    Scan(channel, first, last, lo, hi);
}

std::size_t MinMaxPyramid::Bytes() const
{
    std::size_t total = 0;
    for (const auto& l : levels_) total += (l.lo.size() + l.hi.size()) * sizeof(double);
    return total;
}

}  // namespace sevrana
