#include "Printer.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>
#include <QTextLayout>

#include <cmath>
#include <exception>

#include "NumberUtils.h"
#include "Platform.h"
#include "ProgramError.h"
#include "TabbedItemDelegate.h"

namespace sevrana {

namespace {

constexpr double kTwipsPerInch = 1440;
/// Points sent as one path at most (a bound on the printer driver's buffers).
constexpr qsizetype kPathChunk = 8192;

/// The metric-compatible stand-in that Linux desktops ship for a classic font name.
QString StandIn(const QString& name)
{
    if (name.compare(QLatin1String("Times"), Qt::CaseInsensitive) == 0) return QStringLiteral("Liberation Serif");
    if (name.compare(QLatin1String("Helvetica"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return QString();
}

/// One line of text laid out with the printer's tab stops.
struct LaidOut {
    LaidOut(const QString& text, const QFont& font, double tabStop) : layout(text, font)
    {
        QTextOption option;
        option.setTabStopDistance(tabStop);
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        line = layout.createLine();
        layout.endLayout();
    }
    double Width() const { return line.isValid() ? line.naturalTextWidth() : 0; }
    QTextLayout layout;
    QTextLine line;
};

}  // namespace

QString PrinterFontFamily(std::initializer_list<const char*> names)
{
    const QStringList families = QFontDatabase::families();
    QString chosen;
    for (const char* name : names) {
        const QString wanted = QString::fromLatin1(name);
        if (families.contains(wanted, Qt::CaseInsensitive)) {
            chosen = wanted;
        } else if (const QString standIn = StandIn(wanted); !standIn.isEmpty() && families.contains(standIn)) {
            chosen = standIn;
        }
    }
    return chosen;
}

void PrintCopies(Printer& printer, const PrintSetup& setup, std::size_t pages,
                 const std::function<void(std::size_t)>& page)
{
    bool first = true;
    for (int copy = 1; copy <= setup.copies; ++copy)
        for (std::size_t p = 0; p < pages; ++p) {
            if (!setup.Wants(static_cast<int>(p) + 1)) continue;
            if (!first) printer.NewPage();
            first = false;
            page(p);
        }
    printer.EndDoc();
}

void ReportPrintFailure(Platform& platform)
{
    platform.MessageBox(QString::fromStdString(GeneratedByMessage(DescribeFailure(std::current_exception()))));
}

void PrintTable(Platform& platform, QWidget* parent, const std::function<void(Printer&, const PrintSetup&)>& print)
{
    const std::optional<PrintSetup> setup = platform.PrintDialog(parent, false);
    if (!setup || setup->printer == nullptr) return;  // cancelled: nothing printed, nothing said
    try {
        Printer printer(*setup->printer);
        printer.SetFont(PrinterFontFamily({"Times", "Helvetica", "Arial"}), 9);
        print(printer, *setup);
    } catch (...) {
        ReportPrintFailure(platform);
    }
}

Printer::Printer(QPrinter& device) : device_(device)
{
    const double resolution = device_.resolution();
    width_ = RoundHalfEven(device_.width() * kTwipsPerInch / resolution);
    height_ = RoundHalfEven(device_.height() * kTwipsPerInch / resolution);
    SetFont(QStringLiteral("Liberation Sans"), 10);
    path_.reserve(kPathChunk + 1);
}

Printer::~Printer()
{
    if (!painter_.isActive() || ended_) return;
    // Abandoned: the spooler drops the job; a file printer must not leave half a document.
    device_.abort();
    painter_.end();
    if (device_.outputFormat() == QPrinter::PdfFormat && !device_.outputFileName().isEmpty())
        QFile::remove(device_.outputFileName());
}

bool Printer::ColourMode() const { return device_.colorMode() == QPrinter::Color; }

QPainter& Printer::Painter()
{
    if (!painter_.isActive()) {
        if (ended_ || !painter_.begin(&device_)) throw ProgramError::PrinterError();
        painter_.setWindow(0, 0, static_cast<int>(width_), static_cast<int>(height_));
        painter_.setViewport(0, 0, device_.width(), device_.height());
        painter_.setFont(font_);
        pages_ = 1;
    }
    return painter_;
}

void Printer::SetFont(const QString& family, double points)
{
    font_ = QFont(family);
    // Sizes in twips, the painter's own units: a point is 20 twips on any printer.
    font_.setPixelSize(std::max(1, static_cast<int>(RoundHalfEven(points * 20))));
    if (painter_.isActive()) painter_.setFont(font_);
}

double Printer::TextHeight() const { return QFontMetricsF(font_).height(); }

double Printer::TabStop() const { return tabStop_ > 0 ? tabStop_ : TabStopFor(font_); }

double Printer::TextWidth(const QString& text) const { return LaidOut(text, font_, TabStop()).Width(); }

QStringList Printer::Wrap(const QString& text, double width, double nextWidth) const
{
    QStringList lines;
    QString rest = text;
    for (double room = width; rest.size() > 1 && TextWidth(rest) > room; room = nextWidth) {
        // The longest head that fits (a text only grows as it gets longer); one character at least.
        qsizetype low = 1, high = rest.size() - 1;
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            if (TextWidth(rest.left(middle)) <= room)
                low = middle;
            else
                high = middle - 1;
        }
        const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), low);
        if (blank > 0) {
            lines << rest.left(blank);
            rest = rest.mid(blank + 1);
        } else {
            lines << rest.left(low);
            rest = rest.mid(low);
        }
    }
    if (!rest.isEmpty() || lines.isEmpty()) lines << rest;
    return lines;
}

void Printer::SetDrawStyle(Qt::PenStyle style)
{
    Flush();
    drawStyle_ = style;
}

void Printer::SetDrawWidth(int dots)
{
    Flush();
    drawWidth_ = std::max(1, dots);
}

QPen Printer::PenOf(const QColor& colour) const
{
    const double width = drawWidth_ * kTwipsPerDot;
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // Dots and dashes of a fixed length on paper, whatever the line's width.
    if (drawStyle_ == Qt::DotLine) pen.setDashPattern({10 / width, 30 / width});
    if (drawStyle_ == Qt::DashLine) pen.setDashPattern({80 / width, 40 / width});
    if (drawStyle_ != Qt::SolidLine) pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void Printer::Print(const QString& text)
{
    Flush();
    QPainter& painter = Painter();
    LaidOut laid(text, font_, TabStop());
    painter.setPen(foreColour_);
    if (laid.line.isValid()) laid.line.draw(&painter, QPointF(CurrentX, CurrentY));
    CurrentX = 0;
    CurrentY += TextHeight();
}

void Printer::Line(double x1, double y1, double x2, double y2, const QColor& colour)
{
    Flush();
    QPainter& painter = Painter();
    if (x1 != x2 || y1 != y2) {
        painter.setPen(PenOf(colour));
        painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    CurrentX = x2;
    CurrentY = y2;
}

void Printer::LineTo(double x, double y, const QColor& colour)
{
    Painter();
    if (!path_.isEmpty() && colour != pathColour_) Flush();
    if (path_.isEmpty()) {
        path_.append(QPointF(CurrentX, CurrentY));
        pathColour_ = colour;
    }
    path_.append(QPointF(x, y));
    CurrentX = x;
    CurrentY = y;
    if (path_.size() > kPathChunk) {
        Flush();
        path_.append(QPointF(x, y));  // the run goes on from here
    }
}

void Printer::Flush()
{
    if (path_.size() >= 2) {
        painter_.setPen(PenOf(pathColour_));
        painter_.drawPolyline(path_);
    }
    path_.clear();  // keeps its storage
}

void Printer::PaintPicture(const QImage& picture, double x, double y, double width, double height)
{
    Flush();
    Painter().drawImage(QRectF(x, y, width, height), picture);
}

void Printer::NewPage()
{
    Flush();
    Painter();
    if (!device_.newPage()) throw ProgramError::PrinterError();
    ++pages_;
    CurrentX = 0;
    CurrentY = 0;
}

void Printer::EndDoc()
{
    Flush();
    Painter();  // an empty document is still one (blank) page, as a printer ends it
    ended_ = true;
    if (!painter_.end()) throw ProgramError::PrinterError();
}

}  // namespace sevrana
