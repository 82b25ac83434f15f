// The main window's frame: construction, the layout rule on resize, and the
// routing of control events to their handlers. The menus and tool bars are
// built in MDIForm1_Bars.cpp.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QValidator>
#include <QVBoxLayout>

#include <cmath>
#include <memory>
#include <tuple>

#include "MDIForm1.h"
#include "DigitalEventsWindow.h"
#include "Measurements.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "ProgramIcon.h"
#include "TimeNavigation.h"

namespace sevrana {

MDIForm1::MDIForm1(Platform& platform, QWidget* parent) : QMainWindow(parent), platform_(platform)
{
    setWindowTitle(QString::fromLatin1(messages::kAppTitle));
    setWindowIcon(ProgramIcon());  // its dialogs and channel windows show it too
    setAcceptDrops(true);  // a recording dropped from the file manager opens like File > Open
    BuildMenus();
    BuildToolBars();
    resize(Px(kDesignWidthTwips), Px(kDesignHeightTwips));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();
}

MDIForm1::~MDIForm1()
{
    // The channel windows call back into this object while they go; let them go
    // now, while it is whole, and tell them nothing is shown any more.
    Timer1->stop();
    state_.view.blnDataLoaded = kFalse;
    state_.view.blnUnloadingWindows = kTrue;
    arrChannelWindows_.clear();
    template_ = nullptr;
    delete centralWidget();
    mdiArea = nullptr;
    Picture1 = nullptr;
    Picture2 = nullptr;
}

bool MDIForm1::IsMenuShortcut(const QKeyEvent& key) const
{
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : findChildren<QAction*>())
        if (action->shortcuts().contains(pressed)) return true;
    return false;
}

bool MDIForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The tool bar's boxes claim many control keys for editing (Ctrl+C copies, Ctrl+E goes
    // to the end); a menu item's shortcut runs the item instead, wherever the focus is.
    if (event->type() == QEvent::ShortcutOverride && IsMenuShortcut(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    // Once per release, from the control that has the focus (a release the control does not
    // take passes on to its tool bar, which must not see it again).
    if (event->type() == QEvent::KeyRelease && watched == QApplication::focusWidget()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) PrintScreen(VirtualKeyCode(*key), ShiftState(key->modifiers()));
        return false;
    }
    // Characters reach the scale box through its validator; here only Enter matters.
    if (watched == Text6 && Text6 != nullptr && event->type() == QEvent::KeyPress) {
        Text6_KeyDown(VirtualKeyCode(*static_cast<QKeyEvent*>(event)));
        return false;
    }
    if ((watched == Text4 || watched == Text5) && Text4 != nullptr &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        // Qt's button values are the Windows ones: 1 left, 2 right, 4 middle.
        const int button = static_cast<int>(static_cast<QMouseEvent*>(event)->button());
        const bool down = event->type() == QEvent::MouseButtonPress;
        if (watched == Text4)
            down ? Text4_MouseDown(button) : Text4_MouseUp(button);
        else
            down ? Text5_MouseDown(button) : Text5_MouseUp(button);
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::MDIForm_Resize()
{
    if (isMinimized() || Picture1 == nullptr) return;
    auto twips = [](int pixels) { return pixels * kTwipsPerPixel; };
    const int W = twips(width());
    const int needed = twips(Frame2->x()) + twips(Frame2->width()) + 20 + twips(Image1->width());
    if (needed + 20 < W) {
        if (W - twips(Text4->width()) - twips(Text5->width()) > 0) {
            Image1->move(Px(W - 20 - twips(Image1->width())), Image1->y());
            const int scrollWidth = W - twips(Text4->width()) - twips(Text5->width()) + 50;
            const int scrollLeft = twips(Text4->width()) + 1;
            Scroll1->setGeometry(Px(scrollLeft), Scroll1->y(), Px(scrollWidth), Scroll1->height());
            Text5->move(Px(scrollLeft + scrollWidth + 1), Text5->y());
            Label6->resize(Px(W + 50), Label6->height());
            Line7->resize(frameGeometry().width(), Line7->height());
        }
    } else if (!isMaximized() && !isFullScreen()) {
        // Too narrow for the upper bar: back to its width plus a margin beyond the logo.
        const int outerWidth = static_cast<int>(std::ceil(static_cast<double>(needed + 200) / kTwipsPerPixel));
        resize(outerWidth - (frameGeometry().width() - width()), height());
    }
    if (state_.view.blnDataLoaded == kTrue) DrawSignal();
}

void MDIForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

// The tool bars follow the width also where no resize is reported: the first
// show, and a restore from minimized to the size it had.
void MDIForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    MDIForm_Resize();
}

void MDIForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) MDIForm_Resize();
}

void MDIForm1::closeEvent(QCloseEvent* event)
{
    if (loading_) {
        // The load stops at its next chance and the window closes then.
        closeRequested_ = true;
        event->ignore();
        return;
    }
    if (!closing_) {
        closing_ = true;
        SaveAndUnloadAll();
        closing_ = false;
    }
    // The measurements window goes with the main window (its being open is kept by now).
    if (measurements_ != nullptr) measurements_->hide();
    if (events_ != nullptr) events_->hide();
    event->accept();
}

void MDIForm1::SetRecordingCommandsEnabled(bool enabled)
{
    for (QMenu* menu : {Win, View, Reopen}) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
    PrintActive->setEnabled(enabled);
    Scroll1->setEnabled(enabled);
    Picture1->setEnabled(enabled);
    Picture2->setEnabled(enabled);
}

bool MDIForm1::TitlesOn() const { return Titles != nullptr && Titles->isChecked(); }

QSize MDIForm1::ClientSize() const { return mdiArea->viewport()->size(); }

}  // namespace sevrana
