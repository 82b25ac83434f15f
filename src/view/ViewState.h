#pragma once
// What every channel window shows: the shared time window, the two markers,
// the redraw requests and the program-wide flags event handlers test.

#include <cstdint>

#include "RecordingModel.h"

namespace sevrana {

struct ViewState {
    // Time window (lngViewSamples and dblScrollFactor live with the recording model).
    std::int32_t lngFirstSample = 0;

    // Markers.
    Flag blnMarkersOn = kFalse;
    float varMarker1X = 0;
    std::int32_t lngMarker2X = 0;
    std::int32_t varMarker1Sample = 0;
    std::int32_t lngMarker2Sample = 0;
    Flag blnPlaceMarkers = kFalse;
    Flag blnMarkerMoving = kFalse;
    Flag blnMarkerKeyMove = kFalse;

    // Zoom rectangle.
    float varZoomStartX = 0;
    double varZoomPercent = 0;
    std::int32_t lngZoomLeftSample = 0;

    // Redraw requests.
    Flag blnRedrawSignals = kFalse;
    Flag blnRedrawMarkers = kFalse;

    // Program-wide flags.
    Flag blnDataLoaded = kFalse;
    Flag blnArranging = kFalse;
    Flag blnScrolling = kFalse;
    Flag blnUnloadingWindows = kFalse;
    const void* varLastActiveWindow = nullptr;
};

}  // namespace sevrana
