#pragma once
// The state every part of the viewer works on: the recording, what is in view,
// the renderers' working fields and the per-load indexes that make redraws
// cheap. One object, owned by the main window and passed by reference.

#include <string>

#include "DigitalEdges.h"
#include "DrawingState.h"
#include "MinMaxPyramid.h"
#include "RecordingModel.h"
#include "TraceColumns.h"
#include "ViewState.h"

namespace sevrana {

struct SharedState {
    RecordingModel model;
    ViewState view;
    DrawingState drawing;
    MinMaxPyramid pyramid;  // rebuilt after every load
    DigitalEdges edges;     // rebuilt after every load
    TraceColumnCache columns;  // per-column trace values shared by the analog windows of a redraw
    std::string varIniFile;  // settings file, worked out at start-up
};

}  // namespace sevrana
