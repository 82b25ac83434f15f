// The main window's renderer, the channel windows it owns, their events, and
// the four arrangements of the channel windows.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <new>

#include "ChannelSetup.h"
#include "MDIForm1.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "ProgramError.h"
#include "SignalRenderer.h"

namespace sevrana {

namespace {

/// Channel windows close only when the program closes them all.
class CloseGuard : public QObject {
public:
    CloseGuard(PohjaHost& host, Pohja& window, QObject* parent) : QObject(parent), host_(host), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !host_.Pohja_MayUnload(window_)) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    PohjaHost& host_;
    Pohja& window_;
};

}  // namespace

Pohja* MDIForm1::ChannelWindow(long i) const
{
    if (i < 1 || i >= static_cast<long>(arrChannelWindows_.size())) return nullptr;
    return arrChannelWindows_[static_cast<std::size_t>(i)];
}

long MDIForm1::OpenChannelWindows() const
{
    long n = 0;
    for (std::size_t i = 1; i < arrChannelWindows_.size(); ++i)
        if (arrChannelWindows_[i] != nullptr) ++n;
    return n;
}

Pohja* MDIForm1::ActiveChannelWindow() const
{
    QMdiSubWindow* sub = mdiArea->activeSubWindow();
    if (sub == nullptr) return nullptr;
    auto* window = qobject_cast<Pohja*>(sub->widget());
    return window == template_ ? nullptr : window;
}

