#include "TraceColumns.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <thread>

#include "ProgramError.h"
#include "SignalRenderer.h"

namespace sevrana {

void TraceColumns::Compute(const RecordingModel& m, const MinMaxPyramid& pyramid, const Frame& frame,
                           std::int32_t s0, double width, long c1, long c2)
{
    if (c1 < 1 || c2 > m.arrAnalogSamples.Channels() || c1 > c2) throw ProgramError::SubscriptOutOfRange();
    c1_ = c1;
    c2_ = c2;
    columns_.clear();
    const std::int32_t fs = m.lngSampleRate;
    auto column = [&](std::int32_t k) { return PointPixel(frame, width, static_cast<double>(k) + 1, fs); };
    const double S = m.lngViewSamples;
    const std::int32_t last = frame.E - s0;
    std::int32_t k = 1;
    while (k <= last) {
        const int c = column(k);
        // The run of points sharing this column: x never decreases with k, so start from
        // where the column's right edge falls (x is about W * k / S) and step to the exact end.
        const double guess = std::floor((c + 0.5) * S / width);
        std::int32_t end = static_cast<std::int32_t>(std::clamp<double>(guess, k, last));
        while (end > k && column(end) > c) --end;
        while (end < last && column(end + 1) <= c) ++end;
        columns_.push_back({c, k, end});
        k = end + 1;
    }

    const auto n = static_cast<std::size_t>(c2 - c1 + 1);
    const std::size_t count = columns_.size();
    values_.resize(n * count);
    auto fill = [&](std::size_t from, std::size_t to) {
        std::vector<double> lo(n), hi(n);
        const std::unique_ptr<bool[]> gap(new bool[n]);
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        const bool gaps = pyramid.HasGaps();  // a recording without gaps skips the look for them
        for (std::size_t j = from; j < to; ++j) {
            const Column& col = columns_[j];
            const double* first = &m.arrAnalogSamples(c1, s0 + col.from);
            const double* lastOf = &m.arrAnalogSamples(c1, s0 + col.to);
            const bool inner = col.to > col.from + 1;
            if (inner)
                pyramid.Ranges(c1, c2, s0 + col.from + 1, s0 + col.to - 1, lo.data(), hi.data(),
                               gaps ? gap.get() : nullptr);
            for (std::size_t c = 0; c < n; ++c) {
                ColumnValues& v = values_[c * count + j];
                v.first = first[c];
                v.last = lastOf[c];
                // The sample second, so that a gap leaves the extremes as they are.
                v.lo = std::min(std::min(kInfinity, v.first), v.last);
                v.hi = std::max(std::max(-kInfinity, v.first), v.last);
                v.gap = std::isnan(v.first) || std::isnan(v.last) || (inner && gaps && gap[c]);
                if (inner) {
                    v.lo = std::min(v.lo, lo[c]);
                    v.hi = std::max(v.hi, hi[c]);
                }
            }
        }
    };
    // With many samples per column the work is waiting for memory: a second thread
    // doing the right half keeps twice as many reads in flight. Columns are independent.
    const std::int64_t samples = static_cast<std::int64_t>(last) * static_cast<std::int64_t>(n);
    if (samples < kParallelSamples || count < 2) {
        fill(0, count);
        return;
    }
    const std::size_t mid = count / 2;
    std::exception_ptr failure;
    std::thread helper([&] {
        try {
            fill(mid, count);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        fill(0, mid);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
}

const ColumnValues* TraceColumns::Values(long channel) const
{
    if (channel < c1_ || channel > c2_) throw ProgramError::SubscriptOutOfRange();
    return values_.data() + static_cast<std::size_t>(channel - c1_) * columns_.size();
}

const TraceColumns& TraceColumnCache::For(const RenderContext& ctx, const Frame& frame, double width, long channel)
{
    const RecordingModel& m = ctx.model;
    if (ctx.pyramid == nullptr) throw ProgramError::SubscriptOutOfRange();
    const long c1 = (channel - 1) / kChannelsPerTable * kChannelsPerTable + 1;
    const long c2 = std::min(c1 + kChannelsPerTable - 1, m.arrAnalogSamples.Channels());
    const Key key{ctx.pyramid->Generation(), m.arrAnalogSamples.data(), ctx.view.lngFirstSample, frame.E,
                  m.lngViewSamples, m.lngLastSample, m.lngSampleRate, width, c1};
    ++clock_;
    for (Entry& e : entries_)
        if (e.key == key) {
            e.used = clock_;
            return e.table;
        }
    TraceColumns table;
    table.Compute(m, *ctx.pyramid, frame, ctx.view.lngFirstSample, width, c1, c2);
    Entry* slot;
    if (entries_.size() < kTables) {
        slot = &entries_.emplace_back();
    } else {
        slot = &*std::min_element(entries_.begin(), entries_.end(),
                                  [](const Entry& a, const Entry& b) { return a.used < b.used; });
    }
    slot->key = key;
    slot->table = std::move(table);
    slot->used = clock_;
    return slot->table;
}

}  // namespace sevrana
