#pragma once
// A printer driven like a sheet of paper: positions in twips (1/1440 inch) from
// the top left of the printable area, a current position that lines and text
// move on, a pen (colour, style, width) and a text colour, and pages that the
// caller starts and ends. The report and the channel pages all print through it.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPolygonF>
#include <QString>

#include <initializer_list>

class QImage;
class QPrinter;

namespace sevrana {

/// The family that stands for a classic printer font name: the name itself where the
/// system has it, else its metric-compatible Liberation font. Each name in turn, and the
/// last one available stays in force; nothing available gives an empty name.
QString PrinterFontFamily(std::initializer_list<const char*> names);

/// The pages' margin: 1000 twips at the printer's natural size. The desktop's printers
/// have no scaling percentage of their own, so the margin never shrinks or grows with one.
inline constexpr double kPageMarginTwips = 1000;

/// Twips per line-width unit: a dot of a 600 dots-per-inch printer.
inline constexpr double kTwipsPerDot = 1440.0 / 600;

class Printer {
public:
    /// Nothing is sent until the first output.
    explicit Printer(QPrinter& device);
    /// A document not ended by EndDoc is abandoned: nothing of it is printed or kept.
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    /// Printable area in twips.
    double ScaleWidth() const { return width_; }
    double ScaleHeight() const { return height_; }
    /// True when the printer prints in colour.
    bool ColourMode() const;

    /// The current position: where the next text's top left goes and where LineTo starts.
    double CurrentX = 0;
    double CurrentY = 0;

    void SetFont(const QString& family, double points);
    const QFont& Font() const { return font_; }
    /// Height of one line of text, and a text's width (tabs expanded), in twips.
    double TextHeight() const;
    double TextWidth(const QString& text) const;

    /// Text colour; line style (solid, dashed, dotted) and width in dots.
    void SetForeColor(const QColor& colour) { foreColour_ = colour; }
    void SetDrawStyle(Qt::PenStyle style);
    void SetDrawWidth(int dots);

    /// Prints text at the current position in the text colour, tabs advancing to the next
    /// stop of eight average character widths from where the text starts; then the current
    /// position goes to the start of the next line (x 0, y one line lower).
    void Print(const QString& text);
    /// A straight line in the pen's style and width; its end becomes the current position.
    /// A line that starts and ends at one point draws nothing.
    void Line(double x1, double y1, double x2, double y2, const QColor& colour);
    /// A line from the current position. Consecutive ones are sent as one path, so a trace
    /// of a million segments costs no allocation per segment.
    void LineTo(double x, double y, const QColor& colour);
    /// A picture stretched to the rectangle (its aspect is not kept).
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);

    /// Ends the page; the next output goes on a new one.
    void NewPage();
    /// Ends the document: the job goes to the printer (or the file is written).
    void EndDoc();

    /// Pages started so far (0 before the first output).
    int Pages() const { return pages_; }

private:
    /// Starts the document on first use; a printer that cannot start throws.
    QPainter& Painter();
    /// Sends the lines collected by LineTo.
    void Flush();
    QPen PenOf(const QColor& colour) const;
    double TabStop() const;

    QPrinter& device_;
    QPainter painter_;
    QFont font_;
    QColor foreColour_ = Qt::black;
    Qt::PenStyle drawStyle_ = Qt::SolidLine;
    int drawWidth_ = 1;
    QPolygonF path_;  // the open run of LineTo segments
    QColor pathColour_;
    double width_ = 0;
    double height_ = 0;
    int pages_ = 0;
    bool ended_ = false;
};

}  // namespace sevrana
