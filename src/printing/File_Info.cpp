#include "File_Info.h"

#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

#include <vector>

#include "FileReport.h"
#include "Platform.h"
#include "Printer.h"
#include "TabbedItemDelegate.h"

namespace sevrana {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

File_Info::File_Info(const RecordingModel& model, Platform& platform, QWidget* parent)
    : WaitingDialog(parent), model_(model), platform_(platform)
{
    setObjectName(QStringLiteral("File_Info"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setItemDelegate(new TabbedItemDelegate(List1));
    List1->setGeometry(kMargin, kMargin, 449, 277);  // 6735 x 4155 twips
    Command2 = new QPushButton(QStringLiteral("Print"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->resize(81, 25);  // 1215 x 375 twips
    Command2->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->resize(73, 25);  // 1095 x 375 twips
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    resize(kDesignWidth, kDesignHeight);
}

void File_Info::Form_Load()
{
    CentreOnScreen();
    setWindowTitle(Q(FileInformationTitle(model_)));
    show();
    List1->clear();
    for (const std::string& line : FileInformationLines(model_)) List1->addItem(Q(line));
    blnClosed = false;
    update();
}

void File_Info::Command1_Click() { done(QDialog::Accepted); }

QStringList File_Info::Lines() const
{
    QStringList lines;
    for (int i = 0; i < List1->count(); ++i) lines << List1->item(i)->text();
    return lines;
}

namespace {

/// One printed line of the report: where it starts and what it says.
struct PrintedLine {
    double x = 0, y = 0;
    QString text;
};

/// The report's pages, each a copy's page in order. Lines too wide for the paper wrap,
/// their continuation indented by two tab stops; a page ends after the line that reaches
/// two margins above its bottom, and no page is started after the last line.
std::vector<std::vector<PrintedLine>> PaginateReport(const Printer& printer, const QStringList& lines)
{
    const double margin = kPageMarginTwips;
    const double width = printer.ScaleWidth() - 2 * margin;
    const double indent = 2 * TabStopFor(printer.Font());
    std::vector<PrintedLine> flow;  // every printed line, y left open
    for (const QString& line : lines) {
        const QStringList parts = printer.Wrap(line, width, width - indent);
        for (qsizetype k = 0; k < parts.size(); ++k) flow.push_back({margin + (k > 0 ? indent : 0), 0, parts[k]});
    }
    std::vector<std::vector<PrintedLine>> pages(1);
    double y = margin;
    for (std::size_t i = 0; i < flow.size(); ++i) {
        flow[i].y = y;
        pages.back().push_back(flow[i]);
        y += printer.TextHeight();
        if (y >= printer.ScaleHeight() - 2 * margin && i + 1 < flow.size()) {
            pages.emplace_back();
            y = margin;
        }
    }
    return pages;
}

}  // namespace

void File_Info::Command2_Click()
{
    const std::optional<PrintSetup> setup = platform_.PrintDialog(this, false);
    if (!setup || setup->printer == nullptr) return;  // cancelled: nothing printed, nothing said
    try {
        Printer printer(*setup->printer);
        printer.SetFont(PrinterFontFamily({"Times", "Helvetica", "Arial"}), 10);
        QStringList lines = Lines();
        lines[static_cast<qsizetype>(kStationIdLine)] = Q(PrintedStationIdLine(model_));  // one tab more on paper
        lines.prepend(QString(125, QLatin1Char('-')));
        lines.prepend(Q(FileInformationTitle(model_)));
        const auto pages = PaginateReport(printer, lines);
        PrintCopies(printer, *setup, pages.size(), [&](std::size_t p) {
            for (const PrintedLine& line : pages[p]) {
                printer.CurrentX = line.x;
                printer.CurrentY = line.y;
                printer.Print(line.text);
            }
        });
    } catch (...) {
        ReportPrintFailure(platform_);
    }
}

void File_Info::Form_Resize()
{
    const int W = width();
    const int H = height();
    const int m = List1->x();
    Command1->move(W - m - Command1->width(), H - m - Command1->height());
    // Print stands one margin and one Print width left of OK's slot (its own width counts twice).
    Command2->move(W - 2 * m - 2 * Command2->width(), H - m - Command2->height());
    // Too small a window keeps the list's last size rather than none at all.
    if (W - 2 * m > 0) List1->resize(W - 2 * m, List1->height());
    if (H - 3 * m - Command1->height() > 0) List1->resize(List1->width(), H - 3 * m - Command1->height());
}

void File_Info::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

}  // namespace sevrana
