// The measurements window: its controls, the tables' texts, the diagram and
// what Copy and Print give.

#include "Measurements.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

#include "MeasurementText.h"
#include "Platform.h"
#include "Printer.h"

namespace sevrana {

namespace {

using analysis::Measurement;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Seconds(double t) { return Q(analysis::FormatSeconds(t)); }

/// The blocks of the tables' text (the lines about the samples, the channel table, the group
/// table), each a list of rows of cells.
std::vector<std::vector<QStringList>> Blocks(const QString& text)
{
    std::vector<std::vector<QStringList>> blocks(1);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            if (!blocks.back().empty()) blocks.emplace_back();
            continue;
        }
        blocks.back().push_back(line.split(QLatin1Char('\t')));
    }
    if (blocks.back().empty()) blocks.pop_back();
    return blocks;
}

/// The diagram: the window's arrows on white.
class PhasorView : public QWidget {
public:
    PhasorView(const std::vector<PhasorArrow>& arrows, QWidget* parent) : QWidget(parent), arrows_(arrows)
    {
        setMinimumSize(280, 280);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing, false);
        DrawPhasorDiagram(painter, QRectF(rect()), arrows_);
    }

private:
    const std::vector<PhasorArrow>& arrows_;
};

QTableWidget* NewTable(QWidget* parent, const char* name)
{
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

}  // namespace

