#include "DigitalEdges.h"

#include <algorithm>

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
    for (long n = 2; n <= last; ++n) {
        const std::int16_t* now = data + static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(nD);
        const std::int16_t* before = now - nD;
        for (long k = 0; k < nD; ++k)
            if (now[k] != before[k]) {
                changes_[static_cast<std::size_t>(k)].push_back(static_cast<std::int32_t>(n));
                states_[static_cast<std::size_t>(k)].push_back(now[k]);
            }
    }
}

}  // namespace sevrana
