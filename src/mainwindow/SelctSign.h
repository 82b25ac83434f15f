#pragma once
// The channel selection dialog: every analog and digital channel in a list with
// a tick each. A click takes effect at once: an analog channel's window is
// minimized or restored, a digital channel joins or leaves the digital window
// (which is minimized when none is left). OK only closes the dialog.
// To find channels among hundreds: a filter box (only the names containing its
// text, any case, are listed; hidden ticks stay), All and None (for the entries
// listed), Shift+click (the range from the last clicked entry) and Changed only
// (the digital channels that change state at least once). All of them take effect
// at once, like a click.

#include <QString>

#include <vector>

#include "WaitingDialog.h"

class QItemSelection;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sevrana {

class MDIForm1;

/// For each name: does it contain text, letter case ignored (an empty text: every name does).
std::vector<bool> NamesContaining(const QStringList& names, const QString& text);

class SelctSign : public WaitingDialog {
    Q_OBJECT
public:
    explicit SelctSign(MDIForm1& form);

    /// Centres the dialog, shows it and fills the list from the recording and the windows.
    void Form_Load() override;
    /// OK: ends the wait.
    void Command1_Click();
    /// List item x (from 0) has just been ticked or unticked: applies it.
    void List1_MouseDown(int x);
    /// The filter text changed: lists only the names that contain it.
    void Filter_Change();
    /// Ticks (true) or unticks every entry listed.
    void AllOrNone_Click(bool tick);
    /// Ticks the digital channels with at least one change of state, unticks the others.
    void ChangedOnly_Click();
    /// Shift+click on entry x: gives the entries listed from the last clicked one to x the
    /// state that x's tick toggles to.
    void ShiftClick(int x);

    QLineEdit* Filter = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* All = nullptr;
    QPushButton* None = nullptr;
    QPushButton* ChangedOnly = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    /// Entry x's tick applied to the windows and the digital selection, without taking the focus back.
    void Apply(int x);
    /// The digital window's rows drawn again for the channels now ticked (when it is shown).
    void RedrawDigitalWindow();
    /// Ticks or unticks the entries in rows, in one change of the list.
    void SetTicks(const std::vector<int>& rows, bool tick);

    MDIForm1& form_;
    bool filling_ = false;
    QStringList names_;        // the list's texts, kept for the filter
    std::vector<bool> shown_;  // which entries the filter lists
    int anchor_ = -1;          // the entry last clicked: where a Shift+click range starts
};

}  // namespace sevrana
