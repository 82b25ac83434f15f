#pragma once
// Splitting simple loops over the cores: each slice of [0, count) on a thread
// of its own, the calling thread taking the first.

#include <algorithm>
#include <thread>
#include <vector>

namespace sevrana {

/// Threads worth starting for work of count items of which each thread should get at
/// least minimum (1 when the machine has one core or the work is small).
inline unsigned SliceCount(long count, long minimum)
{
    const unsigned cores = std::max(1u, std::min(16u, std::thread::hardware_concurrency()));
    return static_cast<unsigned>(std::clamp<long>(count / std::max(1L, minimum), 1, cores));
}

/// work(begin, end, slice) for slices slice = 0..slices - 1 that cover [0, count) in order.
template <class Work>
void ForEachSlice(long count, unsigned slices, Work work)
{
    std::vector<std::thread> pool;
    for (unsigned s = 1; s < slices; ++s)
        pool.emplace_back([&work, count, slices, s] { work(count * s / slices, count * (s + 1) / slices, s); });
    work(0, count / slices, 0u);
    for (std::thread& t : pool) t.join();
}

}  // namespace sevrana
