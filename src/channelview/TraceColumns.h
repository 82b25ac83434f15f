#pragma once
// Per pixel column of a trace: which samples fall in it and, for each channel,
// the first, lowest, highest and last of their values. The analog windows of a
// view share one table, so the column edges are worked out once per redraw and
// the samples and pyramid blocks at them are read once for all channels.

#include <cstdint>
#include <vector>

#include "MinMaxPyramid.h"
#include "RecordingModel.h"

namespace sevrana {

struct Frame;
struct RenderContext;

/// lo and hi leave gaps (NaN) out; first and last may be gaps. gap: some sample of the column is
/// missing, so its trace is broken there and must be drawn from the samples themselves.
struct ColumnValues {
    double first = 0;
    double lo = 0;
    double hi = 0;
    double last = 0;
    bool gap = false;
};

class TraceColumns {
public:
    /// Trace points from..to share pixel column x (point k is sample s0 + k).
    struct Column {
        int x = 0;
        std::int32_t from = 0;
        std::int32_t to = 0;
    };

    /// Table for points 1..frame.E - s0 of channels c1..c2 in a window of this width.
    void Compute(const RecordingModel& model, const MinMaxPyramid& pyramid, const Frame& frame, std::int32_t s0,
                 double width, long c1, long c2);

    const std::vector<Column>& Columns() const { return columns_; }

    /// From this many sample values in view (samples times channels) on, two threads share the work.
    static constexpr std::int64_t kParallelSamples = 1 << 20;
    /// One entry per column for a channel in c1..c2.
    const ColumnValues* Values(long channel) const;

private:
    long c1_ = 1;
    long c2_ = 0;
    std::vector<Column> columns_;
    std::vector<ColumnValues> values_;  // channel by channel, column by column
};

/// The last few tables, each reused while the view, the window width and the
/// recording it was made from stay the same.
class TraceColumnCache {
public:
    const TraceColumns& For(const RenderContext& ctx, const Frame& frame, double width, long channel);
    void Clear() { entries_.clear(); }

    static constexpr long kChannelsPerTable = 32;  // bounds a table's size on recordings with many channels
    static constexpr std::size_t kTables = 4;      // windows of a few different widths share the cache

private:
    struct Key {
        std::uint64_t generation = 0;
        const void* samples = nullptr;
        std::int32_t s0 = 0, E = 0, S = 0, N = 0, fs = 0;
        double width = 0;
        long c1 = 0;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        TraceColumns table;
        std::uint64_t used = 0;
    };
    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

}  // namespace sevrana
