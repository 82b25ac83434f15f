#pragma once
// Where each digital channel changes state, found once per load, so a redraw
// visits the changes in view rather than every sample.

#include <cstdint>
#include <vector>

#include "RecordingModel.h"

namespace sevrana {

class DigitalEdges {
public:
    void Build(const RecordingModel& model);
    void Clear() { changes_.clear(); }
    /// Samples n (2..lngLastSample) of channel k (1-based) whose state differs from sample n - 1, ascending.
    const std::vector<std::int32_t>& Changes(long channel) const { return changes_.at(static_cast<std::size_t>(channel - 1)); }
    bool empty() const { return changes_.empty(); }

private:
    std::vector<std::vector<std::int32_t>> changes_;
};

}  // namespace sevrana