Measurements::Measurements(const RecordingModel& model, Platform& platform, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(model), platform_(platform)
{
    // A window of its own (not a tool window): its shortcuts are its own while it is active.
    setObjectName(QStringLiteral("Measurements"));
    setWindowTitle(QStringLiteral("Measurements"));
    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Reference = new QComboBox(this);
    Reference->setObjectName(QStringLiteral("Reference"));
    Channels = NewTable(this, "Channels");
    Groups = NewTable(this, "Groups");
    DiagramTitle = new QLabel(this);
    DiagramTitle->setObjectName(QStringLiteral("DiagramTitle"));
    Diagram = new PhasorView(arrows_, this);
    Diagram->setObjectName(QStringLiteral("Diagram"));
    Sequence = new QCheckBox(QStringLiteral("Sequence components of"), this);
    Sequence->setObjectName(QStringLiteral("Sequence"));
    Group = new QComboBox(this);
    Group->setObjectName(QStringLiteral("Group"));
    CopyButton = new QPushButton(QStringLiteral("Copy"), this);
    CopyButton->setObjectName(QStringLiteral("CopyButton"));
    PrintButton = new QPushButton(QStringLiteral("Print"), this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));

    auto* top = new QHBoxLayout;
    top->addWidget(Info, 1);
    top->addWidget(new QLabel(QStringLiteral("Reference:"), this));
    top->addWidget(Reference);
    auto* tables = new QVBoxLayout;
    tables->addWidget(Channels, 3);
    tables->addWidget(new QLabel(QStringLiteral("Three-phase groups:"), this));
    tables->addWidget(Groups, 1);
    auto* sequence = new QHBoxLayout;
    sequence->addWidget(Sequence);
    sequence->addWidget(Group, 1);
    auto* diagram = new QVBoxLayout;
    diagram->addWidget(DiagramTitle);
    diagram->addWidget(Diagram, 1);
    diagram->addLayout(sequence);
    auto* middle = new QHBoxLayout;
    middle->addLayout(tables, 3);
    middle->addLayout(diagram, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CopyButton);
    buttons->addWidget(PrintButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(980, 520);

    connect(Reference, &QComboBox::activated, this, [this](int index) {
        reference_ = index + 1;
        Measure();
    });
    connect(Sequence, &QCheckBox::toggled, this, [this] { ShowDiagram(); });
    connect(Group, &QComboBox::currentIndexChanged, this, [this] { ShowDiagram(); });
    connect(CopyButton, &QPushButton::clicked, this, [this] { Copy_Click(); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { Print_Click(); });
    auto* copy = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
    connect(copy, &QShortcut::activated, this, [this] { Copy_Click(); });
    Clear();
}

void Measurements::Clear()
{
    loaded_ = false;
    samples_.clear();
    shown_.clear();
    reference_ = 0;
    Reference->clear();
    Group->clear();
    Channels->clear();
    Channels->setRowCount(0);
    Channels->setColumnCount(0);
    Groups->clear();
    Groups->setRowCount(0);
    Groups->setColumnCount(0);
    Info->setText(QStringLiteral("No recording"));
    DiagramTitle->clear();
    ShowDiagram();
}

void Measurements::Reset()
{
    Clear();
    const long nA = model_.AnalogCount();
    if (nA < 1 || model_.lngLastSample < 1) {
        Info->setText(QStringLiteral("No analog channels"));
        return;
    }
    loaded_ = true;
    for (long i = 1; i <= nA; ++i) Reference->addItem(Q(model_.arrAnalogNames(i)));
    Reference->setCurrentIndex(static_cast<int>(analysis::DefaultReference(model_)) - 1);
    // The groups are the same at every sample: the ones at the first sample name them.
    const Measurement any = analysis::Measure(model_, 1);
    for (const analysis::GroupMeasurement& g : any.groups)
        Group->addItem(Q(g.circuit) + QStringLiteral(" (") + Q(g.unit) + QStringLiteral(")"));
}

void Measurements::Follow(const ViewState& view, int activeMarker)
{
    if (!loaded_ || view.blnDataLoaded != kTrue) return;
    const auto within = [this](long k) { return std::clamp<long>(k, 1, model_.lngLastSample); };
    std::vector<long> samples;
    if (view.blnMarkersOn == kTrue)
        samples = {within(view.varMarker1Sample), within(view.lngMarker2Sample)};
    else
        samples = {within(model_.lngTriggerSample)};
    const std::size_t point = samples.size() == 2 && activeMarker == 2 ? 1 : 0;
    if (samples == samples_ && point == diagramPoint_ && !shown_.empty()) return;
    samples_ = std::move(samples);
    diagramPoint_ = point;
    Measure();
}

void Measurements::Measure()
{
    if (!loaded_ || samples_.empty()) return;
    shown_.clear();
    for (long m : samples_) shown_.push_back(analysis::Measure(model_, m, reference_));
    // The cells are the clipboard's: the window shows what Copy gives.
    const std::vector<std::vector<QStringList>> blocks = Blocks(TablesText());
    ShowTable(*Channels, blocks.size() > 1 ? blocks[1] : std::vector<QStringList>());
    ShowTable(*Groups, blocks.size() > 2 ? blocks[2] : std::vector<QStringList>());
    ShowInfo();
    ShowDiagram();
}

void Measurements::ShowTable(QTableWidget& table, const std::vector<QStringList>& rows)
{
    // The first row heads the columns. Headings and sizes change with the markers, not with a move.
    const int columns = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    const int count = rows.empty() ? 0 : static_cast<int>(rows.size()) - 1;
    if (table.columnCount() != columns) table.setColumnCount(columns);
    if (table.rowCount() != count) table.setRowCount(count);
    for (int c = 0; c < columns; ++c) {
        const QString& head = rows.front()[c];
        if (QTableWidgetItem* item = table.horizontalHeaderItem(c); item == nullptr || item->text() != head)
            table.setHorizontalHeaderItem(c, new QTableWidgetItem(head));
    }
    for (int r = 0; r < count; ++r) {
        const QStringList& cells = rows[static_cast<std::size_t>(r) + 1];
        for (int c = 0; c < columns && c < cells.size(); ++c) SetCell(table, r, c, cells[c]);
    }
}

void Measurements::SetCell(QTableWidget& table, int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = table.item(row, column)) {
        if (item->text() != text) item->setText(text);
        return;
    }
    table.setItem(row, column, new QTableWidgetItem(text));
}

void Measurements::ShowInfo()
{
    const bool two = shown_.size() == 2;
    QStringList lines;
    QStringList at, window, frequency;
    for (std::size_t p = 0; p < shown_.size(); ++p) {
        const Measurement& m = shown_[p];
        const QString name = two ? QStringLiteral("M%1").arg(p + 1) : QStringLiteral("Trigger");
        at << QStringLiteral("%1: sample %2, %3").arg(name).arg(m.sample).arg(Seconds(m.time));
        const double fs = model_.lngSampleRate > 0 ? model_.lngSampleRate : 1;
        QString span = QStringLiteral("samples %1 to %2 (%3 to %4)")
                           .arg(m.first)
                           .arg(m.last)
                           .arg(Seconds((m.first - 1) / fs), Seconds((m.last - 1) / fs));
        if (m.windowMoved) span += QStringLiteral(", moved to the record's start");
        window << (two ? name + QStringLiteral(" ") : QString()) + span;
        frequency << (two ? name + QStringLiteral(" ") : QString()) +
                         (m.frequency ? Q(analysis::FormatValue(*m.frequency, "Hz")) : QStringLiteral("--"));
    }
    const Measurement& first = shown_.front();
    lines << at.join(QStringLiteral("; "));
    lines << QStringLiteral("Window: ") + window.join(QStringLiteral("; "));
    lines << QStringLiteral("One cycle: %1 samples%2")
                 .arg(first.samplesPerCycle)
                 .arg(first.cycleApproximate ? QStringLiteral(", cycle approximate") : QString());
    if (!first.phasors) lines << QStringLiteral("No phasors: the record is shorter than a cycle of 4 samples or more");
    lines << QStringLiteral("Frequency: ") + frequency.join(QStringLiteral("; "));
    Info->setText(lines.join(QLatin1Char('\n')));
    DiagramTitle->setText(QStringLiteral("Phasors at ") +
                          (two ? QStringLiteral("M%1").arg(diagramPoint_ + 1) : QStringLiteral("the trigger")));
}

void Measurements::ShowDiagram()
{
    arrows_.clear();
    if (diagramPoint_ < shown_.size()) {
        const Measurement& m = shown_[diagramPoint_];
        for (const analysis::ChannelMeasurement& c : m.channels)
            if (c.fundamental)
                arrows_.push_back({Q(model_.arrAnalogNames(c.index)), c.fundamental->magnitude, c.fundamental->angle,
                                   PhaseOf(model_.arrAnalogPhases(c.index)),
                                   IsVoltageUnit(model_.arrAnalogUnits(c.index))});
        const int g = Group->currentIndex();
        if (Sequence->isChecked() && m.phasors && g >= 0 && static_cast<std::size_t>(g) < m.groups.size()) {
            const analysis::GroupMeasurement& group = m.groups[static_cast<std::size_t>(g)];
            const bool voltage = IsVoltageUnit(group.unit);
            const QString letter = voltage ? QStringLiteral("U") : QStringLiteral("I");
            int k = 0;
            for (const analysis::Phasor& p : {group.zero, group.positive, group.negative})
                arrows_.push_back({letter + QString::number(k++), p.magnitude, p.angle, PhaseKind::Sequence, voltage});
        }
    }
    Diagram->update();
}

QString Measurements::TablesText() const
{
    if (shown_.empty()) return {};
    return Q(analysis::TablesText(model_, shown_.front(), shown_.size() == 2 ? &shown_.back() : nullptr));
}

void Measurements::Copy_Click()
{
    if (!shown_.empty()) platform_.SetClipboardText(TablesText());
}

namespace {

/// One thing on a printed page: a line of text at its top left, or the diagram in its rectangle.
struct PrintedItem {
    double x = 0, y = 0;
    QString text;
    QRectF diagram;
};

/// The columns of a table as printed: the name and the unit, then as many of the others as fit
/// the paper's width; the rest follow in further blocks that repeat the name and the unit.
std::vector<std::vector<int>> ColumnBlocks(const std::vector<double>& widths, double room)
{
    std::vector<std::vector<int>> blocks;
    const double lead = widths[0] + widths[1];
    for (std::size_t c = 2; c < widths.size();) {
        std::vector<int> block{0, 1};
        double used = lead;
        do {
            block.push_back(static_cast<int>(c));
            used += widths[c++];
        } while (c < widths.size() && used + widths[c] <= room);
        blocks.push_back(block);
    }
    return blocks;
}

}  // namespace

void Measurements::Print_Click()
{
    if (shown_.empty()) return;
    PrintTable(platform_, this, [&](Printer& printer, const PrintSetup& setup) {
        const double margin = kPageMarginTwips;
        const double room = printer.ScaleWidth() - 2 * margin;
        const double bottom = printer.ScaleHeight() - margin;
        const double line = printer.TextHeight();
        std::vector<std::vector<PrintedItem>> pages(1);
        double y = margin;
        auto next = [&](double height) {
            if (y + height > bottom && !pages.back().empty()) {
                pages.emplace_back();
                y = margin;
            }
        };
        auto text = [&](double x, const QString& t) { pages.back().push_back({x, y, t, {}}); };
        text(margin, QStringLiteral("Measurements: ") + Q(model_.varStationName));
        y += line;
        for (const QString& info : Info->text().split(QLatin1Char('\n'))) {
            next(line);
            text(margin, info);
            y += line;
        }
        for (const QTableWidget* table : {Channels, Groups}) {
            if (table->rowCount() == 0) continue;
            const double gap = printer.TextWidth(QStringLiteral("  "));
            std::vector<double> widths;
            for (int c = 0; c < table->columnCount(); ++c) {
                double w = printer.TextWidth(table->horizontalHeaderItem(c)->text());
                for (int r = 0; r < table->rowCount(); ++r)
                    if (const QTableWidgetItem* item = table->item(r, c))
                        w = std::max(w, printer.TextWidth(item->text()));
                widths.push_back(w + gap);
            }
            for (const std::vector<int>& block : ColumnBlocks(widths, room)) {
                y += line;
                for (int r = -1; r < table->rowCount(); ++r) {
                    next(line);
                    double x = margin;
                    for (int c : block) {
                        const QTableWidgetItem* item = r < 0 ? table->horizontalHeaderItem(c) : table->item(r, c);
                        if (item != nullptr) text(x, item->text());
                        x += widths[static_cast<std::size_t>(c)];
                    }
                    y += line;
                }
            }
        }
        const double side = std::min(room, (bottom - margin) * 0.6);
        y += line;
        next(side + line);
        text(margin, DiagramTitle->text());
        y += line;
        pages.back().push_back({0, 0, {}, QRectF(margin, y, room, side)});

        PrintCopies(printer, setup, pages.size(), [&](std::size_t p) {
            for (const PrintedItem& item : pages[p]) {
                if (!item.diagram.isNull()) {
                    DrawPhasorDiagram(printer, item.diagram, arrows_);
                    continue;
                }
                printer.CurrentX = item.x;
                printer.CurrentY = item.y;
                printer.Print(item.text);
            }
        });
    });
}

}  // namespace sevrana
