// The dialogs the main window opens: channel selection, the file information
// report and the About box. Each runs with the main window disabled and gives
// it back the focus afterwards. The measurements window, which stays open beside
// the main window, and the digital events window.

#include <QScreen>

#include <algorithm>

#include "DigitalEventsWindow.h"
#include "File_Info.h"
#include "MDIForm1.h"
#include "Measurements.h"
#include "SelctSign.h"
#include "frmAbout.h"

namespace sevrana {

void MDIForm1::GiveBackFocus()
{
    setEnabled(true);
    // Active again, the window gives the focus back to the channel window that had it.
    activateWindow();
}

void MDIForm1::SelChs_Click()
{
    setEnabled(false);
    {
        SelctSign dialog(*this);
        dialog.ShowAndWait();
    }
    GiveBackFocus();
    Hor_Click();  // the windows still shown share the area again
}

void MDIForm1::Filinfo_Click()
{
    setEnabled(false);
    {
        File_Info report(state_.model, platform_, this);
        report.ShowAndWait();
    }
    GiveBackFocus();
    DrawSignal();  // the windows the report covered, with the requests as they stand
}

void MDIForm1::About_Click()
{
    setEnabled(false);
    {
        frmAbout about(this);
        about.exec();
    }
    GiveBackFocus();
    if (state_.view.blnDataLoaded == kTrue) DrawSignal();
}

void MDIForm1::PlaceBeside(QWidget& window) const
{
    // First opened: beside the main window where the screen has room, else over its right side.
    const QRect frame = frameGeometry();
    if (const QScreen* where = screen()) {
        const QRect room = where->availableGeometry();
        const int left = frame.right() + 1 + window.width() <= room.right()
                             ? frame.right() + 1
                             : std::max(room.left(), room.right() - window.width());
        window.move(left, frame.top());
    }
}

void MDIForm1::Measure_Click()
{
    if (measurements_ == nullptr) {
        measurements_ = new Measurements(state_.model, platform_, this);
        PlaceBeside(*measurements_);
        if (state_.view.blnDataLoaded == kTrue) measurements_->Reset();
    }
    measurements_->show();
    measurements_->raise();
    measurements_->activateWindow();
    FollowInMeasurements();
}

void MDIForm1::Events_Click()
{
    if (events_ == nullptr) {
        events_ = new DigitalEventsWindow(state_.model, state_.edges, platform_, this,
                                          [this](std::int32_t sample) { MarkSample(sample); });
        PlaceBeside(*events_);
        if (state_.view.blnDataLoaded == kTrue) events_->Reset();
    }
    events_->show();
    events_->raise();
    events_->activateWindow();
}

void MDIForm1::FollowInMeasurements()
{
    if (measurements_ != nullptr && measurements_->isVisible()) measurements_->Follow(state_.view, ActiveMarker());
}

}  // namespace sevrana
