#include "SelctSign.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "MDIForm1.h"

namespace sevrana {

std::vector<bool> NamesContaining(const QStringList& names, const QString& text)
{
    std::vector<bool> contains(static_cast<std::size_t>(names.size()));
    for (qsizetype k = 0; k < names.size(); ++k)
        contains[static_cast<std::size_t>(k)] = names[k].contains(text, Qt::CaseInsensitive);
    return contains;
}

SelctSign::SelctSign(MDIForm1& form) : WaitingDialog(&form), form_(form)
{
    setObjectName(QStringLiteral("SelctSign"));
    setWindowTitle(QStringLiteral("Select channels"));
    auto* layout = new QVBoxLayout(this);
    Filter = new QLineEdit(this);
    Filter->setObjectName(QStringLiteral("Filter"));
    Filter->setPlaceholderText(QStringLiteral("Filter names"));
    Filter->setClearButtonEnabled(true);
    layout->addWidget(Filter);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);  // each click toggles one item
    List1->setUniformItemSizes(true);                            // hundreds of names lay out at once
    List1->viewport()->installEventFilter(this);                 // Shift+click and the range's start
    layout->addWidget(List1);
    auto* buttons = new QHBoxLayout;
    auto button = [&](QPushButton*& made, const char* name, const QString& caption) {
        made = new QPushButton(caption, this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);  // Enter in the filter box is OK, not a button here
        buttons->addWidget(made);
    };
    button(All, "All", QStringLiteral("All"));
    button(None, "None", QStringLiteral("None"));
    button(ChangedOnly, "ChangedOnly", QStringLiteral("Changed only"));
    buttons->addStretch();
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    buttons->addWidget(Command1);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(All, &QPushButton::clicked, this, [this] { AllOrNone_Click(true); });
    connect(None, &QPushButton::clicked, this, [this] { AllOrNone_Click(false); });
    connect(ChangedOnly, &QPushButton::clicked, this, [this] { ChangedOnly_Click(); });
    connect(Filter, &QLineEdit::textChanged, this, [this] { Filter_Change(); });
    // Clicks, the space bar and "select all" alike: every item that toggled is applied.
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                SelectionChanged(selected, deselected);
            });
    resize(340, 420);
}

void SelctSign::Form_Load()
{
    CentreOnScreen();
    show();
    RecordingModel& m = form_.State().model;
    const long nA = m.AnalogCount();
    const long nD = m.DigitalCount();
    filling_ = true;
    List1->clear();
    names_.clear();
    for (long i = 1; i <= nA; ++i) names_ << QString::fromStdString(m.arrAnalogNames(i));
    for (long j = 1; j <= nD; ++j) names_ << QString::fromStdString(m.arrDigitalNames(j));
    List1->addItems(names_);
    shown_.assign(static_cast<std::size_t>(names_.size()), true);
    for (long i = 1; i <= nA; ++i) {
        const Pohja* w = form_.ChannelWindow(i);
        List1->item(static_cast<int>(i - 1))->setSelected(w == nullptr || !w->IsMinimized());
    }
    std::int16_t n = 0;
    for (long j = 1; j <= nD; ++j) {
        const bool shown = m.arrDigitalSelection(0) == 1 || m.arrDigitalSelection(j) == 1;
        List1->item(static_cast<int>(nA + j - 1))->setSelected(shown);
        m.arrDigitalSelection(j) = shown ? 1 : 0;
        if (shown) ++n;
    }
    m.arrDigitalSelection(nD + 1) = n;  // also for a recording without digital channels
    m.arrDigitalSelection(0) = n == nD ? 1 : 0;
    ChangedOnly->setEnabled(nD > 0);
    Filter_Change();  // a text typed before the load still filters
    anchor_ = -1;
    filling_ = false;
    blnClosed = false;
    update();
}

void SelctSign::Command1_Click() { done(QDialog::Accepted); }

void SelctSign::SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (filling_) return;
    const long nA = form_.State().model.AnalogCount();
    bool digital = false;
    for (const QItemSelection* changed : {&selected, &deselected})
        for (const QModelIndex& index : changed->indexes()) {
            Apply(index.row());
            digital = digital || index.row() >= nA;
        }
    if (digital) RedrawDigitalWindow();
    activateWindow();
}

void SelctSign::RedrawDigitalWindow()
{
    Pohja* window = form_.ChannelWindow(form_.State().model.AnalogCount() + 1);
    if (window == nullptr || window->IsMinimized()) return;  // drawn again as it is restored
    ViewState& v = form_.State().view;
    const Flag before = v.blnRedrawSignals;
    v.blnRedrawSignals = kTrue;
    window->DrawSignal();
    v.blnRedrawSignals = before;
}

