#pragma once
// Where each digital channel changes state and to what, found once per load, so
// a redraw visits the changes in view rather than every sample, and never has to
// look into the sample block again for the states on either side of a change.

#include <cstdint>
#include <vector>

#include "RecordingModel.h"

namespace sevrana {

class DigitalEdges {
public:
    void Build(const RecordingModel& model);
    void Clear()
    {
        changes_.clear();
        states_.clear();
    }
    /// Samples n (2..lngLastSample) of channel k (1-based) whose state differs from sample n - 1, ascending.
    const std::vector<std::int32_t>& Changes(long channel) const { return changes_.at(Slot(channel)); }
    /// The state each of those samples changes to (same order).
    const std::vector<std::int16_t>& States(long channel) const { return states_.at(Slot(channel)); }
    bool empty() const { return changes_.empty(); }

private:
    static std::size_t Slot(long channel) { return static_cast<std::size_t>(channel - 1); }
    std::vector<std::vector<std::int32_t>> changes_;
    std::vector<std::vector<std::int16_t>> states_;
};

}  // namespace sevrana