Pohja* MDIForm1::CreateChannelWindow(long index)
{
    auto* window = new Pohja(*this);
    window->Tag = QString::number(index);
    Qt::WindowFlags flags = Qt::SubWindow;
    if (!TitlesOn()) flags |= Qt::FramelessWindowHint;
    QMdiSubWindow* sub = mdiArea->addSubWindow(window, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->installEventFilter(new CloseGuard(*this, *window, sub));
    sub->hide();
    if (index == 0) {
        // The hidden template: placed like one share of the area, never shown.
        window->Tag = "100";
        template_ = window;
        const long shares = state_.model.AnalogCount() + state_.model.intHasDigital;
        if (shares == 0) throw ProgramError::DivisionByZero();
        const QSize client = ClientSize();
        sub->setGeometry(0, 0, client.width(), static_cast<int>(client.height() / shares));
        return window;
    }
    if (arrChannelWindows_.size() <= static_cast<std::size_t>(index))
        arrChannelWindows_.resize(static_cast<std::size_t>(index) + 1, nullptr);
    arrChannelWindows_[static_cast<std::size_t>(index)] = window;
    return window;
}

bool MDIForm1::Pohja_MayUnload(Pohja&) { return state_.view.blnUnloadingWindows == kTrue; }

void MDIForm1::DrawSignal()
{
    ViewState& v = state_.view;
    RecordingModel& m = state_.model;
    const long nA = m.AnalogCount();
    const long windows = nA + m.intHasDigital;
    RenderContext ctx{m, v, state_.drawing, &state_.pyramid, &state_.edges, TitlesOn(), &state_.columns};

    // Cursors come back on every exit, whatever happened.
    QCursor remembered;
    bool haveCursor = false;
    auto restoreCursors = [&] {
        for (long i = 1; i <= windows; ++i)
            if (Pohja* w = ChannelWindow(i)) {
                if (haveCursor)
                    w->setCursor(remembered);
                else
                    w->unsetCursor();
            }
        unsetCursor();
    };

    if (v.blnArranging == kTrue) {
        restoreCursors();
        return;
    }
    try {
        Frame frame = ComputeFrame(m, v);
        Pohja* first = ChannelWindow(nA > 0 ? 1 : nA + 1);
        if (first == nullptr) throw ProgramError::SubscriptOutOfRange();
        if (v.blnRedrawSignals == kTrue) {
            for (long i = 1; i <= windows; ++i)
                if (Pohja* w = ChannelWindow(i)) w->setCursor(Qt::WaitCursor);
            setCursor(Qt::WaitCursor);
        }
        haveCursor = first->testAttribute(Qt::WA_SetCursor) && first->cursor().shape() != Qt::WaitCursor;
        if (haveCursor) remembered = first->cursor();

        if (v.blnMarkersOn == kTrue && v.blnScrolling != kTrue && v.blnMarkerMoving == kTrue) {
            Pohja* active = ActiveChannelWindow();
            if (active == nullptr) throw ProgramError::SubscriptOutOfRange();
            MarkerFollowUp(ctx, frame, active->canvas().ScaleWidth(), Mark1->isChecked());
        }

        for (long i = 1; i <= nA; ++i) {
            Pohja* w = ChannelWindow(i);
            if (w == nullptr) throw ProgramError::SubscriptOutOfRange();
            if (w->IsMinimized()) continue;
            state_.drawing.frmPlot = i;
            Canvas& canvas = w->canvas();
            DrawGrid(canvas, ctx, i);
            if (m.arrChannelScale(i) == 0) throw ProgramError::DivisionByZero();
            if (v.blnMarkersOn == kTrue) PlaceMarkers(ctx, frame, canvas.ScaleWidth(), v.lngFirstSample);
            DrawAnalogTrace(canvas, ctx, i, frame);
            if (v.blnMarkersOn == kTrue && v.blnRedrawMarkers == kTrue) DrawAnalogMarkers(canvas, ctx, i, frame);
            w->update();
        }

        if (m.intDigitalCount > 0) {
            Pohja* w = ChannelWindow(nA + 1);
            if (w != nullptr && m.arrDigitalSelection(m.intDigitalCount + 1) >= 1 && !w->IsMinimized()) {
                state_.drawing.frmPlot = nA + 1;
                Canvas& canvas = w->canvas();
                DrawDigitalWindow(canvas, ctx, frame, true, ScrollFirstSample());
                canvas.SetAutoRedraw(false);
                if (v.blnMarkersOn == kTrue && v.blnRedrawMarkers == kTrue) DrawDigitalMarkers(canvas, ctx, frame);
                w->update();
            }
        }

        if (v.blnMarkersOn == kTrue) {
            const ReadOuts r = ComputeReadOuts(ctx, frame);
            Text2->setText(r.deltaT);
            Text3->setText(r.inverse);
            Text2->repaint();
            Text3->repaint();
        }
    } catch (const std::bad_alloc&) {
        platform_.MessageBox("Not enough memory to display signal! Close some Sevrana windows and try again.");
        restoreCursors();
        return;
    } catch (...) {
        platform_.MessageBox(QString::fromStdString(ErrorNumberMessage(DescribeFailure(std::current_exception()))));
    }
    restoreCursors();
}

void MDIForm1::Pohja_DrawGrid(Pohja& window)
{
    RenderContext ctx{state_.model, state_.view, state_.drawing, &state_.pyramid, &state_.edges, TitlesOn(), &state_.columns};
    DrawGrid(window.canvas(), ctx, window.Index());
    window.update();
}

void MDIForm1::Pohja_DrawSignal(Pohja& window)
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    const long i = window.Index();
    if (v.blnArranging == kTrue) return;
    RenderContext ctx{state_.model, v, state_.drawing, &state_.pyramid, &state_.edges, TitlesOn(), &state_.columns};
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
    window.update();
}

void MDIForm1::Pohja_Resize(Pohja& window)
{
    ViewState& v = state_.view;
    RecordingModel& m = state_.model;
    if (&window == template_) return;
    const bool loaded = v.blnDataLoaded == kTrue;
    const long nD = m.intDigitalCount;
    if (loaded && window.Index() == m.AnalogCount() + 1 && !window.IsMinimized() &&
        m.arrDigitalSelection(nD + 1) <= 0) {
        m.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(nD);
        m.arrDigitalSelection(0) = 1;
        return;
    }
    if (v.blnArranging != kTrue && loaded) Timer1->start();
    if (!loaded) return;
    try {
        v.blnRedrawSignals = kTrue;
        v.blnRedrawMarkers = kTrue;
        window.DrawGrid();
        window.DrawSignal();
    } catch (...) {
        platform_.MessageBox(QString::fromStdString(ErrorNumberMessage(DescribeFailure(std::current_exception()))));
    }
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

void MDIForm1::Pohja_GotFocus(Pohja& window)
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    if (v.blnDataLoaded != kTrue || &window == template_) return;
    const long i = window.Index();
    if (i < m.AnalogCount() + 1) {
        Check1->setEnabled(true);
        if (!Check1->isChecked()) {
            Text6->setEnabled(true);
            Text8->setEnabled(true);
        }
        const QByteArray shown = Text6->text().toUtf8();
        if (Val(std::string_view(shown.constData(), static_cast<std::size_t>(shown.size()))) != m.arrChannelScale(i))
            Text6->setText(QString::fromStdString(FormatPattern(m.arrChannelScale(i), "#######0.00#####")));
        Text8->setText(QString::fromStdString(m.arrAnalogUnits(i)));
        Check1->setChecked(m.arrAutoScale(i) == kTrue);
        Label1->setText(QString::fromStdString(m.arrAnalogNames(i)) + "  Scale:");
    } else if (i == m.AnalogCount() + 1) {
        Text6->setEnabled(false);
        Text8->setEnabled(false);
        Check1->setEnabled(false);
        Text6->clear();
        Text8->clear();
        Label1->setText("Scale:");
    } else {
        return;
    }
    v.blnRedrawMarkers = kTrue;
    v.blnRedrawSignals = kFalse;
    DrawSignal();
    v.blnRedrawMarkers = kFalse;
    v.blnRedrawSignals = kFalse;
}