namespace {

/// Minimized, or back in the normal state.
void SetMinimized(Pohja* window, bool minimized)
{
    if (window == nullptr || window->Frame() == nullptr || window->IsMinimized() == minimized) return;
    if (minimized)
        window->Frame()->showMinimized();
    else
        window->Frame()->showNormal();
}

}  // namespace

void SelctSign::List1_MouseDown(int x)
{
    Apply(x);
    if (x >= form_.State().model.AnalogCount()) RedrawDigitalWindow();
    activateWindow();
}

void SelctSign::Apply(int x)
{
    RecordingModel& m = form_.State().model;
    const long nA = m.AnalogCount();
    const long nD = m.DigitalCount();
    if (x < 0 || x >= List1->count()) return;
    const bool ticked = List1->item(x)->isSelected();
    if (x > nA - 1) {
        const long j = x - nA + 1;
        if (ticked != (m.arrDigitalSelection(j) == 1)) {  // a tick counts once, however it is reported
            m.arrDigitalSelection(j) = ticked ? 1 : 0;
            m.arrDigitalSelection(nD + 1) =
                static_cast<std::int16_t>(m.arrDigitalSelection(nD + 1) + (ticked ? 1 : -1));
        }
        // The renderers show every channel while this is set: it may stand only while every one is ticked.
        m.arrDigitalSelection(0) = m.arrDigitalSelection(nD + 1) == nD ? 1 : 0;
        SetMinimized(form_.ChannelWindow(nA + 1), m.arrDigitalSelection(nD + 1) == 0);
    } else {
        SetMinimized(form_.ChannelWindow(x + 1), !ticked);
    }
}

void SelctSign::SetTicks(const std::vector<int>& rows, bool tick)
{
    QItemSelection change;
    for (int row : rows)
        if (List1->item(row)->isSelected() != tick) {
            const QModelIndex index = List1->model()->index(row, 0);
            change.select(index, index);
        }
    if (!change.isEmpty())
        List1->selectionModel()->select(change, tick ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void SelctSign::Filter_Change()
{
    const std::vector<bool> shown = NamesContaining(names_, Filter->text());
    // Only the rows whose state changes: each one hidden or shown costs the list a little.
    for (std::size_t k = 0; k < shown.size() && k < shown_.size(); ++k)
        if (shown[k] != shown_[k]) List1->setRowHidden(static_cast<int>(k), !shown[k]);
    shown_ = shown;
}

void SelctSign::AllOrNone_Click(bool tick)
{
    std::vector<int> rows;
    for (std::size_t k = 0; k < shown_.size(); ++k)
        if (shown_[k]) rows.push_back(static_cast<int>(k));
    SetTicks(rows, tick);
}

void SelctSign::ChangedOnly_Click()
{
    const SharedState& s = form_.State();
    const long nA = s.model.AnalogCount();
    const long nD = s.model.DigitalCount();
    if (nD == 0 || s.edges.empty()) return;
    std::vector<int> changing, steady;
    for (long j = 1; j <= nD; ++j)
        (s.edges.Changes(j).empty() ? steady : changing).push_back(static_cast<int>(nA + j - 1));
    // Ticks first: the digital window is not minimized on the way when some channel stays.
    SetTicks(changing, true);
    SetTicks(steady, false);
}

void SelctSign::ShiftClick(int x)
{
    if (x < 0 || x >= List1->count()) return;
    const bool tick = !List1->item(x)->isSelected();
    const int from = anchor_ >= 0 && anchor_ < List1->count() ? anchor_ : x;
    std::vector<int> rows;
    for (int k = std::min(from, x); k <= std::max(from, x); ++k)
        if (shown_[static_cast<std::size_t>(k)]) rows.push_back(k);
    SetTicks(rows, tick);
    anchor_ = x;
    List1->selectionModel()->setCurrentIndex(List1->model()->index(x, 0), QItemSelectionModel::NoUpdate);
}

bool SelctSign::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == List1->viewport() && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                                         type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = List1->indexAt(mouse->position().toPoint()).row();
        if (mouse->button() == Qt::LeftButton && row >= 0) {
            // The list's own Shift handling would select from its current item: the range is handled
            // here, and the list sees none of that click.
            if (mouse->modifiers() & Qt::ShiftModifier) {
                if (type == QEvent::MouseButtonPress) ShiftClick(row);
                return true;
            }
            if (type == QEvent::MouseButtonPress) anchor_ = row;
        }
    }
    return WaitingDialog::eventFilter(watched, event);
}

}  // namespace sevrana
