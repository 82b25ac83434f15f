#pragma once
// The file information report window: the recording's header data and one line
// per channel in a list, OK to close and Print to put the same lines on paper.
// It is filled from the recording each time it opens and keeps nothing.

#include "WaitingDialog.h"

#include "RecordingModel.h"

class QListWidget;
class QPushButton;

namespace sevrana {

class Platform;

class File_Info : public WaitingDialog {
    Q_OBJECT
public:
    File_Info(const RecordingModel& model, Platform& platform, QWidget* parent = nullptr);

    /// Centres the window on the screen, titles it, shows it and fills the list.
    void Form_Load() override;
    /// OK: ends the wait.
    void Command1_Click();
    /// Print: the report on the printer chosen in the printer dialog.
    void Command2_Click();
    /// Lays out the list and the buttons for the window's size.
    void Form_Resize();

    /// The list's lines as shown.
    QStringList Lines() const;

    QListWidget* List1 = nullptr;
    QPushButton* Command2 = nullptr;  // Print
    QPushButton* Command1 = nullptr;  // OK

    /// Designed inner size, and the controls' sizes and margin, in pixels (twips / 15).
    static constexpr int kDesignWidth = 596;   // 8940 twips
    static constexpr int kDesignHeight = 538;  // 8070 twips
    static constexpr int kMargin = 8;          // 120 twips

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    const RecordingModel& model_;
    Platform& platform_;
};

}  // namespace sevrana
