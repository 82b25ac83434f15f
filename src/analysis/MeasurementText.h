#pragma once
// Measurements as text: the numbers as the Measurements window shows them, and both of its tables
// as tab-separated text for the clipboard and the command line.

#include <optional>
#include <string>

#include "Measurement.h"

namespace sevrana::analysis {

/// 5 significant digits, then " " and the unit (nothing after an empty unit). Plain decimals
/// from 1E-05 up to below 1E+10, "1.2346E+12" outside; "." as the separator; no "-0".
std::string FormatValue(double v, const std::string& unit);

/// One decimal and "°"; "--" when empty or NaN (measured over a gap). -180 shows as 180 and -0 as 0.
std::string FormatAngle(std::optional<double> degrees);

/// One decimal and " %"; "--" when empty or NaN.
std::string FormatPercent(std::optional<double> percent);

/// A time in seconds with microseconds, as the markers show it: "0.012000 s".
std::string FormatSeconds(double seconds);

/// Sample, time, window, frequency, reference and cycle lines, then the channel table and the
/// three-phase group table, each with a header line; tab-separated, LF line ends. With m2, every
/// numeric column comes for M1, M2 and M2 - M1 (angles wrapped into (-180, 180]).
std::string TablesText(const RecordingModel& model, const Measurement& m1, const Measurement* m2 = nullptr);

}  // namespace sevrana::analysis
