#pragma once
// Every state change of every digital channel in time order, taken from the edge
// index built at load, so a long record with many channels gives its list at once.
// Plain code over the recording model.

#include <cstdint>
#include <string>
#include <vector>

#include "DigitalEdges.h"
#include "RecordingModel.h"

namespace sevrana::analysis {

/// Digital channel `channel` holds `to` from sample `sample` on, and held `from` at the sample before.
struct DigitalEvent {
    std::int32_t sample = 0;   // 2..N
    std::int16_t channel = 0;  // 1..nD
    std::int16_t from = 0;     // the states as recorded: 0 or 1 in any sound recording
    std::int16_t to = 0;

    bool operator==(const DigitalEvent&) const = default;
};

/// The changes of the channels asked for (1-based; every channel when none is asked for), ordered
/// by sample, then channel. Throws std::out_of_range for a channel outside 1..nD.
std::vector<DigitalEvent> DigitalEvents(const RecordingModel& model, const DigitalEdges& edges,
                                        const std::vector<long>& channels = {});

/// The state of digital channel k at sample 1 (0 when the record has no sample).
int InitialState(const RecordingModel& model, long k);

/// Whether the trigger lies inside the record (its sample is then lngTriggerSample).
bool TriggerInRecord(const RecordingModel& model);

/// (sample - 1) / fs, in seconds; 0 without a rate.
double SampleTime(const RecordingModel& model, long sample);

/// The change as the event list shows it: "0→1" or "1→0".
std::string ChangeText(const DigitalEvent& event);

/// The event list's columns.
inline constexpr const char* kEventHeadings[] = {"Time (s)", "From trigger (ms)", "Sample", "Channel", "Name", "Change",
                                                 "Normal"};
inline constexpr int kEventColumns = 7;

/// One row of the event list, a text per column: the time from the first sample (s, 6 decimals),
/// from the trigger (ms, 3 decimals), the sample, the channel's number and name, the change, and
/// whether the new state is the channel's normal state ("yes" or "no").
std::vector<std::string> EventCells(const RecordingModel& model, const DigitalEvent& event);

}  // namespace sevrana::analysis
