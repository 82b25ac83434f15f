#pragma once
// sevrana-cli events: every state change of the digital channels in time order, as
// tab-separated lines or as one JSON object.

#include <iosfwd>
#include <string>
#include <vector>

#include "DigitalEvents.h"

namespace sevrana::cli {

/// The channels (all when none is asked for) and their changes as one JSON object, LF line ends.
std::string EventsJson(const RecordingModel& model, const DigitalEdges& edges, const std::vector<long>& channels);

/// One line per change: time (s), sample, channel, name, from, to; tab-separated, LF line ends.
std::string EventsText(const RecordingModel& model, const std::vector<analysis::DigitalEvent>& events);

/// args starts with "events"; returns the exit code.
int RunEvents(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace sevrana::cli
