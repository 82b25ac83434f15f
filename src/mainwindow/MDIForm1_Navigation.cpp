// Time navigation of the main window: the zoom list, the time scroll bar with
// its two read-outs, the scale entry box and the activation watch.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

#include "ChannelSetup.h"
#include "MDIForm1.h"
#include "NumberUtils.h"
#include "ProgramError.h"
#include "TimeNavigation.h"

namespace sevrana {

namespace {

constexpr int kEnterKey = 13;

double TextValue(const QString& text) { return Val(text.toStdString()); }

// Values set from code run the change handler at once, nested in the code that
// set them, as a user's change would. The handler is called directly instead of
// through the signal, so a failure reaches the code that set the value (the
// loader reports it) rather than unwinding through Qt.

/// Runs the change handler when setting the bar moved its value.
template <class Change>
void ChangeScroll(MDIForm1& form, Change change)
{
    QScrollBar* bar = form.Scroll1;
    const int before = bar->value();
    const int position = bar->sliderPosition();
    {
        const QSignalBlocker blocker(bar);
        change(*bar);
        // A new range snaps a dragged thumb back to the old value; leave it under the hand.
        if (bar->isSliderDown()) bar->setSliderPosition(std::clamp(position, bar->minimum(), bar->maximum()));
    }
    if (bar->value() != before) form.Scroll1_Change();
}

void SetScrollValue(MDIForm1& form, int value)
{
    ChangeScroll(form, [value](QScrollBar& bar) { bar.setValue(value); });
}

/// A maximum below the minimum (a thumb dragged at full zoom, where the view is the
/// whole record) leaves a bar with the single position of its minimum.
void SetScrollRange(MDIForm1& form, int minimum, int maximum)
{
    ChangeScroll(form, [=](QScrollBar& bar) { bar.setRange(minimum, std::max(minimum, maximum)); });
}

}  // namespace

void MDIForm1::Combo1_Click()
{
    ViewState& v = state_.view;
    RecordingModel& m = state_.model;
    v.blnRedrawSignals = kTrue;
    v.blnRedrawMarkers = kTrue;
    const double percent = TextValue(Combo1->currentText());
    m.lngViewSamples = ViewSamplesForZoom(percent, m.lngLastSample);
    // An arrow of the bar moves a tenth of the view, a click beside the thumb nine tenths.
    Scroll1->setSingleStep(ScrollStep(m.lngViewSamples / 10.0, m.dblScrollFactor));
    Scroll1->setPageStep(ScrollStep(m.lngViewSamples * 9 / 10.0, m.dblScrollFactor));
    if (m.lngLastSample > m.lngViewSamples) {
        SetScrollRange(*this, Scroll1->minimum(), ScrollMaximum(m.lngLastSample, m.lngViewSamples, m.dblScrollFactor));
        Scroll1_Change();
        Scroll1->setEnabled(true);
    } else {
        SetScrollValue(*this, 1);
        Scroll1_Change();
        Scroll1->setEnabled(false);
    }
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

void MDIForm1::Scroll1_Change()
{
    ViewState& v = state_.view;
    v.blnScrolling = kTrue;
    if (v.blnDataLoaded == kTrue) {
        v.blnRedrawSignals = kTrue;
        v.blnRedrawMarkers = kTrue;
        v.lngFirstSample = ScrollFirstSample();
        if (v.lngFirstSample < 1) {
            SetScrollValue(*this, 1);
            v.lngFirstSample = 1;
        }
        DrawSignal();
        v.blnRedrawSignals = kFalse;
        v.blnRedrawMarkers = kFalse;
    }
    if (Scroll1->value() < 1) SetScrollValue(*this, 1);
    WriteReadOuts();
    v.blnScrolling = kFalse;
}

void MDIForm1::Scroll1_Scroll()
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    v.blnScrolling = kTrue;
    const double percent = TextValue(Combo1->currentText());
    SetScrollRange(*this, 1, ScrollMaximum(m.lngLastSample, percent / 100 * m.lngLastSample, m.dblScrollFactor));
    if (Scroll1->sliderPosition() < 1) SetScrollValue(*this, 1);
    WriteReadOuts();
    Text4->repaint();
    Text5->repaint();
    v.blnScrolling = kFalse;
}

void MDIForm1::Text4_MouseDown(int button)
{
    if (button != Qt::LeftButton) return;
    text4Held_ = true;
    Text4->setText(QString::fromStdString(IntText(ScrollFirstSample())));
}

void MDIForm1::Text4_MouseUp(int button)
{
    if (button != Qt::LeftButton || !text4Held_) return;
    text4Held_ = false;
    WriteReadOuts();
}

void MDIForm1::Text5_MouseDown(int)
{
    const RecordingModel& m = state_.model;
    text5Held_ = true;
    Text5->setText(QString::fromStdString(IntText(EndSample(ScrollFirstSample(), m.lngViewSamples, m.lngLastSample))));
}

void MDIForm1::Text5_MouseUp(int)
{
    if (!text5Held_) return;
    text5Held_ = false;
    WriteReadOuts();
}

int MDIForm1::Text6_KeyPress(int keyAscii) { return FilterScaleKey(keyAscii); }

void MDIForm1::Text6_KeyDown(int keyCode)
{
    ViewState& v = state_.view;
    RecordingModel& m = state_.model;
    if (keyCode != kEnterKey || v.blnDataLoaded != kTrue) return;
    if (!Text6->text().isEmpty()) {
        QString text = Text6->text();
        text.replace(',', '.');
        Text6->setText(text);
    }
    Pohja* active = ActiveChannelWindow();
    if (active == nullptr) return;
    const long i = active->Index();
    if (Text6->text().isEmpty() || i < 1 || i >= m.AnalogCount() + 1) return;

    const std::string text = Text6->text().toStdString();
    double x = 0;
    try {
        x = Val(text);
    } catch (const ConversionError&) {
        platform_.MessageBox(QString::fromStdString(ErrorNumberMessage(ProgramError::Overflow())));
        return;
    }
    const double heightTwips = static_cast<double>(height()) * kTwipsPerPixel;
    const ScaleVerdict verdict = ScaleEntryVerdict(x, m.arrChannelScale(i), m.arrFullScale(i), heightTwips);
    if (verdict.accept) {
        m.arrChannelScale(i) = x;
        if (TitlesOn()) active->SetCaption(ScaleCaption(i));
        RedrawWith(true, true);
    }
    if (verdict.tooLarge) platform_.MessageBox(QString::fromStdString(ScaleMaximumMessage(text)));
    if (verdict.tooSmall) platform_.MessageBox(QString::fromStdString(ScaleMinimumMessage(text, verdict.smallest)));
}

void MDIForm1::Timer1_Timer()
{
    ViewState& v = state_.view;
    try {
        const void* active = platform_.ActiveWindow();
        if (active == v.varLastActiveWindow) return;
        const void* self = static_cast<const QWidget*>(this);
        if (active == self && v.varLastActiveWindow != self && v.blnDataLoaded == kTrue) {
            // The marker overlay is not part of the windows' kept pictures: paint it again.
            v.blnRedrawMarkers = kTrue;
            DrawSignal();
            v.blnRedrawMarkers = kTrue;
        }
        v.varLastActiveWindow = active;
    } catch (...) {
        // A failed tick is skipped; the next one looks again.
    }
}

bool MDIForm1::IsZoomInList(double percent) const
{
    for (int k = 0; k < Combo1->count(); ++k)
        if (TextValue(Combo1->itemText(k)) == percent) return true;
    return false;
}

void MDIForm1::ZoomKeeping(int index, double sample, double fraction)
{
    const RecordingModel& m = state_.model;
    const std::int32_t inView = ViewSamplesForZoom(TextValue(Combo1->itemText(index)), m.lngLastSample);
    const double first = FirstSampleKeeping(sample, fraction, inView) * m.dblScrollFactor;
    {
        // The bar gets the new range and position first, so the zoom below draws the windows once, already there.
        const QSignalBlocker blocker(Scroll1);
        const int maximum = std::max(1, ScrollMaximum(m.lngLastSample, inView, m.dblScrollFactor));
        Scroll1->setRange(1, maximum);
        Scroll1->setValue(static_cast<int>(std::clamp(first, 1.0, static_cast<double>(maximum))));
    }
    const QSignalBlocker blocker(Combo1);
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

void MDIForm1::WriteReadOuts()
{
    const RecordingModel& m = state_.model;
    const std::int32_t first = ScrollFirstSample();
    Text4->setText(QString::fromStdString(StartReadout(first, m.lngSampleRate)));
    Text5->setText(QString::fromStdString(EndReadout(first, m.lngViewSamples, m.lngLastSample, m.lngSampleRate)));
}

std::int32_t MDIForm1::ScrollFirstSample() const
{
    // The thumb's position: while it is dragged this is where the hand has it.
    return FirstSampleFromScroll(Scroll1->sliderPosition(), state_.model.dblScrollFactor);
}

void MDIForm1::FillZoomList()
{
    {
        const QSignalBlocker blocker(Combo1);
        Combo1->clear();
    }
    for (const std::string& item : ZoomListItems(state_.model.lngLastSample)) {
        {
            // Adding to an empty list selects the first item; only the final choice applies a zoom.
            const QSignalBlocker blocker(Combo1);
            Combo1->addItem(QString::fromStdString(item));
        }
        QCoreApplication::processEvents();
    }
    {
        const QSignalBlocker blocker(Combo1);
        Combo1->setCurrentIndex(Combo1->count() - 1);
    }
    FitToolBarTexts();  // a long record's finer items are wider than "100 %"
    // Applied here, once, whether or not the index changed (a one-item list is already on it).
    Combo1_Click();
}

}  // namespace sevrana
