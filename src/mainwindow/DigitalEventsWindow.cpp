// The digital events window: its controls, the table model that serves the rows,
// the filter, and what Copy, Print and a double-click do.

#include "DigitalEventsWindow.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "Platform.h"
#include "Printer.h"
#include "TextUtils.h"

namespace sevrana {

namespace {

using analysis::DigitalEvent;
using analysis::kEventColumns;

QString Q(const std::string& text) { return QString::fromStdString(text); }

/// Rows served to the table at once: the first batch at a reset, the others from the event loop.
constexpr int kBatch = 2000;

}  // namespace

/// The changes as a table, served in batches: a view asks only for the rows it shows.
class EventRows : public QAbstractTableModel {
public:
    EventRows(const RecordingModel& model, QObject* parent) : QAbstractTableModel(parent), model_(model) {}

    void SetRows(std::vector<DigitalEvent> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        served_ = std::min<int>(kBatch, static_cast<int>(rows_.size()));
        endResetModel();
    }
    const std::vector<DigitalEvent>& Rows() const { return rows_; }
    int Served() const { return served_; }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : served_; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kEventColumns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= served_) return {};
        if (role == Qt::TextAlignmentRole)
            return index.column() == 4 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        return Q(analysis::EventCells(
            model_, rows_[static_cast<std::size_t>(index.row())])[static_cast<std::size_t>(index.column())]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kEventColumns)
            return {};
        return QString::fromUtf8(analysis::kEventHeadings[section]);
    }
    bool canFetchMore(const QModelIndex& parent) const override
    {
        return !parent.isValid() && served_ < static_cast<int>(rows_.size());
    }
    void fetchMore(const QModelIndex& parent) override
    {
        if (!canFetchMore(parent)) return;
        const int more = std::min<int>(kBatch, static_cast<int>(rows_.size()) - served_);
        beginInsertRows({}, served_, served_ + more - 1);
        served_ += more;
        endInsertRows();
    }

private:
    const RecordingModel& model_;
    std::vector<DigitalEvent> rows_;
    int served_ = 0;
};