void MDIForm1::Hor_Click()
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    const bool enabled = isEnabled() && centralWidget() != nullptr && centralWidget()->isEnabled();
    QMdiSubWindow* remembered = enabled ? mdiArea->activeSubWindow() : nullptr;
    v.blnArranging = kTrue;
    if (template_ != nullptr && template_->Frame() != nullptr) template_->Frame()->hide();
    const long n = OpenChannelWindows();
    const long limit = std::min(n, m.AnalogCount() + m.intHasDigital);
    long shown = n;
    for (long i = 1; i <= limit; ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || w->Frame() == nullptr) continue;
        if (w->IsMinimized()) --shown;
        w->Frame()->hide();
        QApplication::processEvents();
    }
    const QSize client = ClientSize();
    long k = 1;
    for (long i = 1; i <= limit && shown > 0; ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || w->Frame() == nullptr) continue;
        if (w->IsMinimized()) {
            ++k;
        } else {
            const double share = static_cast<double>(client.height()) / static_cast<double>(shown);
            w->Frame()->setGeometry(0, static_cast<int>((i - k) * share), client.width(), static_cast<int>(share));
        }
        w->Frame()->show();
        QApplication::processEvents();
    }
    v.blnArranging = kFalse;
    v.blnRedrawMarkers = kTrue;
    v.blnRedrawSignals = kTrue;
    DrawSignal();
    if (enabled && remembered != nullptr) mdiArea->setActiveSubWindow(remembered);
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

namespace {

/// Runs an arrangement with a title bar on every channel window when they have none.
template <class Arrange>
void WithTitleBars(MDIForm1& form, bool titlesOn, Arrange arrange)
{
    if (titlesOn) {
        arrange();
        return;
    }
    if (form.TemplateWindow() != nullptr && form.TemplateWindow()->Frame() != nullptr)
        form.TemplateWindow()->Frame()->hide();
    const long n = form.OpenChannelWindows();
    auto setFrames = [&](bool framed) {
        for (long i = 1; i <= n; ++i)
            if (Pohja* w = form.ChannelWindow(i); w != nullptr && w->Frame() != nullptr) {
                const bool visible = w->Frame()->isVisible();
                w->Frame()->setWindowFlag(Qt::FramelessWindowHint, !framed);
                w->Frame()->setWindowTitle(framed ? QStringLiteral(" ") : QString());
                if (visible) w->Frame()->show();
            }
    };
    setFrames(true);
    arrange();
    setFrames(false);
}

}  // namespace

void MDIForm1::Til_Click()
{
    WithTitleBars(*this, TitlesOn(), [this] { mdiArea->tileSubWindows(); });
}

void MDIForm1::Cas_Click()
{
    WithTitleBars(*this, TitlesOn(), [this] { mdiArea->cascadeSubWindows(); });
}

void MDIForm1::Ico_Click()
{
    // Line up the minimized windows along the bottom of the area, left to right.
    const QSize client = ClientSize();
    int x = 0;
    for (long i = 1; i <= OpenChannelWindows(); ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || !w->IsMinimized()) continue;
        QMdiSubWindow* frame = w->Frame();
        if (x + frame->width() > client.width() && x > 0) x = 0;
        frame->move(x, client.height() - frame->height());
        x += frame->width();
    }
}

}  // namespace sevrana
