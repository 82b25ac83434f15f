#pragma once
// The state every part of the viewer works on: the recording, what is in view,
// the renderers' working fields and the per-load indexes that make redraws
// cheap. One object, owned by the main window and passed by reference.

#include <string>

#include "DigitalEdges.h"
#include "DrawingState.h"
#include "ImportedRecording.h"
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
    // An imported recording: the file it came from, and the folder of the copy that was loaded.
    std::string importedFrom;  // empty when the recording was opened as it is
    ImportFolder importFolder;
};

}  // namespace sevrana
