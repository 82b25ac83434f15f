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

/// Reads data lines 1..lngLastSample of an opened data file into the model, whose
/// factor, statistics and sample arrays are sized already. progress(percent) is called
/// on the calling thread each time the share of lines taken reaches a new whole
/// percentage, before the line that reaches it, up to the last line read. Returns 0
/// when every line was good, else the number of the first line that is missing or
/// malformed (the model then holds exactly what reading the lines before it, and the
/// good fields of it, gave).
/// threads limits the cores used (0: all of them).
long ReadDataLines(RecordingModel& model, LineReader& data, const std::function<void(long percent)>& progress,
                   unsigned threads = 0);

/// Below this many bytes a data file is read on one thread.
inline constexpr std::uint64_t kParallelDataBytes = std::uint64_t{4} << 20;

/// Reads the lines on one thread whatever the size (the reference for the parallel path).
long ReadDataLinesSequential(RecordingModel& model, LineReader& data,
                             const std::function<void(long percent)>& progress);

}  // namespace sevrana
