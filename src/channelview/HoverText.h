#pragma once
// What a channel window tells about the point under the mouse pointer: the sample
// there, and the tool tip text (digital rows always, analog windows when they have
// no title bar to carry the channel's name).

#include <cstdint>
#include <string>

#include "RecordingModel.h"
#include "ViewState.h"

namespace sevrana {

/// The sample drawn nearest to x in a window of this width showing the current view,
/// kept within the record (the traces place sample n at width × (n − first) / view).
std::int32_t SampleAtX(const RecordingModel& model, const ViewState& view, double x, double width);

/// The shown digital channel whose row holds y in a window of this height (rows of equal
/// height, top to bottom in channel order); 0 when none is shown there.
long DigitalRowChannel(const RecordingModel& model, double y, double height);

/// Tool tip of channel window `index` for the pointer at x, y in a window of width × height:
/// "3: TRIP = 1" over a digital row (number, name, state at the pointer's sample);
/// "IA [A]: 123.5" over an analog window without a title bar ("IA [A]: missing" for a sample
/// without a value). Empty when there is nothing to tell.
std::string HoverText(const RecordingModel& model, const ViewState& view, long index, bool titleBar, double x, double y,
                      double width, double height);

}  // namespace sevrana