DigitalEventsWindow::DigitalEventsWindow(const RecordingModel& model, const DigitalEdges& edges, Platform& platform,
                                         QWidget* owner, std::function<void(std::int32_t)> goToSample)
    : QWidget(owner, Qt::Window), model_(model), edges_(edges), platform_(platform), goToSample_(std::move(goToSample))
{
    setObjectName(QStringLiteral("DigitalEvents"));
    setWindowTitle(QStringLiteral("Digital events"));
    Filter = new QLineEdit(this);
    Filter->setObjectName(QStringLiteral("Filter"));
    Filter->setPlaceholderText(QStringLiteral("Name contains"));
    Filter->setClearButtonEnabled(true);
    ChangedOnly = new QCheckBox(QStringLiteral("Changed channels only"), this);
    ChangedOnly->setObjectName(QStringLiteral("ChangedOnly"));
    Channels = new QTableWidget(0, 3, this);
    Channels->setObjectName(QStringLiteral("Channels"));
    Channels->setHorizontalHeaderLabels({QStringLiteral("Channel"), QStringLiteral("Name"), QStringLiteral("Changes")});
    Channels->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Channels->setSelectionBehavior(QAbstractItemView::SelectRows);
    Channels->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Channels->verticalHeader()->hide();
    Channels->horizontalHeader()->setStretchLastSection(true);
    Channels->setToolTip(QStringLiteral("Choose channels to list only their changes"));
    rows_ = new EventRows(model_, this);
    Events = new QTableView(this);
    Events->setObjectName(QStringLiteral("Events"));
    Events->setModel(rows_);
    Events->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Events->setSelectionBehavior(QAbstractItemView::SelectRows);
    Events->verticalHeader()->hide();
    Events->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);  // no row is measured
    Events->horizontalHeader()->setStretchLastSection(true);
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    CopyButton = new QPushButton(QStringLiteral("Copy"), this);
    CopyButton->setObjectName(QStringLiteral("CopyButton"));
    PrintButton = new QPushButton(QStringLiteral("Print"), this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    filling_ = new QTimer(this);
    filling_->setInterval(0);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    top->addWidget(Filter, 1);
    top->addWidget(ChangedOnly);
    auto* middle = new QHBoxLayout;
    middle->addWidget(Channels, 2);
    middle->addWidget(Events, 5);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Summary, 1);
    bottom->addWidget(CopyButton);
    bottom->addWidget(PrintButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(900, 480);

    // Column widths from the headings and the widest texts a row can have, never from the rows.
    const QFontMetrics metrics(Events->font());
    const char* widest[] = {"000000.000000", "-000000.000", "00000000", "0000", "", "0\u21920", "yes"};
    for (int c = 0; c < kEventColumns; ++c)
        Events->setColumnWidth(c, std::max(metrics.horizontalAdvance(QString::fromUtf8(widest[c])),
                                           metrics.horizontalAdvance(QString::fromUtf8(analysis::kEventHeadings[c]))) +
                                      16);
    Events->setColumnWidth(4, metrics.horizontalAdvance(QStringLiteral("M")) * 16);

    connect(filling_, &QTimer::timeout, this, [this] {
        if (rows_->canFetchMore({}))
            rows_->fetchMore({});
        else
            filling_->stop();
    });
    connect(Filter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(ChangedOnly, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    connect(Channels, &QTableWidget::itemSelectionChanged, this, [this] { ApplyFilter(); });
    connect(Events, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Row_DoubleClick(index.row());
    });
    connect(CopyButton, &QPushButton::clicked, this, [this] { Copy_Click(); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { Print_Click(); });
    auto* copy = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
    connect(copy, &QShortcut::activated, this, [this] { Copy_Click(); });
    Clear();
}

const std::vector<DigitalEvent>& DigitalEventsWindow::ShownEvents() const { return rows_->Rows(); }

int DigitalEventsWindow::ServedRows() const { return rows_->Served(); }

void DigitalEventsWindow::Clear()
{
    filling_->stop();
    loaded_ = false;
    all_.clear();
    {
        const QSignalBlocker blocker(Channels);
        Channels->clearContents();
        Channels->setRowCount(0);
    }
    rows_->SetRows({});
    Summary->clear();
}

void DigitalEventsWindow::Reset()
{
    Clear();
    loaded_ = true;
    all_ = analysis::DigitalEvents(model_, edges_);
    const long nD = model_.DigitalCount();
    const QSignalBlocker blocker(Channels);
    Channels->setRowCount(static_cast<int>(nD));
    for (long k = 1; k <= nD; ++k) {
        const int r = static_cast<int>(k - 1);
        const std::size_t changes = edges_.empty() ? 0 : edges_.Changes(k).size();
        Channels->setItem(r, 0, new QTableWidgetItem(QString::number(k)));
        Channels->setItem(r, 1, new QTableWidgetItem(Q(std::string(TrimBlanks(model_.arrDigitalNames(k))))));
        Channels->setItem(r, 2, new QTableWidgetItem(QString::number(changes)));
    }
    ApplyFilter();
}

void DigitalEventsWindow::ApplyFilter()
{
    const long nD = model_.DigitalCount();
    const QString wanted = Filter->text().trimmed();
    // Channels listed: the name holds the filter's text; with the box ticked, they change too.
    std::vector<char> listed(static_cast<std::size_t>(nD) + 1, 0);
    bool chosen = false;
    for (long k = 1; k <= nD && k <= Channels->rowCount(); ++k) {
        const int r = static_cast<int>(k - 1);
        const bool named = Channels->item(r, 1)->text().contains(wanted, Qt::CaseInsensitive);
        const bool changes = !edges_.empty() && !edges_.Changes(k).empty();
        const bool shown = named && (changes || !ChangedOnly->isChecked());
        Channels->setRowHidden(r, !shown);
        listed[static_cast<std::size_t>(k)] = shown;
        chosen = chosen || (shown && Channels->item(r, 0)->isSelected());
    }
    // The changes of the channels listed, or of those chosen in the list when some are.
    if (chosen)
        for (long k = 1; k <= nD; ++k)
            if (!Channels->item(static_cast<int>(k - 1), 0)->isSelected()) listed[static_cast<std::size_t>(k)] = 0;
    std::vector<DigitalEvent> shown;
    shown.reserve(all_.size());
    std::vector<char> changing(listed.size(), 0);
    for (const DigitalEvent& e : all_)
        if (listed[static_cast<std::size_t>(e.channel)]) {
            shown.push_back(e);
            changing[static_cast<std::size_t>(e.channel)] = 1;
        }
    const auto channels = std::count(changing.begin(), changing.end(), 1);
    Summary->setText(loaded_ ? QStringLiteral("%1 changes in %2 of %3 channels").arg(shown.size()).arg(channels).arg(nD)
                             : QString());
    rows_->SetRows(std::move(shown));
    if (rows_->canFetchMore({})) filling_->start();
}

void DigitalEventsWindow::Row_DoubleClick(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_->Rows().size())) return;
    goToSample_(rows_->Rows()[static_cast<std::size_t>(row)].sample);
}

