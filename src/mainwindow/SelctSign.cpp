#include "SelctSign.h"

#include <QApplication>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "MDIForm1.h"

namespace sevrana {

SelctSign::SelctSign(MDIForm1& form) : WaitingDialog(&form), form_(form)
{
    setObjectName(QStringLiteral("SelctSign"));
    setWindowTitle(QStringLiteral("Select channels"));
    auto* layout = new QVBoxLayout(this);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);  // each click toggles one item
    layout->addWidget(List1);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    layout->addWidget(Command1, 0, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // Clicks, the space bar and "select all" alike: every item that toggled is applied.
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                SelectionChanged(selected, deselected);
            });
    resize(300, 360);
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
    for (long i = 1; i <= nA; ++i) {
        List1->addItem(QString::fromStdString(m.arrAnalogNames(i)));
        const Pohja* w = form_.ChannelWindow(i);
        List1->item(static_cast<int>(i - 1))->setSelected(w == nullptr || !w->IsMinimized());
    }
    std::int16_t n = 0;
    for (long j = 1; j <= nD; ++j) {
        List1->addItem(QString::fromStdString(m.arrDigitalNames(j)));
        const bool shown = m.arrDigitalSelection(0) == 1 || m.arrDigitalSelection(j) == 1;
        List1->item(static_cast<int>(nA + j - 1))->setSelected(shown);
        m.arrDigitalSelection(j) = shown ? 1 : 0;
        if (shown) ++n;
        m.arrDigitalSelection(nD + 1) = n;
    }
    m.arrDigitalSelection(nD + 1) = n;  // also for a recording without digital channels
    filling_ = false;
    blnClosed = false;
    update();
}

void SelctSign::Command1_Click() { done(QDialog::Accepted); }

void SelctSign::Form_Unload()
{
    RecordingModel& m = form_.State().model;
    const long nD = m.DigitalCount();
    m.arrDigitalSelection(0) = m.arrDigitalSelection(nD + 1) < nD ? 0 : 1;
}

void SelctSign::SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (filling_) return;
    for (const QItemSelection* changed : {&selected, &deselected})
        for (const QModelIndex& index : changed->indexes()) List1_MouseDown(index.row());
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
    RecordingModel& m = form_.State().model;
    const long nA = m.AnalogCount();
    const long nD = m.DigitalCount();
    if (x < 0 || x >= List1->count()) return;
    const bool ticked = List1->item(x)->isSelected();
    if (x > nA - 1) {
        const long j = x - nA + 1;
        if (ticked != (m.arrDigitalSelection(j) == 1)) {  // a tick counts once, however it is reported
            m.arrDigitalSelection(j) = ticked ? 1 : 0;
            m.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(m.arrDigitalSelection(nD + 1) + (ticked ? 1 : -1));
        }
        SetMinimized(form_.ChannelWindow(nA + 1), m.arrDigitalSelection(nD + 1) == 0);
    } else {
        SetMinimized(form_.ChannelWindow(x + 1), !ticked);
    }
    activateWindow();
}

}  // namespace sevrana
