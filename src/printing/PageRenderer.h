#pragma once
// The printed page of one channel window: for an analog channel a plot of the
// time window on screen with its value axis, labels, grid, time ticks, trace,
// trigger line and texts, markers and a title line; for the digital channels
// window one band per chosen digital channel. Drawn in twips on a Printer; the
// caller starts and ends the pages.

#include <cstdint>
#include <functional>

#include "DrawingState.h"
#include "RecordingModel.h"
#include "ViewState.h"

namespace sevrana {

class Printer;

/// What a page is drawn from.
struct PageSource {
    const RecordingModel& model;
    ViewState& view;         // the markers' x positions are left in page units
    DrawingState& drawing;   // trace counters and marker times, as on screen
    std::function<bool(long)> minimized;  // channel window i is minimized
    int scrollValue = 0;     // the time scroll bar's position
};

/// Draws the page of channel window index (1..nA analog, nA + 1 digital) on the
/// printer's current page; a minimized window gives an empty page. Throws
/// ProgramError (a zero scale, an overflow, a printer failure) with the page drawn
/// as far as it got.
void DrawPage(Printer& printer, const PageSource& source, std::int16_t index);

/// Analog page label of value division k (0 top .. 10 bottom) for scale s, without the unit.
double DivisionValue(double scale, int k);

}  // namespace sevrana
