// The channel windows the main window owns, and the four ways of arranging
// them: the program's own horizontal stacking, tiles, a cascade and the icons
// of the minimized ones.

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "Cursors.h"
#include "MDIForm1.h"
#include "NumberUtils.h"
#include "ProgramError.h"

namespace sevrana {

namespace {

/// Channel windows close only when the program closes them all.
class CloseGuard : public QObject {
public:
    CloseGuard(Pohja& window, QObject* parent) : QObject(parent), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && window_.Form_Unload()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Pohja& window_;
};

/// Edge k of n equal parts of a length, so that the parts meet without gaps.
int Edge(int length, long k, long n) { return ToInt32(static_cast<double>(length) * k / n); }

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
    // The child that was active last, also while a dialog or another program has the focus.
    QMdiSubWindow* sub = mdiArea->currentSubWindow();
    if (sub == nullptr) return nullptr;
    auto* window = qobject_cast<Pohja*>(sub->widget());
    return window == template_ ? nullptr : window;
}

Pohja* MDIForm1::CreateChannelWindow(long index)
{
    auto* window = new Pohja(*this);
    window->Tag = QString::number(index);
    // The markers are off once a load is done: the zoom rectangle's cursor.
    window->setCursor(ChannelCursor(kCursorZoom));
    Qt::WindowFlags flags = Qt::SubWindow;
    if (!TitlesOn()) flags |= Qt::FramelessWindowHint;
    QMdiSubWindow* sub = mdiArea->addSubWindow(window, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->installEventFilter(new CloseGuard(*window, sub));
    connect(sub, &QMdiSubWindow::windowStateChanged, window, [this, window](Qt::WindowStates before,
                                                                            Qt::WindowStates now) {
        // Back from its icon a window often keeps its size and gets no resize event: its
        // resize handler runs all the same, as for every restore.
        if (before.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized)) window->Form_Resize();
        // Without title bars a minimized window would have nothing left to show or to restore
        // it by: while minimized it has its title bar, with the channel's name.
        if (TitlesOn() || window->Frame() == nullptr) return;
        const bool minimized = now.testFlag(Qt::WindowMinimized);
        if (minimized == window->Frame()->windowFlags().testFlag(Qt::FramelessWindowHint))
            QTimer::singleShot(0, window, [this, window] { ShowIconTitle(*window); });
    });
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

void MDIForm1::ShowIconTitle(Pohja& window)
{
    QMdiSubWindow* frame = window.Frame();
    if (TitlesOn() || frame == nullptr) return;
    const bool minimized = frame->isMinimized();
    if (minimized != frame->windowFlags().testFlag(Qt::FramelessWindowHint)) return;  // as it should be
    const long i = window.Index();
    window.SetCaption(!minimized                         ? QString()
                      : i <= state_.model.AnalogCount() ? QString::fromStdString(state_.model.arrAnalogNames(i))
                                                        : QStringLiteral("Digital Channels"));
    window.ShowTitleBar(minimized);
}

void MDIForm1::Hor_Click()
{
    ViewState& v = state_.view;
    const RecordingModel& m = state_.model;
    const bool enabled = isEnabled() && centralWidget() != nullptr && centralWidget()->isEnabled();
    const QPointer<QMdiSubWindow> remembered = enabled ? mdiArea->currentSubWindow() : nullptr;
    v.blnArranging = kTrue;
    if (template_ != nullptr && template_->Frame() != nullptr) template_->Frame()->hide();
    const long n = OpenChannelWindows();
    const long limit = std::min(n, m.AnalogCount() + m.intHasDigital);
    long shown = n;
    for (long i = 1; i <= limit; ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || w->Frame() == nullptr) continue;
        if (w->IsMinimized())
            --shown;
        else if (w->Frame()->isMaximized())
            w->Frame()->showNormal();  // it would keep covering the area, whatever its share
        w->Frame()->hide();
        QApplication::processEvents();
    }
    // Minimized windows keep their icons, in rows along the bottom, and take no share
    // (the others share what is above the icons); every window is shown again, also
    // when all of them are minimized.
    const QSize client(ClientSize().width(), ArrangeIcons(false));
    long k = 1;
    for (long i = 1; i <= limit; ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || w->Frame() == nullptr) continue;
        if (w->IsMinimized()) {
            ++k;
        } else {
            const int top = Edge(client.height(), i - k, shown);
            w->Frame()->setGeometry(0, top, client.width(), Edge(client.height(), i - k + 1, shown) - top);
        }
        w->Frame()->show();
        QApplication::processEvents();
    }
    ArrangeIcons(true);
    v.blnArranging = kFalse;
    v.blnRedrawMarkers = kTrue;
    v.blnRedrawSignals = kTrue;
    DrawSignal();
    if (enabled && remembered != nullptr) mdiArea->setActiveSubWindow(remembered);
    // The remembered window may not take the focus (minimized): the tool bar shows whichever is active.
    FollowActiveWindow();
    v.blnRedrawSignals = kFalse;
    v.blnRedrawMarkers = kFalse;
}

