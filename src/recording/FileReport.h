#pragma once
// The file information report: the recording's header data and one line per
// channel, as text lines. The report window, its printout and the command-line
// tool all show these same lines.

#include <string>
#include <vector>

#include "RecordingModel.h"

namespace sevrana {

inline constexpr const char* kReportTitle = "COMTRADE File Information - ";

/// The report's lines in order; tabs separate labels from values.
std::vector<std::string> FileInformationLines(const RecordingModel& model);

/// "COMTRADE File Information - " and the configuration file's path, then in brackets how the
/// newer reader read it (nothing for the 1991 loader) and the code page its texts were read in,
/// when they were not all ASCII.
std::string FileInformationTitle(const RecordingModel& model);

/// Index of the "Station ID:" line, which paper gets with one tab more.
inline constexpr std::size_t kStationIdLine = 1;

/// The "Station ID:" line as it is printed: three tabs where the window has two.
std::string PrintedStationIdLine(const RecordingModel& model);

}  // namespace sevrana
