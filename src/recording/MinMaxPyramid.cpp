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
    constexpr long base = 1L << kBaseShift;
    constexpr long factor = 1L << kFactorShift;

    // Finest level straight from the samples, one pass over the block in memory order.
    Level first;
    first.blocks = samplesCount_ >> kBaseShift;  // only whole blocks; the tail is scanned
    if (first.blocks == 0) return;
    first.mm.resize(static_cast<std::size_t>(2 * channels_ * first.blocks));
    std::vector<double> lo(static_cast<std::size_t>(channels_)), hi(lo.size());
    for (long b = 0; b < first.blocks; ++b) {
        const double* column = samples_ + static_cast<std::size_t>(b * base) * static_cast<std::size_t>(channels_);
        for (long c = 0; c < channels_; ++c) lo[static_cast<std::size_t>(c)] = hi[static_cast<std::size_t>(c)] = column[c];
        for (long s = 1; s < base; ++s) {
            column += channels_;
            for (long c = 0; c < channels_; ++c) {
                lo[static_cast<std::size_t>(c)] = std::min(lo[static_cast<std::size_t>(c)], column[c]);
                hi[static_cast<std::size_t>(c)] = std::max(hi[static_cast<std::size_t>(c)], column[c]);
            }
        }
        for (long c = 0; c < channels_; ++c) {
            const std::size_t at = static_cast<std::size_t>(2 * (c * first.blocks + b));
            first.mm[at] = lo[static_cast<std::size_t>(c)];
            first.mm[at + 1] = hi[static_cast<std::size_t>(c)];
        }
    }
    levels_.push_back(std::move(first));
    while (levels_.back().blocks >= factor) {
        const Level& fine = levels_.back();
        Level coarse;
        coarse.blocks = fine.blocks >> kFactorShift;
        coarse.mm.resize(static_cast<std::size_t>(2 * channels_ * coarse.blocks));
        for (long c = 0; c < channels_; ++c) {
            const double* from = fine.mm.data() + 2 * c * fine.blocks;
            double* to = coarse.mm.data() + 2 * c * coarse.blocks;
            for (long b = 0; b < coarse.blocks; ++b) {
                double l = from[2 * b * factor], h = from[2 * b * factor + 1];
                for (long k = 1; k < factor; ++k) {
                    l = std::min(l, from[2 * (b * factor + k)]);
                    h = std::max(h, from[2 * (b * factor + k) + 1]);
                }
                to[2 * b] = l;
                to[2 * b + 1] = h;
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
    constexpr long base = 1L << kBaseShift;
    // Whole finest blocks inside [first, last] (0-based block numbers a..b).
    long a = (first - 1 + base - 1) >> kBaseShift;
    long b = (last >> kBaseShift) - 1;
    if (levels_.empty() || a > b) {
        Scan(channel, first, last, lo, hi);
        return;
    }
    Scan(channel, first, a << kBaseShift, lo, hi);                // head before the first whole block
    if (((b + 1) << kBaseShift) < last) Scan(channel, ((b + 1) << kBaseShift) + 1, last, lo, hi);  // tail
    constexpr long factor = 1L << kFactorShift;
    for (std::size_t level = 0; level < levels_.size() && a <= b; ++level) {
        const Level& L = levels_[level];
        const double* mm = L.mm.data() + 2 * (channel - 1) * L.blocks;
        auto take = [&](long k) {
            lo = std::min(lo, mm[2 * k]);
            hi = std::max(hi, mm[2 * k + 1]);
        };
        const bool last_level = level + 1 == levels_.size();
        if (last_level) {
            for (long k = a; k <= b; ++k) take(k);
            break;
        }
        // Blocks that do not make up a whole block of the next level are taken here.
        while (a <= b && (a & (factor - 1)) != 0) take(a++);
        while (a <= b && ((b + 1) & (factor - 1)) != 0) take(b--);
        if (a > b) break;
        a >>= kFactorShift;
        b = ((b + 1) >> kFactorShift) - 1;
    }
}

std::size_t MinMaxPyramid::Bytes() const
{
    std::size_t total = 0;
    for (const auto& l : levels_) total += l.mm.size() * sizeof(double);
    return total;
}

}  // namespace sevrana
