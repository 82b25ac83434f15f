#pragma once
// sevrana-cli measure: values, RMS, phasors, harmonics and sequence components of a recording at
// one sample, as the two tables or as one JSON object.

#include <iosfwd>
#include <string>
#include <vector>

#include "Measurement.h"

namespace sevrana::cli {

/// The measurement as one JSON object, numbers in full precision, LF line ends.
std::string MeasurementJson(const RecordingModel& model, const analysis::Measurement& m);

/// args starts with "measure"; returns the exit code.
int RunMeasure(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace sevrana::cli
