#pragma once
// The data stage of a load: every line of the ASCII data file checked and
// converted into the sample blocks, with the raw extremes and peaks. Large
// files are parsed on every core; the result, the progress reported and the
// line a failure names are exactly those of reading the file line by line.

#include <cstdint>
#include <functional>

#include "LineReader.h"
#include "RecordingModel.h"

namespace sevrana {

/// Below this many bytes a data file is read on one thread.
inline constexpr std::uint64_t kParallelDataBytes = std::uint64_t{4} << 20;

/// How a data file is shared out among the cores. The defaults suit real recordings;
/// tests and the fuzzer ask for tiny parts from the first byte, so that small inputs
/// take the parallel path and every part boundary is crossed.
struct DataSplit {
    unsigned threads = 0;                             ///< cores used (0: all of them)
    std::uint64_t parallelFrom = kParallelDataBytes;  ///< smaller files are read on one thread
    std::uint64_t partBytes = 0;                      ///< bytes per part (0: chosen from the size and cores)
};

/// Reads data lines 1..lngLastSample of an opened data file into the model, whose
/// factor, statistics and sample arrays are sized already (the sample blocks may hold
/// fewer columns than lngLastSample + 1 when the file cannot hold that many lines).
/// progress(percent) is called on the calling thread each time the share of lines
/// taken reaches a new whole percentage, before the line that reaches it, up to the
/// last line read. Returns 0 when every line was good, else the number of the first
/// line that is missing or malformed (the model then holds exactly what reading the
/// lines before it, and the good fields of it, gave).
long ReadDataLines(RecordingModel& model, LineReader& data, const std::function<void(long percent)>& progress,
                   const DataSplit& split = {});

}  // namespace sevrana
