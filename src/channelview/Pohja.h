#pragma once
// A channel window: one analog channel, or all digital channels. It keeps its
// picture in a Canvas (persistent image plus overlay) and repaints from it; the
// main window's renderer draws into it. Its index is the decimal text of Tag.

#include <QWidget>

#include "Canvas.h"

class QMdiSubWindow;

namespace sevrana {

class PohjaHost;

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

    /// The window's picture as it shows now.
    QImage Picture() const { return canvas_.Composite(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    PohjaHost& host_;
    Canvas canvas_;
};

/// What a channel window needs from the main window.
class PohjaHost {
public:
    virtual ~PohjaHost() = default;
    virtual void Pohja_Resize(Pohja& window) = 0;
    virtual void Pohja_GotFocus(Pohja& window) = 0;
    /// True when the window may close now.
    virtual bool Pohja_MayUnload(Pohja& window) = 0;
    virtual void Pohja_DrawGrid(Pohja& window) = 0;
    virtual void Pohja_DrawSignal(Pohja& window) = 0;
};

}  // namespace sevrana
