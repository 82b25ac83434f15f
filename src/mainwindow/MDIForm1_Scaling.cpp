// Scaling commands: auto-scaling of the active channel (the check box) and of
// all channels (View menu), and the channel windows' title bars with their
// name-and-scale captions.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QSignalBlocker>

#include "ChannelSetup.h"
#include "MDIForm1.h"
#include "NumberUtils.h"

namespace sevrana {

namespace {

/// Name, the word before the scale, then -scale and +scale in the channel's unit.
QString Caption(const RecordingModel& m, long i, const char* scaleWord)
{
    const double scale = m.arrChannelScale(i);
    const std::string& unit = m.arrAnalogUnits(i);
    return QString::fromStdString(m.arrAnalogNames(i) + scaleWord + GeneralNumber(-scale) + " " + unit + "..." +
                                  GeneralNumber(scale) + " " + unit);
}

}  // namespace

QString MDIForm1::AnalogCaption(long i) const { return Caption(state_.model, i, " Scale: "); }

QString MDIForm1::ScaleCaption(long i) const { return Caption(state_.model, i, ", Scale: "); }

void MDIForm1::SetCheck1(bool checked)
{
    if (Check1->isChecked() == checked) return;
    {
        const QSignalBlocker blocker(Check1);
        Check1->setChecked(checked);
    }
    Check1_Click();
}

void MDIForm1::Check1_Click()
{
    RecordingModel& m = state_.model;
    Pohja* active = ActiveChannelWindow();
    const long i = active != nullptr ? active->Index() : 0;
    if (i < 1 || i > m.AnalogCount()) return;  // only an analog channel has a scale
    if (Check1->isChecked()) {
        m.arrAutoScale(i) = kTrue;
        m.arrChannelScale(i) = AutoScaleValue(m.arrPeakValue(i));
        if (TitlesOn()) active->SetCaption(AnalogCaption(i));
        const double shown = ParseNumber(FormatPattern(m.arrChannelScale(i), "#######0.00#####")).value_or(0);
        Text6->setText(QString::fromStdString(GeneralSingle(static_cast<float>(shown))));
        Text6->setEnabled(false);
        Text6->setReadOnly(true);
        Text8->setEnabled(false);
    } else {
        // The scale stays as auto-scaling left it.
        Text6->setEnabled(true);
        Text6->setReadOnly(false);
        Text8->setEnabled(true);
        m.arrAutoScale(i) = kFalse;
        if (TitlesOn()) active->SetCaption(AnalogCaption(i));
    }
    RedrawWith(true, true);
}

void MDIForm1::Autoscaleall_Click()
{
    RecordingModel& m = state_.model;
    const Pohja* active = ActiveChannelWindow();
    const long a = active != nullptr ? active->Index() : 0;
    for (long i = 1; i <= m.AnalogCount(); ++i) {
        if (i == a) continue;
        m.arrAutoScale(i) = kTrue;
        m.arrChannelScale(i) = AutoScaleValue(m.arrPeakValue(i));
        if (TitlesOn())
            if (Pohja* w = ChannelWindow(i)) w->SetCaption(AnalogCaption(i));
    }
    if (a >= 1 && a <= m.AnalogCount() && !Check1->isChecked()) {
        SetCheck1(true);  // its handler scales the active channel and redraws everything
        return;
    }
    // The other windows show their new scales at once, not at some later redraw.
    RedrawWith(true, true);
}

void MDIForm1::Disautoscaleall_Click()
{
    RecordingModel& m = state_.model;
    const Pohja* active = ActiveChannelWindow();
    const long a = active != nullptr ? active->Index() : 0;
    for (long i = 1; i <= m.AnalogCount(); ++i)
        if (i != a) m.arrAutoScale(i) = kFalse;  // scales and captions stay
    if (a >= 1 && a <= m.AnalogCount() && Check1->isChecked()) {
        SetCheck1(false);
        return;
    }
    DrawSignal();
}

void MDIForm1::AutoScaleNewRecording()
{
    if (AutoScaleNew->isChecked() && state_.view.blnDataLoaded == kTrue && state_.model.AnalogCount() > 0)
        Autoscaleall_Click();
}

void MDIForm1::Titles_Click()
{
    const RecordingModel& m = state_.model;
    Titles->setChecked(!Titles->isChecked());
    const bool on = Titles->isChecked();
    if (template_ != nullptr && template_->Frame() != nullptr) template_->Frame()->hide();
    const long n = OpenChannelWindows();
    for (long i = 1; i <= n; ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr) continue;
        w->SetCaption(!on ? QString() : i <= m.AnalogCount() ? AnalogCaption(i) : QStringLiteral("Digital Channels"));
        w->ShowTitleBar(on);
        if (!on && w->IsMinimized()) ShowIconTitle(*w);  // an icon keeps a title bar to be restored by
        QApplication::processEvents();
    }
    // The windows' own redraws after their new size have no markers: put them back.
    RedrawWith(false, true);
}

}  // namespace sevrana
