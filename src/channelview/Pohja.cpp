#include "Pohja.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

#include "HoverText.h"
#include "NumberUtils.h"
#include "SharedState.h"
#include "SignalRenderer.h"

namespace sevrana {

namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

/// 1 left, 2 right, added up for both; the handlers act on no other button.
int Buttons(Qt::MouseButtons buttons) { return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0); }

/// One sample further, never past what a sample number can hold.
std::int32_t Step(std::int32_t sample, int delta)
{
    const std::int64_t next = static_cast<std::int64_t>(sample) + delta;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(next, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

int VirtualKeyCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Print:
    case Qt::Key_SysReq: return 44;  // X keyboard maps give Print Screen with Alt as SysReq
    default: break;
    }
    // Letters and digits already carry their virtual-key codes; the handlers act on no other key.
    const int key = event.key();
    return key < 0x80 ? key : key & 0xFFFF;
}

int ShiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

Pohja::Pohja(PohjaHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
}

long Pohja::Index() const
{
    const QByteArray text = Tag.toUtf8();
    return static_cast<long>(Val(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))));
}

QMdiSubWindow* Pohja::Frame() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

bool Pohja::IsMinimized() const
{
    const QMdiSubWindow* frame = Frame();
    return frame != nullptr && frame->isMinimized();
}

void Pohja::DrawGrid() { host_.DrawGridOf(*this); }

void Pohja::DrawSignal() { host_.DrawSignalOf(*this); }

void Pohja::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (QMdiSubWindow* frame = Frame()) frame->setWindowTitle(caption);
}

void Pohja::ShowTitleBar(bool on)
{
    QMdiSubWindow* frame = Frame();
    if (frame == nullptr || frame->windowFlags().testFlag(Qt::FramelessWindowHint) == !on) return;
    const bool visible = frame->isVisible();
    const Qt::WindowStates state = frame->windowState();
    // The window keeps its state: passing through the normal one below is no restore.
    const QScopedValueRollback keepingState(keepingState_, true);
    frame->setWindowFlag(Qt::FramelessWindowHint, !on);  // this hides the frame
    // A minimized window's icon takes its size from the frame it has when it is minimized:
    // minimized once more, with the new frame.
    if (state.testFlag(Qt::WindowMinimized)) frame->setWindowState(Qt::WindowNoState);
    frame->setWindowState(state);
    if (visible) frame->show();
}

void Pohja::ShowChanges()
{
    const QRect overlay = canvas_.OverlayBounds();
    if (canvas_.PersistentRevision() != shownPersistent_) {
        update();
    } else {
        const QRect changed = shownOverlay_.united(overlay);
        if (!changed.isEmpty()) update(changed);
    }
    shownOverlay_ = overlay;
    shownPersistent_ = canvas_.PersistentRevision();
}

template <class Work>
void Pohja::Guarded(Work work)
{
    try {
        work();
    } catch (...) {
        host_.ReportFailure(std::current_exception());
    }
}

void Pohja::Form_MouseDown(int button, int, float x, float y)
{
    ViewState& v = host_.Shared().view;
    if (v.blnDataLoaded != kTrue) return;
    if (button == kRightButton) {
        if (v.blnMarkersOn == kTrue) {
            host_.ShowMarkerMenu(mapToGlobal(QPointF(x, y)).toPoint());
            return;
        }
        // Zoom out by five steps of the list, or to its last item.
        QComboBox& zoom = host_.ZoomList();
        Guarded([&] {
            zoom.setCurrentIndex(zoom.currentIndex() < zoom.count() - 5 ? zoom.currentIndex() + 5 : zoom.count() - 1);
        });
    } else if (button == kLeftButton) {
        if (v.blnMarkersOn == kTrue) {
            MoveMarkerTo(x);
        } else {
            v.varZoomStartX = x;
            v.varZoomPercent = 0;
            v.lngZoomLeftSample = 0;
        }
    }
}

void Pohja::MoveMarkerTo(float x)
{
    ViewState& v = host_.Shared().view;
    // The marker goes under the cursor's own line: x with its offset (M1 keeps the fraction).
    const bool first = host_.ActiveMarker() == 1;
    if (x == (first ? v.varMarker1X : static_cast<float>(v.lngMarker2X))) return;  // already there
    v.blnMarkerMoving = kTrue;
    Guarded([&] {
        if (first)
            v.varMarker1X = MarkerOffsetX(x);
        else
            v.lngMarker2X = ToInt32(MarkerOffsetX(x));
        v.blnRedrawMarkers = kTrue;
        host_.DrawSignal();
    });
    v.blnRedrawMarkers = kFalse;
    v.blnMarkerMoving = kFalse;
}

