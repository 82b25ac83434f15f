#pragma once
// The parts of a recording's channel set-up that need no windows: initial
// scales, zoom list items, digital names and the trigger point.

#include <cstdint>
#include <string>
#include <vector>

#include "Loader.h"
#include "RecordingModel.h"

namespace sevrana {

/// Initial display scale from a channel's full-scale value F: F * 1.1 when the
/// whole part of F is at most 4, else F rounded plus 1; shown to four decimals at
/// most; never 0 (1.0 instead).
double InitialScale(double fullScale);

/// Scale of an auto-scaled channel from the largest absolute value of its samples:
/// the rule of the initial scale, applied to the peak.
inline double AutoScaleValue(double peak) { return InitialScale(peak); }

/// Samples in view for a zoom percentage: percent / 100 of N − 1, rounded
/// (halves to even); the whole record (N) when that rounds to 0.
std::int32_t ViewSamplesForZoom(double percent, std::int32_t lastSample);

/// Items of the zoom list for a record of lastSample samples ("12 %", ..., "100 %").
/// Above 100,000 samples, finer items come before "1 %" ("0.005 %", "0.01 %", "0.02 %",
/// "0.05 %", ..., "0.5 %") down to the last one whose view holds at least 100 samples.
/// Throws std::domain_error for a record without samples (there is no zoom step).
std::vector<std::string> ZoomListItems(std::int32_t lastSample);

/// Percentage a zoom rectangle spanning this share of the record (in percent) stands for:
/// rounded to a whole percent, or where that is 0 to the nearest of 0.5, 0.2, 0.1, 0.05, ...
/// (0 for an empty span). Whether that is an item of the list is for the list to say.
double ZoomRectanglePercent(double spanPercent);

/// "1:name1, 2:name2, ..." of all digital channels.
std::string DigitalNamesText(const RecordingModel& model);

enum class TriggerResult {
    InRecord,
    OutOfRecord,    ///< computed, but before the first or after the last sample
    BadTimeStamps,  ///< a date line is malformed, or the rate is 0
};

/// Sets varTriggerTime and lngTriggerSample from the two date lines. A trigger too far from the record for a
/// 32-bit sample number is at sample 0 before it, at lngLastSample + 1 after it.
TriggerResult ComputeTriggerPoint(RecordingModel& model);

/// Everything of the channel set-up that the command-line checker can run, in the
/// viewer's order and with its messages: flags, zoom list check,
/// window-height share check, initial scales, digital selection, trigger point and
/// digital names. False when the viewer would fail here (message already shown).
bool PrepareChannels(RecordingModel& model, LoadObserver& observer);

}  // namespace sevrana
