#pragma once
// The digital events window: every state change of the digital channels in time
// order, with the channels beside it. A window of its own beside the main window;
// a double-click on a change puts marker 1 there through the main window. The
// changes are served to the table on demand, the first rows at once and the rest
// a batch at a time from the event loop, so a long list never blocks the viewer.

#include <QWidget>

#include <functional>
#include <vector>

#include "DigitalEvents.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

namespace sevrana {

class Platform;
class EventRows;

class DigitalEventsWindow : public QWidget {
    Q_OBJECT
public:
    /// goToSample puts marker 1 on a sample and centres the view on it.
    DigitalEventsWindow(const RecordingModel& model, const DigitalEdges& edges, Platform& platform, QWidget* owner,
                        std::function<void(std::int32_t sample)> goToSample);

    /// Nothing shown: no recording, or one that is about to be replaced.
    void Clear();
    /// A recording was loaded (its edge index built): its channels and changes.
    void Reset();

    /// Ctrl+C: the shown rows, with the headings, as tab-separated text on the clipboard.
    void Copy_Click();
    /// Print: the shown rows on the printer chosen in the printer dialog.
    void Print_Click();
    /// A double-click on the table's row.
    void Row_DoubleClick(int row);

    /// The changes the filter lets through, in time order (all of them, served to the table or not).
    const std::vector<analysis::DigitalEvent>& ShownEvents() const;
    /// The rows the table holds so far.
    int ServedRows() const;

    QLineEdit* Filter = nullptr;       // name contains, any case
    QCheckBox* ChangedOnly = nullptr;  // the channel list shows only channels that change
    QTableWidget* Channels = nullptr;  // one row per digital channel
    QTableView* Events = nullptr;      // one row per change
    QLabel* Summary = nullptr;         // "N changes in M of nD channels"
    QPushButton* CopyButton = nullptr;
    QPushButton* PrintButton = nullptr;

private:
    /// The channel list's rows shown and the changes listed after the filter or the choice changed.
    void ApplyFilter();
    /// The shown rows as lines of tab-separated cells, the headings first.
    QString RowsText() const;

    const RecordingModel& model_;
    const DigitalEdges& edges_;
    Platform& platform_;
    std::function<void(std::int32_t)> goToSample_;
    std::vector<analysis::DigitalEvent> all_;  // every change of the recording
    EventRows* rows_ = nullptr;                // what the table shows
    QTimer* filling_ = nullptr;                // serves the next batch of rows from the event loop
    bool loaded_ = false;
};

}  // namespace sevrana