void Pohja::Form_MouseMove(int button, int, float x, float y)
{
    SharedState& s = host_.Shared();
    if (s.view.blnDataLoaded != kTrue || (button & kLeftButton) == 0) return;
    if (s.view.blnMarkersOn == kTrue) {
        MoveMarkerTo(x);
        return;
    }
    Guarded([&] {
        DrawZoomRectangle(canvas_, s.view, s.model, x, y, [this](double percent) { return host_.IsZoomInList(percent); });
    });
    ShowChanges();
}

void Pohja::Form_MouseUp(int button, int, float, float)
{
    SharedState& s = host_.Shared();
    ViewState& v = s.view;
    if (v.blnDataLoaded != kTrue || button != kLeftButton || v.blnMarkersOn == kTrue) return;
    Guarded([&] {
        QComboBox& zoom = host_.ZoomList();
        if (v.varZoomPercent > 0 && v.varZoomPercent != Val(zoom.currentText().toStdString())) {
            // The zoom chosen by the rectangle, then the view moved to its left edge.
            const int item = zoom.findText(QString::fromStdString(GeneralNumber(v.varZoomPercent) + " %"));
            if (item >= 0) zoom.setCurrentIndex(item);
            QScrollBar& scroll = host_.ScrollBar();
            const std::int64_t target =
                static_cast<std::int64_t>(ToInt32(v.lngZoomLeftSample * s.model.dblScrollFactor)) + scroll.value();
            scroll.setValue(static_cast<int>(std::min<std::int64_t>(target, scroll.maximum())));
            return;
        }
        // No zoom chosen: one redraw takes the rectangle away.
        v.blnRedrawSignals = kTrue;
        v.blnRedrawMarkers = kTrue;
        host_.DrawSignal();
    });
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

void Pohja::Form_MouseWheel(int delta, int shift, float x)
{
    SharedState& s = host_.Shared();
    if (s.view.blnDataLoaded != kTrue) return;
    constexpr int kNotch = 120;
    wheelRest_ += delta;
    const int notches = wheelRest_ / kNotch;
    wheelRest_ %= kNotch;
    if (notches == 0) return;
    Guarded([&] {
        if (shift & 2) {
            // Away from the user zooms in (up the list), towards the user out.
            QComboBox& zoom = host_.ZoomList();
            const int index = std::clamp(zoom.currentIndex() - notches, 0, zoom.count() - 1);
            if (index == zoom.currentIndex()) return;
            const double width = canvas_.ScaleWidth();
            const double fraction = width > 0 ? std::clamp(x / width, 0.0, 1.0) : 0.0;
            host_.ZoomKeeping(index, s.view.lngFirstSample + fraction * s.model.lngViewSamples, fraction);
            return;
        }
        // Away from the user goes back in time, as a page scrolls up.
        QScrollBar& scroll = host_.ScrollBar();
        const std::int64_t step = static_cast<std::int64_t>(notches) * scroll.singleStep();
        const std::int64_t target = static_cast<std::int64_t>(scroll.value()) - step;
        scroll.setValue(static_cast<int>(std::clamp<std::int64_t>(target, scroll.minimum(), scroll.maximum())));
    });
}

void Pohja::Form_KeyDown(int keyCode, int)
{
    ViewState& v = host_.Shared().view;
    if (v.blnDataLoaded != kTrue) return;
    QComboBox& zoom = host_.ZoomList();
    switch (keyCode) {
    case kKeyUp:
        if (zoom.currentIndex() >= 1) Guarded([&] { zoom.setCurrentIndex(zoom.currentIndex() - 1); });
        return;
    case kKeyDown:
        if (zoom.currentIndex() < zoom.count() - 1) Guarded([&] { zoom.setCurrentIndex(zoom.currentIndex() + 1); });
        return;
    case kKeyLeft:
    case kKeyRight: break;
    default: return;
    }
    if (v.blnMarkersOn != kTrue) return;
    const int delta = keyCode == kKeyLeft ? -1 : 1;
    v.blnMarkerMoving = kTrue;
    switch (host_.ActiveMarker()) {
    case 1: v.varMarker1Sample = Step(v.varMarker1Sample, delta); break;
    case 2: v.lngMarker2Sample = Step(v.lngMarker2Sample, delta); break;
    default: v.blnMarkerMoving = kFalse; return;
    }
    // The renderer derives the x position from the sample and keeps it within the record.
    v.blnRedrawMarkers = kTrue;
    v.blnMarkerKeyMove = kTrue;
    host_.DrawSignal();
    v.blnMarkerKeyMove = kFalse;
    v.blnRedrawMarkers = kFalse;
    v.blnMarkerMoving = kFalse;
}

void Pohja::Form_KeyUp(int keyCode, int shift) { host_.PrintScreen(keyCode, shift); }

void Pohja::Form_GotFocus()
{
    SharedState& s = host_.Shared();
    ViewState& v = s.view;
    const long i = Index();
    if (v.blnDataLoaded != kTrue || host_.IsTemplate(*this) || i < 1 || i > s.model.AnalogCount() + 1) return;
    host_.ShowChannelInToolBar(*this);
    v.blnRedrawMarkers = kTrue;
    v.blnRedrawSignals = kFalse;
    host_.DrawSignal();
    v.blnRedrawMarkers = kFalse;
    v.blnRedrawSignals = kFalse;
}

void Pohja::Form_Resize()
{
    SharedState& s = host_.Shared();
    ViewState& v = s.view;
    RecordingModel& m = s.model;
    if (host_.IsTemplate(*this)) return;
    const bool loaded = v.blnDataLoaded == kTrue;
    const long nD = m.DigitalCount();
    if (loaded && !keepingState_ && Index() == m.AnalogCount() + 1 && !IsMinimized() &&
        m.arrDigitalSelection(nD + 1) <= 0) {
        // Restored with no digital channel chosen: all of them are shown again, and drawn below.
        m.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(nD);
        m.arrDigitalSelection(0) = 1;
    }
    if (v.blnArranging != kTrue && loaded) host_.StartActivationWatch();
    if (!loaded) return;
    v.blnRedrawSignals = kTrue;
    v.blnRedrawMarkers = kTrue;
    Guarded([&] {
        DrawGrid();
        DrawSignal();
    });
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

bool Pohja::Form_Unload() { return host_.Shared().view.blnUnloadingWindows != kTrue; }

void Pohja::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    canvas_.PaintTo(painter, event->rect());
}

void Pohja::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() <= 0 || event->size().height() <= 0) return;
    canvas_.Resize(event->size().width(), event->size().height());
    Form_Resize();
    ShowChanges();
}

