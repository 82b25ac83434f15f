#pragma once
// A printer driven like a sheet of paper: positions in twips (1/1440 inch) from
// the top left of the printable area, a current print position that text output
// moves on, and pages that are started and ended by the caller. All printing
// draws through this, so the report and the pages speak the printer's units.

#include <QFont>
#include <QPainter>
#include <QString>

#include <initializer_list>

class QPrinter;

namespace sevrana {

/// The family that stands for a classic printer font name: the name itself where the
/// system has it, else its metric-compatible Liberation font. Each name in turn, and the
/// last one available stays in force; nothing available gives an empty name.
QString PrinterFontFamily(std::initializer_list<const char*> names);

/// The pages' margin: 1000 twips at the printer's natural size. The desktop's printers
/// have no scaling percentage of their own, so the margin never shrinks or grows with one.
inline constexpr double kPageMarginTwips = 1000;

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

    /// Where the next text goes: its left edge and the top of its line, in twips.
    double CurrentX = 0;
    double CurrentY = 0;

    void SetFont(const QString& family, double points);
    const QFont& Font() const { return font_; }
    /// Height of one line of text, and a text's width (tabs expanded), in twips.
    double TextHeight() const;
    double TextWidth(const QString& text) const;

    /// Prints text at the current position, tabs advancing to the next stop of eight
    /// average character widths from where the text starts; CurrentX moves past it.
    void Print(const QString& text);
    /// Line break: CurrentX to 0, CurrentY one line lower.
    void NewLine();
    /// Ends the page; the next output goes on a new one.
    void NewPage();
    /// Ends the document: the job goes to the printer (or the file is written).
    void EndDoc();

    /// Pages started so far (0 before the first output).
    int Pages() const { return pages_; }

private:
    /// Starts the document on first use; a printer that cannot start throws.
    QPainter& Painter();
    double TabStop() const;

    QPrinter& device_;
    QPainter painter_;
    QFont font_;
    double width_ = 0;
    double height_ = 0;
    int pages_ = 0;
    bool ended_ = false;
};

}  // namespace sevrana
