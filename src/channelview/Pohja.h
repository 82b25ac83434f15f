#pragma once
// A channel window: one analog channel, or all digital channels. It keeps its
// picture in a Canvas (persistent image plus overlay) and repaints from it; the
// main window's renderer draws into it. Its index is the decimal text of Tag.
// Its own events (mouse, keys, focus, size, close) are handled here, on the
// shared state and the main window's controls that the host hands out.

#include <QWidget>
#include <exception>

#include "Canvas.h"

class QComboBox;
class QKeyEvent;
class QMdiSubWindow;
class QScrollBar;

namespace sevrana {

class PohjaHost;
struct SharedState;

class Pohja : public QWidget {
    Q_OBJECT
public:
    explicit Pohja(PohjaHost& host, QWidget* parent = nullptr);

    QString Tag;
    /// Number value of the tag (0 when it holds no number).
    long Index() const;

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }

    /// The sub-window frame that holds this window in the main window's area (null before it is added).
    QMdiSubWindow* Frame() const;
    bool IsMinimized() const;

    /// Grid of this window alone (analog windows; only while signals are to be redrawn).
    void DrawGrid();
    /// Trace and trigger annotation of this window alone, no markers.
    void DrawSignal();

    /// The caption, on the window and on its title bar.
    void SetCaption(const QString& caption);
    /// A title bar on the window's frame, or none; a window that was shown stays shown.
    void ShowTitleBar(bool on);

    /// The window's picture as it shows now.
    QImage Picture() const { return canvas_.Composite(); }
    /// Asks for a repaint of what the renderers changed: everything after a change of
    /// the persistent image, else only the overlay's old and new areas.
    void ShowChanges();

    // Event handlers. Buttons: 1 left, 2 right (added up while moving);
    // shift state: 1 Shift, 2 Ctrl, 4 Alt; key codes as the desktop's virtual keys
    // (37..40 the arrows); positions in pixels of the drawing area.
    void Form_MouseDown(int button, int shift, float x, float y);
    void Form_MouseMove(int button, int shift, float x, float y);
    void Form_MouseUp(int button, int shift, float x, float y);
    /// The wheel turned by delta (120 a notch, positive away from the user) with the pointer at x:
    /// scrolls a tenth of the view a notch, with Ctrl zooms one list item a notch about x.
    void Form_MouseWheel(int delta, int shift, float x);
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyUp(int keyCode, int shift);
    /// The window became the active channel window.
    void Form_GotFocus();
    void Form_Resize();
    /// True to refuse the close: only the program closes channel windows.
    bool Form_Unload();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    /// The left button with the markers on: the active marker goes to x (with its offset).
    void MoveMarkerTo(float x);
    /// Runs a handler; a failure is reported instead of leaving the event loop.
    template <class Work>
    void Guarded(Work work);

    PohjaHost& host_;
    Canvas canvas_;
    QRect shownOverlay_;               // overlay area on screen since the last ShowChanges
    quint64 shownPersistent_ = ~0ull;  // persistent image revision on screen
    bool keepingState_ = false;        // the frame changes, the window state stays (ShowTitleBar)
    int wheelRest_ = 0;                // a fine wheel's turn short of a notch, kept for the next event
};

/// The main window as its channel windows see it: the shared state, the
/// renderers, and the tool-bar controls their events work on.
class PohjaHost {
public:
    virtual ~PohjaHost() = default;
    virtual SharedState& Shared() = 0;
    virtual bool IsTemplate(const Pohja& window) const = 0;
    /// The main renderer: every channel window, as the redraw requests say.
    virtual void DrawSignal() = 0;
    /// One window alone: its grid, or its trace and trigger annotation.
    virtual void DrawGridOf(Pohja& window) = 0;
    virtual void DrawSignalOf(Pohja& window) = 0;
    /// Loads the window's channel (scale, unit, auto-scale, name) into the tool bar.
    virtual void ShowChannelInToolBar(Pohja& window) = 0;
    /// The zoom list: choosing an item from code applies it at once.
    virtual QComboBox& ZoomList() = 0;
    virtual bool IsZoomInList(double percent) const = 0;
    /// Chooses zoom item index, the view placed so that sample stays at this fraction of the
    /// windows' width (0 left, 1 right); the windows are drawn once.
    virtual void ZoomKeeping(int index, double sample, double fraction) = 0;
    /// The time scroll bar: a new value from code runs its change handler at once.
    virtual QScrollBar& ScrollBar() = 0;
    /// 1 or 2: the marker the mouse and the arrow keys move; 0 when neither is chosen.
    virtual int ActiveMarker() const = 0;
    virtual void ShowMarkerMenu(const QPoint& globalPosition) = 0;
    virtual void StartActivationWatch() = 0;
    virtual void PrintScreen(int keyCode, int shift) = 0;
    /// "Error # ..." for a failure inside a channel window's handler.
    virtual void ReportFailure(std::exception_ptr failure) = 0;
};

/// The desktop's virtual-key code of a key event (13 Enter, 37..40 arrows, 44 Print Screen, letters, digits).
int VirtualKeyCode(const QKeyEvent& event);
/// 1 Shift + 2 Ctrl + 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace sevrana
