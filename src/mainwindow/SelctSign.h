#pragma once
// The channel selection dialog: every analog and digital channel in a list with
// a tick each. A click takes effect at once: an analog channel's window is
// minimized or restored, a digital channel joins or leaves the digital window
// (which is minimized when none is left). OK only closes the dialog.

#include "WaitingDialog.h"

class QItemSelection;
class QListWidget;
class QPushButton;

namespace sevrana {

class MDIForm1;

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
    /// Brings the all-selected flag up to date (the dialog is closing).
    void Form_Unload() override;

    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    MDIForm1& form_;
    bool filling_ = false;
};

}  // namespace sevrana
