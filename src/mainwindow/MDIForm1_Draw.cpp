// The main window's renderer, and what the channel windows ask of the main
// window: their own redraws, the tool bar for the active channel, the marker
// menu, the activation watch and failure reports.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <new>

#include "MDIForm1.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "ProgramError.h"
#include "SignalRenderer.h"

namespace sevrana {

void MDIForm1::DrawSignal()
{
    ViewState& v = state_.view;
    RecordingModel& m = state_.model;
    const long windows = m.AnalogCount() + m.intHasDigital;

    // Every window gets back the cursor it had before the busy one, on every way out.
    struct KeptCursor {
        QPointer<Pohja> window;
        bool set;
        QCursor cursor;
    };
    std::vector<KeptCursor> kept;
    for (long i = 1; i <= windows; ++i)
        if (Pohja* w = ChannelWindow(i)) kept.push_back({w, w->testAttribute(Qt::WA_SetCursor), w->cursor()});
    auto finish = [&] {
        for (const KeptCursor& k : kept) {
            if (k.window == nullptr) continue;
            k.window->ShowChanges();
            if (k.set)
                k.window->setCursor(k.cursor);
            else
                k.window->unsetCursor();
        }
        unsetCursor();
    };

    if (v.blnArranging == kTrue) {
        finish();
        return;
    }
    try {
        if (v.blnRedrawSignals == kTrue) {
            for (const KeptCursor& k : kept) k.window->setCursor(Qt::WaitCursor);
            setCursor(Qt::WaitCursor);
        }
        std::vector<ChannelCanvas> canvases;
        for (long i = 1; i <= windows; ++i) {
            Pohja* w = ChannelWindow(i);
            canvases.push_back({w != nullptr ? &w->canvas() : nullptr, w != nullptr && w->IsMinimized()});
        }
        const Pohja* active = ActiveChannelWindow();
        const RenderContext ctx{m, v, state_.drawing, &state_.pyramid, &state_.edges, TitlesOn(), &columns_};
        const std::optional<ReadOuts> readOuts =
            RenderChannelWindows(ctx, canvases, active != nullptr ? active->canvas().ScaleWidth() : -1.0,
                                 Mark1->isChecked(), ScrollFirstSample());
        if (readOuts) {
            Text2->setText(readOuts->deltaT);
            Text3->setText(readOuts->inverse);
            Text2->setCursorPosition(0);
            Text3->setCursorPosition(0);
            Text2->repaint();
            Text3->repaint();
        }
        // After the renderer, which settles where a dragged marker stands.
        FollowInMeasurements();
    } catch (const std::bad_alloc&) {
        platform_.MessageBox("Not enough memory to display signal! Close some Sevrana windows and try again.");
    } catch (...) {
        ReportFailure(std::current_exception());
    }
    finish();
}

void MDIForm1::RedrawWith(bool traces, bool markers)
{
    ViewState& v = state_.view;
    v.blnRedrawSignals = traces ? kTrue : kFalse;
    v.blnRedrawMarkers = markers ? kTrue : kFalse;
    DrawSignal();
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

void MDIForm1::DrawGridOf(Pohja& window)
{
    const RenderContext ctx{state_.model, state_.view, state_.drawing, &state_.pyramid,
                            &state_.edges, TitlesOn(),   &columns_};
    DrawGrid(window.canvas(), ctx, window.Index());
    window.ShowChanges();
}

void MDIForm1::DrawSignalOf(Pohja& window)
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    const long i = window.Index();
    if (v.blnArranging == kTrue) return;
    const RenderContext ctx{state_.model, v, state_.drawing, &state_.pyramid, &state_.edges, TitlesOn(), &columns_};
    Frame frame = ComputeFrame(m, v);
    Canvas& canvas = window.canvas();
    if (v.blnRedrawSignals == kTrue && i > 0 && i <= m.AnalogCount()) {
        DrawAnalogTrace(canvas, ctx, i, frame);
        canvas.SetAutoRedraw(true);
        canvas.SetDrawStyle(Qt::SolidLine);
    } else if (v.blnRedrawSignals == kTrue && i == m.AnalogCount() + 1) {
        if (m.arrDigitalSelection(m.intDigitalCount + 1) <= 0 || window.IsMinimized()) {
            canvas.SetAutoRedraw(false);
            return;
        }
        DrawDigitalWindow(canvas, ctx, frame, false, v.lngFirstSample);
        canvas.SetDrawStyle(Qt::SolidLine);
        canvas.SetAutoRedraw(false);
    }
    window.ShowChanges();
}

void MDIForm1::ShowChannelInToolBar(Pohja& window)
{
    const RecordingModel& m = state_.model;
    const long i = window.Index();
    toolBarWindow_ = i;
    // The tool bar's commands act on the active window: make sure this is the one.
    if (window.Frame() != nullptr && mdiArea->activeSubWindow() != window.Frame())
        mdiArea->setActiveSubWindow(window.Frame());
    if (i <= m.AnalogCount()) {
        Check1->setEnabled(true);
        if (!Check1->isChecked()) {
            Text6->setEnabled(true);
            Text8->setEnabled(true);
        }
        // A number too large to read (typed, never entered) is reported as Enter reports it,
        // once the box shows the channel's scale again: the message box hands the focus back
        // to this window, which must not find the same text there.
        std::exception_ptr unreadable;
        double typed = 0;
        try {
            typed = Val(Text6->text().toStdString());
        } catch (const ConversionError&) {
            unreadable = std::current_exception();
        }
        if (unreadable || typed != m.arrChannelScale(i))
            Text6->setText(QString::fromStdString(FormatPattern(m.arrChannelScale(i), "#######0.00#####")));
        Text8->setText(QString::fromStdString(m.arrAnalogUnits(i)));
        SetCheck1(m.arrAutoScale(i) == kTrue);
        SetScaleLabel(QString::fromStdString(m.arrAnalogNames(i)));
        if (unreadable) ReportFailure(unreadable);
    } else {
        Text6->setEnabled(false);
        Text8->setEnabled(false);
        Check1->setEnabled(false);
        Text6->clear();
        Text8->clear();
        SetScaleLabel(QString());
    }
}

void MDIForm1::FollowActiveWindow()
{
    if (state_.view.blnDataLoaded != kTrue) return;
    if (Pohja* active = ActiveChannelWindow(); active != nullptr && active->Index() != toolBarWindow_)
        active->Form_GotFocus();
}

int MDIForm1::ActiveMarker() const
{
    if (Mark1->isChecked()) return 1;
    if (Mark2->isChecked()) return 2;
    return 0;
}

void MDIForm1::ShowMarkerMenu(const QPoint& globalPosition) { Pop->popup(globalPosition); }

void MDIForm1::StartActivationWatch() { Timer1->start(); }

void MDIForm1::ReportFailure(std::exception_ptr failure)
{
    platform_.MessageBox(QString::fromStdString(ErrorNumberMessage(DescribeFailure(failure))));
}

}  // namespace sevrana