void Pohja::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    Form_GotFocus();
}

void Pohja::mousePressEvent(QMouseEvent* event)
{
    Form_MouseDown(Buttons(event->button()), ShiftState(event->modifiers()), static_cast<float>(event->position().x()),
                   static_cast<float>(event->position().y()));
}

void Pohja::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove(Buttons(event->buttons()), ShiftState(event->modifiers()), static_cast<float>(event->position().x()),
                   static_cast<float>(event->position().y()));
}

void Pohja::mouseReleaseEvent(QMouseEvent* event)
{
    Form_MouseUp(Buttons(event->button()), ShiftState(event->modifiers()), static_cast<float>(event->position().x()),
                 static_cast<float>(event->position().y()));
}

void Pohja::keyPressEvent(QKeyEvent* event)
{
    Form_KeyDown(VirtualKeyCode(*event), ShiftState(event->modifiers()));
    event->accept();
}

bool Pohja::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    std::string text;
    Guarded([&] {
        if (host_.IsTemplate(*this)) return;
        const QMdiSubWindow* frame = Frame();
        const bool titleBar = frame != nullptr && !frame->windowFlags().testFlag(Qt::FramelessWindowHint);
        const SharedState& s = host_.Shared();
        text = HoverText(s.model, s.view, Index(), titleBar, help->pos().x(), help->pos().y(), canvas_.ScaleWidth(),
                         canvas_.ScaleHeight());
    });
    QToolTip::showText(help->globalPos(), QString::fromStdString(text), this);  // no text hides the tip at once
    return true;
}

void Pohja::wheelEvent(QWheelEvent* event)
{
    Form_MouseWheel(event->angleDelta().y(), ShiftState(event->modifiers()), static_cast<float>(event->position().x()));
    event->accept();
}

void Pohja::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat()) Form_KeyUp(VirtualKeyCode(*event), ShiftState(event->modifiers()));
    event->accept();
}

}  // namespace sevrana