template <class Place>
void MDIForm1::ArrangeShown(Place place)
{
    std::vector<QMdiSubWindow*> frames;
    for (long i = 1; i <= OpenChannelWindows(); ++i)
        if (Pohja* w = ChannelWindow(i); w != nullptr && w->Frame() != nullptr && w->Frame()->isVisible() &&
                                          !w->IsMinimized())
            frames.push_back(w->Frame());
    const QSize client = ClientSize();
    const long count = static_cast<long>(frames.size());
    for (long k = 0; k < count; ++k) {
        QMdiSubWindow* frame = frames[static_cast<std::size_t>(k)];
        if (frame->isMaximized()) frame->showNormal();
        frame->setGeometry(place(k, count, client, *frame));
        frame->raise();
    }
}

void MDIForm1::Til_Click()
{
    // Side by side in index order, row after row, every window one cell of the same size.
    // The windows are placed here, with or without title bars, so none needs one for it.
    ArrangeShown([](long k, long count, QSize client, const QMdiSubWindow&) {
        const long rows = std::max(1L, static_cast<long>(std::sqrt(static_cast<double>(count))));
        const long columns = (count + rows - 1) / rows;
        const long row = k / columns, column = k % columns;
        const int left = Edge(client.width(), column, columns);
        const int top = Edge(client.height(), row, rows);
        return QRect(left, top, Edge(client.width(), column + 1, columns) - left,
                     Edge(client.height(), row + 1, rows) - top);
    });
}

void MDIForm1::Cas_Click()
{
    // Each window a large share of the area, one title bar lower and further right than the
    // one before (also without title bars, so that the windows' tops show one under another).
    ArrangeShown([this](long k, long count, QSize client, const QMdiSubWindow& frame) {
        QStyleOptionTitleBar option;
        option.initFrom(&frame);
        const int step = std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, &frame));
        const long spread = (count - 1) * step;
        const int width = std::max(client.width() * 2 / 3, static_cast<int>(client.width() - spread));
        const int height = std::max(client.height() * 2 / 3, static_cast<int>(client.height() - spread));
        // Where the offsets would run out of the area, the next ones start again at the top.
        const long room = std::max(1, std::min(client.width() - width, client.height() - height) / step + 1);
        const int offset = static_cast<int>((k % room) * step);
        return QRect(offset, offset, width, height);
    });
}

void MDIForm1::Ico_Click() { ArrangeIcons(true); }

int MDIForm1::ArrangeIcons(bool place)
{
    // Left to right along the bottom of the area, in index order; a full row goes up one.
    const QSize client = ClientSize();
    int x = 0, y = client.height(), top = client.height();
    bool first = true;
    for (long i = 1; i <= OpenChannelWindows(); ++i) {
        Pohja* w = ChannelWindow(i);
        if (w == nullptr || w->Frame() == nullptr || !w->IsMinimized()) continue;
        QMdiSubWindow* frame = w->Frame();
        if (first) {
            y = client.height() - frame->height();
            first = false;
        } else if (x + frame->width() > client.width() && x > 0) {
            x = 0;
            y -= frame->height();
        }
        if (place) frame->move(x, y);
        x += frame->width();
        top = std::min(top, y);
    }
    return std::max(top, 0);
}

}  // namespace sevrana
