#pragma once
// The renderers' working fields, shared by the screen and page renderers.

#include <cstdint>

namespace sevrana {

struct DrawingState {
    std::int32_t varPlotSample = 0;    // sample being plotted by the trace loops
    std::int32_t varPlotPoint = 0;     // next trace point to fill, plus one
    std::int32_t lngTriggerPlotPoint = 0;  // varPlotPoint when the trigger sample was plotted; 0 when not plotted
    double varMarker1Time = 0;         // seconds, limited to the record
    double dblMarker2Time = 0;
    long frmPlot = 0;                  // index of the channel window being drawn
    bool blnPrintError = false;        // a page failed and said so; the print command abandons the job
};

}  // namespace sevrana
