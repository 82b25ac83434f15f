#pragma once
// The state every part of the viewer works on: the recording, what is in view,
// the renderers' working fields and the per-load indexes that make redraws
// cheap. One object, owned by the main window and passed by reference.

#include <string>

#include "DigitalEdges.h"
#include "DrawingState.h"
#include "MinMaxPyramid.h"
#include "RecordingModel.h"
#include "ViewState.h"

namespace sevrana {

struct SharedState {
    RecordingModel model;
    ViewState view;
    DrawingState drawing;
    MinMaxPyramid pyramid;  // rebuilt after every load
    DigitalEdges edges;     // rebuilt after every load
    std::string varIniFile;  // settings file, worked out at start-up
};

}  // namespace sevrana
