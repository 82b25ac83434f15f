#include "MinMaxPyramid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "Parallel.h"

namespace sevrana {

void MinMaxPyramid::Clear()
{
    levels_.clear();
    samples_ = nullptr;
    channels_ = 0;
    samplesCount_ = 0;
    hasGaps_ = false;
    ++generation_;
}

void MinMaxPyramid::Build(const RecordingModel& model)
{
    Clear();
    channels_ = model.arrAnalogSamples.Channels();
    if (channels_ <= 0 || model.lngLastSample <= 0) return;
    samplesCount_ = std::min<long>(model.lngLastSample, model.arrAnalogSamples.Columns() - 1);
    samples_ = model.arrAnalogSamples.data();
    const auto C = static_cast<std::size_t>(channels_);
    constexpr long base = 1L << kBaseShift;
    constexpr long factor = 1L << kFactorShift;

    // Finest level straight from the samples, in memory order.
    Level first;
    first.blocks = samplesCount_ >> kBaseShift;  // only whole blocks; the tail is scanned
    const auto tailFrom = static_cast<std::size_t>(first.blocks << kBaseShift) * C;
    hasGaps_ = std::any_of(samples_ + tailFrom, samples_ + static_cast<std::size_t>(samplesCount_) * C,
                           [](double v) { return std::isnan(v); });
    if (first.blocks == 0) return;
    first.mm.resize(2 * C * static_cast<std::size_t>(first.blocks));
    first.gaps.resize(C * static_cast<std::size_t>(first.blocks));
    // The finest level reads every sample: it is built on every core, a slice of blocks each.
    ForEachSlice(first.blocks, SliceCount(first.blocks, 1L << 14), [&](long from, long to, unsigned) {
    for (long b = from; b < to; ++b) {
        const double* column = samples_ + static_cast<std::size_t>(b * base) * C;
        double* mm = first.mm.data() + 2 * C * static_cast<std::size_t>(b);
        double* __restrict lo = mm;
        double* __restrict hi = mm + C;
        std::uint8_t* __restrict gap = first.gaps.data() + C * static_cast<std::size_t>(b);
        // The value second: std::min and std::max then keep what they have against a NaN.
        std::fill(lo, lo + C, std::numeric_limits<double>::infinity());
        std::fill(hi, hi + C, -std::numeric_limits<double>::infinity());
        for (long s = 0; s < base; ++s, column += C) {
            for (std::size_t c = 0; c < C; ++c) {
                lo[c] = std::min(lo[c], column[c]);
                hi[c] = std::max(hi[c], column[c]);
                gap[c] |= static_cast<std::uint8_t>(column[c] != column[c]);
            }
        }
    }
    });
    hasGaps_ = hasGaps_ || std::any_of(first.gaps.begin(), first.gaps.end(), [](std::uint8_t g) { return g != 0; });
    levels_.push_back(std::move(first));
    while (levels_.back().blocks >= factor) {
        const Level& fine = levels_.back();
        Level coarse;
        coarse.blocks = fine.blocks >> kFactorShift;
        coarse.mm.resize(2 * C * static_cast<std::size_t>(coarse.blocks));
        coarse.gaps.resize(C * static_cast<std::size_t>(coarse.blocks));
        for (long b = 0; b < coarse.blocks; ++b) {
            const double* from = fine.mm.data() + 2 * C * static_cast<std::size_t>(b * factor);
            const std::uint8_t* fromGap = fine.gaps.data() + C * static_cast<std::size_t>(b * factor);
            double* to = coarse.mm.data() + 2 * C * static_cast<std::size_t>(b);
            std::uint8_t* toGap = coarse.gaps.data() + C * static_cast<std::size_t>(b);
            std::copy(from, from + 2 * C, to);
            std::copy(fromGap, fromGap + C, toGap);
            for (long k = 1; k < factor; ++k) {
                from += 2 * C;
                fromGap += C;
                for (std::size_t c = 0; c < C; ++c) to[c] = std::min(to[c], from[c]);
                for (std::size_t c = C; c < 2 * C; ++c) to[c] = std::max(to[c], from[c]);
                for (std::size_t c = 0; c < C; ++c) toGap[c] |= fromGap[c];
            }
        }
        levels_.push_back(std::move(coarse));
    }
}

void MinMaxPyramid::Range(long channel, long first, long last, double& lo, double& hi, bool* gap) const
{
    Ranges(channel, channel, first, last, &lo, &hi, gap);
}

void MinMaxPyramid::Ranges(long c1, long c2, long first, long last, double* __restrict lo, double* __restrict hi,
                           bool* __restrict gap) const
{
    if (c1 < 1 || c2 > channels_ || c1 > c2 || first < 1 || last > samplesCount_ || first > last)
        throw std::out_of_range("Subscript out of range");
    const auto n = static_cast<std::size_t>(c2 - c1 + 1);
    const auto C = static_cast<std::size_t>(channels_);
    std::fill(lo, lo + n, std::numeric_limits<double>::infinity());
    std::fill(hi, hi + n, -std::numeric_limits<double>::infinity());
    if (gap != nullptr) std::fill(gap, gap + n, false);
    if (!hasGaps_) gap = nullptr;  // nothing to look for
    // As in Build, the sample second: a NaN leaves the minimum and maximum as they are.
    auto scan = [&](long from, long to) {
        const double* p = samples_ + static_cast<std::size_t>(from - 1) * C + static_cast<std::size_t>(c1 - 1);
        for (long s = from; s <= to; ++s, p += C)
            for (std::size_t c = 0; c < n; ++c) {
                lo[c] = std::min(lo[c], p[c]);
                hi[c] = std::max(hi[c], p[c]);
            }
        if (gap == nullptr) return;
        p = samples_ + static_cast<std::size_t>(from - 1) * C + static_cast<std::size_t>(c1 - 1);
        for (long s = from; s <= to; ++s, p += C)
            for (std::size_t c = 0; c < n; ++c) gap[c] = gap[c] || p[c] != p[c];
    };
    auto take = [&](const Level& L, long k) {
        const double* blockLo = L.mm.data() + 2 * C * static_cast<std::size_t>(k) + static_cast<std::size_t>(c1 - 1);
        const double* blockHi = blockLo + C;
        for (std::size_t c = 0; c < n; ++c) {
            lo[c] = std::min(lo[c], blockLo[c]);
            hi[c] = std::max(hi[c], blockHi[c]);
        }
        if (gap == nullptr) return;
        const std::uint8_t* blockGap =
            L.gaps.data() + C * static_cast<std::size_t>(k) + static_cast<std::size_t>(c1 - 1);
        for (std::size_t c = 0; c < n; ++c) gap[c] = gap[c] || blockGap[c] != 0;
    };
    constexpr long base = 1L << kBaseShift;
    constexpr long factor = 1L << kFactorShift;
    // Whole finest blocks inside [first, last] (0-based block numbers a..b).
    long a = (first - 1 + base - 1) >> kBaseShift;
    long b = (last >> kBaseShift) - 1;
    if (levels_.empty() || a > b) {
        scan(first, last);
        return;
    }
    scan(first, a << kBaseShift);                                        // head before the first whole block
    if (((b + 1) << kBaseShift) < last) scan(((b + 1) << kBaseShift) + 1, last);  // tail after the last
    for (std::size_t level = 0; level < levels_.size() && a <= b; ++level) {
        const Level& L = levels_[level];
        if (level + 1 == levels_.size()) {
            for (long k = a; k <= b; ++k) take(L, k);
            break;
        }
        // Blocks that do not make up a whole block of the next level are taken here.
        while (a <= b && (a & (factor - 1)) != 0) take(L, a++);
        while (a <= b && ((b + 1) & (factor - 1)) != 0) take(L, b--);
        if (a > b) break;
        a >>= kFactorShift;
        b = ((b + 1) >> kFactorShift) - 1;
    }
}

long MinMaxPyramid::UniformBlock(long channel, long from, long to, double& lo, double& hi) const
{
    if (channel < 1 || channel > channels_ || from < 1 || to > samplesCount_)
        throw std::out_of_range("Subscript out of range");
    const auto C = static_cast<std::size_t>(channels_);
    const auto c = static_cast<std::size_t>(channel - 1);
    const long offset = from - 1;
    long found = 0;
    bool gaps = false;  // the kind of the blocks found so far: nothing but gaps, or none
    // Each level's block at from holds the finer one: the first that is not whole, fits not or
    // is not of the finer one's kind ends the search.
    for (std::size_t level = 0; level < levels_.size(); ++level) {
        const int shift = kBaseShift + static_cast<int>(level) * kFactorShift;
        const long size = 1L << shift;
        const Level& L = levels_[level];
        const long k = offset >> shift;
        if ((offset & (size - 1)) != 0 || offset + size > to || k >= L.blocks) break;
        const auto at = static_cast<std::size_t>(k);
        const double blockLo = L.mm[2 * C * at + c];
        const double blockHi = L.mm[2 * C * at + C + c];
        const bool onlyGaps = blockLo > blockHi;
        if (L.gaps[C * at + c] != 0 && !onlyGaps) break;
        if (level > 0 && onlyGaps != gaps) break;
        gaps = onlyGaps;
        lo = blockLo;
        hi = blockHi;
        found = size;
    }
    return found;
}

std::size_t MinMaxPyramid::Bytes() const
{
    std::size_t total = 0;
    for (const auto& l : levels_) total += l.mm.size() * sizeof(double) + l.gaps.size();
    return total;
}

}  // namespace sevrana