QString DigitalEventsWindow::RowsText() const
{
    QString text;
    for (int c = 0; c < kEventColumns; ++c)
        text += (c > 0 ? QStringLiteral("\t") : QString()) + QString::fromUtf8(analysis::kEventHeadings[c]);
    text += QLatin1Char('\n');
    for (const DigitalEvent& e : rows_->Rows()) {
        const std::vector<std::string> cells = analysis::EventCells(model_, e);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) text += QLatin1Char('\t');
            text += Q(cells[c]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void DigitalEventsWindow::Copy_Click()
{
    if (!rows_->Rows().empty()) platform_.SetClipboardText(RowsText());
}

void DigitalEventsWindow::Print_Click()
{
    const std::vector<DigitalEvent>& rows = rows_->Rows();
    if (rows.empty()) return;
    PrintTable(platform_, this, [&](Printer& printer, const PrintSetup& setup) {
        const double margin = kPageMarginTwips;
        const double line = printer.TextHeight();
        const double gap = printer.TextWidth(QStringLiteral("    "));
        // Widths from the headings, the first and last rows (the longest times) and every name listed.
        std::vector<double> widths;
        for (int c = 0; c < kEventColumns; ++c)
            widths.push_back(printer.TextWidth(QString::fromUtf8(analysis::kEventHeadings[c])));
        auto widen = [&](const DigitalEvent& e) {
            const std::vector<std::string> cells = analysis::EventCells(model_, e);
            for (std::size_t c = 0; c < cells.size(); ++c)
                widths[c] = std::max(widths[c], printer.TextWidth(Q(cells[c])));
        };
        widen(rows.front());
        widen(rows.back());
        for (int r = 0; r < Channels->rowCount(); ++r)
            widths[4] = std::max(widths[4], printer.TextWidth(Channels->item(r, 1)->text()));
        // Title, summary and headings on every page, then as many rows as fit.
        const double top = margin + 3 * line;
        const auto perPage = static_cast<std::size_t>(std::max(1.0, (printer.ScaleHeight() - margin - top) / line - 1));
        const std::size_t pages = (rows.size() + perPage - 1) / perPage;
        auto printRow = [&](double y, const std::vector<QString>& cells) {
            double x = margin;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                // Numbers end at their column's right edge; the name starts at its left.
                const bool left = c == 4;
                printer.CurrentX = left ? x : x + widths[c] - printer.TextWidth(cells[c]);
                printer.CurrentY = y;
                printer.Print(cells[c]);
                x += widths[c] + gap;
            }
        };
        PrintCopies(printer, setup, pages, [&](std::size_t p) {
            printer.CurrentX = margin;
            printer.CurrentY = margin;
            printer.Print(QStringLiteral("Digital events: ") + Q(model_.varStationName) +
                          QStringLiteral(" (page %1 of %2)").arg(p + 1).arg(pages));
            printer.CurrentX = margin;
            printer.Print(Summary->text());
            std::vector<QString> headings;
            for (int c = 0; c < kEventColumns; ++c) headings.push_back(QString::fromUtf8(analysis::kEventHeadings[c]));
            printRow(top, headings);
            const std::size_t end = std::min(rows.size(), (p + 1) * perPage);
            double y = top + line;
            for (std::size_t r = p * perPage; r < end; ++r, y += line) {
                std::vector<QString> cells;
                for (const std::string& cell : analysis::EventCells(model_, rows[r])) cells.push_back(Q(cell));
                printRow(y, cells);
            }
        });
    });
}

}  // namespace sevrana
