// The two measuring markers: the switch on the tool bar, the choice of the
// marker the mouse and arrow keys move, the cursors that show it, and the
// View menu's jumps to a marker or to the trigger point.

#include <QAction>
#include <QFrame>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "Cursors.h"
#include "MDIForm1.h"
#include "NumberUtils.h"

namespace sevrana {

void MDIForm1::Command1_Click()
{
    ViewState& v = state_.view;
    if (v.blnMarkersOn == kTrue) {
        v.blnMarkersOn = kFalse;
        ShowMarkersOff();
        RedrawWith(true, true);  // the full redraw takes the marker lines away
        return;
    }
    Command1->setText(QStringLiteral("Markers: ON"));
    gotom1->setEnabled(true);
    gotom2->setEnabled(true);
    v.blnMarkersOn = kTrue;
    Mark1->setEnabled(true);
    Mark1->setChecked(true);
    Mark2->setChecked(false);
    SetChannelCursors(kCursorMarker1);
    Mark2->setEnabled(true);
    Frame1->show();
    Frame2->show();
    // Both in the middle: the next redraw puts their samples in the middle of the view.
    v.varMarker1X = static_cast<float>(width() / 2.0);
    v.lngMarker2X = ToInt32(width() / 2.0);
    v.blnPlaceMarkers = kTrue;
    RedrawWith(false, true);
}

void MDIForm1::ShowMarkersOff()
{
    Command1->setText(QStringLiteral("Markers: OFF"));
    gotom1->setEnabled(false);
    gotom2->setEnabled(false);
    Mark1->setEnabled(false);
    Mark2->setEnabled(false);
    Frame1->hide();
    Frame2->hide();
    SetChannelCursors(kCursorZoom);
}

void MDIForm1::Mark1_Click()
{
    Mark1->setChecked(true);
    Mark2->setChecked(false);
    SetChannelCursors(kCursorMarker1);
    FollowInMeasurements();  // the diagram shows the marker that moves
}

void MDIForm1::Mark2_Click()
{
    Mark1->setChecked(false);
    Mark2->setChecked(true);
    SetChannelCursors(kCursorMarker2);
    FollowInMeasurements();
}

void MDIForm1::SetChannelCursors(int cursorId)
{
    const QCursor cursor = ChannelCursor(cursorId);
    const long windows = state_.model.AnalogCount() + state_.model.intHasDigital;
    for (long i = 1; i <= windows; ++i)
        if (Pohja* w = ChannelWindow(i)) w->setCursor(cursor);
}

void MDIForm1::CentreViewOn(double sample)
{
    const double half = state_.model.lngViewSamples / 2.0;
    const double target = RoundHalfEven((sample - half) * state_.model.dblScrollFactor);
    // Setting the value runs the scroll handler, which moves the view and redraws.
    if (target > Scroll1->maximum())
        Scroll1->setValue(Scroll1->maximum());
    else if (sample > half)
        Scroll1->setValue(static_cast<int>(target));
    else
        Scroll1->setValue(1);
}

void MDIForm1::MarkSample(std::int32_t sample)
{
    ViewState& v = state_.view;
    if (v.blnDataLoaded != kTrue) return;
    if (v.blnMarkersOn != kTrue) Command1_Click();
    Mark1_Click();
    v.varMarker1Sample = std::clamp(sample, 1, std::max(1, state_.model.lngLastSample));
    v.blnPlaceMarkers = kFalse;  // the marker stands on its sample, not in the middle
    const int scrolled = Scroll1->value();
    gotom1_Click();  // a scroll redraws every window, the markers placed by their samples
    if (Scroll1->value() == scrolled) RedrawWith(false, true);
}

void MDIForm1::gotom1_Click()
{
    if (state_.view.blnMarkersOn == kTrue) CentreViewOn(state_.view.varMarker1Sample);
}

void MDIForm1::gotom2_Click()
{
    if (state_.view.blnMarkersOn == kTrue) CentreViewOn(state_.view.lngMarker2Sample);
}

void MDIForm1::TrPoint_Click() { CentreViewOn(state_.model.lngTriggerSample); }

}  // namespace sevrana
