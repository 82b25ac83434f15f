#pragma once
// A dialog that its own load shows, centred on the screen, and that waits until
// OK sets its closed flag. The close box and Escape end the wait like OK.

#include <QDialog>

namespace sevrana {

class WaitingDialog : public QDialog {
    Q_OBJECT
public:
    explicit WaitingDialog(QWidget* parent = nullptr);

    /// The load (which shows the dialog), then the wait for the closed flag.
    void ShowAndWait();
    /// Fills and shows the dialog; the wait is ShowAndWait's.
    virtual void Form_Load() = 0;

    /// False while the dialog waits.
    bool blnClosed = false;

protected:
    /// Left = screen width / 2 - width / 2, and the same for the top.
    void CentreOnScreen();
    /// Runs once, as the dialog closes.
    virtual void Form_Unload() {}
    void done(int result) override;
};

}  // namespace sevrana
