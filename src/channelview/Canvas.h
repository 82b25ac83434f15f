#pragma once
// One channel window's drawing surface: a persistent image that the window
// repaints by itself and an overlay on top of it (markers, zoom rectangle),
// plus the drawing state the renderers use: current position, text position,
// colours, line style and font. Renderers draw through this type only, so the
// same code draws on screen, on an off-screen image in tests, and on paper.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <memory>
#include <vector>

class QFontMetricsF;

class QPainter;

namespace sevrana {

class Canvas {
public:
    explicit Canvas(int width = 1, int height = 1);

    /// New size; both layers start again blank (white image, empty overlay).
    void Resize(int width, int height);
    /// Drawing-area size in pixels.
    float ScaleWidth() const { return static_cast<float>(persistent_.width()); }
    float ScaleHeight() const { return static_cast<float>(persistent_.height()); }

    /// Persistent drawing on (grid, traces) or off (overlay: markers, zoom rectangle).
    void SetAutoRedraw(bool persistent) { autoRedraw_ = persistent; }
    bool AutoRedraw() const { return autoRedraw_; }

    /// Clears what the current layer shows: in persistent drawing the image goes
    /// back to the background and the overlay is emptied; in overlay drawing only
    /// the overlay is emptied (the persistent image shows again). Text position to 0, 0.
    void Cls();
    void ClearOverlay();

    // Pen for MoveTo/LineTo/Polyline: solid, dashed or dotted, width, colour.
    void SetPen(Qt::PenStyle style, int width, QColor colour);
    // Style for Line (the window's draw style).
    void SetDrawStyle(Qt::PenStyle style) { drawStyle_ = style; }
    Qt::PenStyle DrawStyle() const { return drawStyle_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const QPoint* points, int count);

    /// A straight line in the given colour with the draw style; leaves the
    /// text position (CurrentX, CurrentY) at its end, as lines and text share it.
    void Line(double x1, double y1, double x2, double y2, QColor colour);
    /// A line from the text position (CurrentX, CurrentY) to (x2, y2).
    void LineFromCurrent(double x2, double y2, QColor colour);
    /// LineFromCurrent to each point in turn, in one go.
    void LinesFromCurrent(const QPointF* points, int count, QColor colour);
    /// A line in the text colour.
    void Line(double x1, double y1, double x2, double y2) { Line(x1, y1, x2, y2, foreColor_); }
    /// The outline of a rectangle from corner to corner.
    void Box(double x1, double y1, double x2, double y2, QColor colour);

    // Text.
    void SetForeColor(QColor colour) { foreColor_ = colour; }
    QColor ForeColor() const { return foreColor_; }
    void SetFont(const QString& family, double pointSize, bool bold);
    const QFont& Font() const { return font_; }
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    double CurrentX = 0;
    double CurrentY = 0;
    /// Prints text at the text position; with newLine the position moves to the
    /// start of the next line (x 0), otherwise just past the text.
    void Print(const QString& text, bool newLine = true);

    /// Keeps the persistent picture and the drawing state under a key, so that a
    /// background that would be drawn exactly the same again can be put back instead.
    void Keep(const QString& key);
    /// Puts back what was kept under this key (persistent picture, drawing state, an
    /// empty overlay) and says so; false, and nothing changes, for any other key.
    bool Recall(const QString& key);

    const QImage& PersistentImage() const { return persistent_; }
    const QImage& OverlayImage() const { return overlay_; }
    /// What the window shows: the persistent image with the overlay on top.
    QImage Composite() const;
    /// Paints the part of the window's picture inside area (used by the window's paint event).
    void PaintTo(QPainter& painter, const QRect& area) const;

    /// Monotonic count of changes, so a window knows when to repaint.
    quint64 Revision() const { return revision_; }
    /// Monotonic count of changes to the persistent image alone.
    quint64 PersistentRevision() const { return persistentRevision_; }
    /// Where the overlay may hold something since it was last cleared (empty when blank).
    QRect OverlayBounds() const { return overlayBlank_ ? QRect() : overlayDirty_; }

    static constexpr int kDpi = 96;  // pixel density texts are measured and drawn at

private:
    /// The layer being drawn on; area is what the drawing may touch (used for the overlay).
    QImage& Target(const QRectF& area);
    void ClearOverlayImage();
    bool ExactPen() const;
    void SolidPolyline(QImage& target, const QPoint* points, int count, QRgb colour);
    void SolidRun(QImage& target, const QPoint* points, int count, QRgb colour);
    void Changed() { ++revision_; }

    QImage persistent_;
    QImage overlay_;
    bool overlayBlank_ = true;  // nothing drawn on the overlay since it was last cleared
    QRect overlayDirty_;        // what the overlay's drawings may have touched since then
    quint64 persistentRevision_ = 0;
    bool autoRedraw_ = true;
    QColor background_ = QColor(255, 255, 255);
    QColor foreColor_ = QColor(0, 0, 0);
    Qt::PenStyle penStyle_ = Qt::SolidLine;
    int penWidth_ = 1;
    QColor penColour_ = QColor(0, 0, 0);
    Qt::PenStyle drawStyle_ = Qt::SolidLine;
    QFont font_;
    QString fontFamily_;
    double fontPoints_ = 0;
    bool fontBold_ = false;
    const QFontMetricsF& Metrics() const;
    mutable std::shared_ptr<QFontMetricsF> metrics_;
    QPoint current_;  // pen position of MoveTo/LineTo
    std::vector<int> extentLo_, extentHi_;  // per column, while a polyline is placed
    quint64 revision_ = 0;

    struct Kept {
        QString key;
        QImage image;
        double currentX = 0, currentY = 0;
        QPoint current;
        Qt::PenStyle penStyle = Qt::SolidLine, drawStyle = Qt::SolidLine;
        int penWidth = 1;
        QColor penColour, foreColor;
        QString fontFamily;
        double fontPoints = 0;
        bool fontBold = false;
    };
    Kept kept_;
};

}  // namespace sevrana
