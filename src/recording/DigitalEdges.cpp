#include "DigitalEdges.h"

#include <algorithm>

#include "Parallel.h"

namespace sevrana {

void DigitalEdges::Build(const RecordingModel& model)
{
    Clear();
    const long nD = model.arrDigitalSamples.Channels();
    if (nD <= 0) return;
    const long last = std::min<long>(model.lngLastSample, model.arrDigitalSamples.Columns() - 1);
    changes_.resize(static_cast<std::size_t>(nD));
    states_.resize(static_cast<std::size_t>(nD));
    const std::int16_t* data = model.arrDigitalSamples.data();
    if (last < 2) return;
    // Slices of samples on every core, each with its own lists, joined in sample order.
    const unsigned slices = SliceCount(last - 1, 1L << 16);
    std::vector<std::vector<std::vector<std::int32_t>>> changes(slices);
    std::vector<std::vector<std::vector<std::int16_t>>> states(slices);
    ForEachSlice(last - 1, slices, [&](long from, long to, unsigned slice) {
        auto& sliceChanges = changes[slice];
        auto& sliceStates = states[slice];
        sliceChanges.resize(static_cast<std::size_t>(nD));
        sliceStates.resize(static_cast<std::size_t>(nD));
        for (long n = from + 2; n < to + 2; ++n) {
            const std::int16_t* now = data + static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(nD);
            const std::int16_t* before = now - nD;
            for (long k = 0; k < nD; ++k)
                if (now[k] != before[k]) {
                    sliceChanges[static_cast<std::size_t>(k)].push_back(static_cast<std::int32_t>(n));
                    sliceStates[static_cast<std::size_t>(k)].push_back(now[k]);
                }
        }
    });
    for (unsigned slice = 0; slice < slices; ++slice)
        for (std::size_t k = 0; k < static_cast<std::size_t>(nD); ++k) {
            auto& to = changes_[k];
            const auto& from = changes[slice][k];
            to.insert(to.end(), from.begin(), from.end());
            auto& toStates = states_[k];
            const auto& fromStates = states[slice][k];
            toStates.insert(toStates.end(), fromStates.begin(), fromStates.end());
        }
}

}  // namespace sevrana
