#pragma once
// The measurements window: values, RMS, DC, the fundamental's phasor, THD and
// the 2nd harmonic of every analog channel at the trigger or at both markers,
// the sequence components of the three-phase groups, and the phasor diagram.
// A window of its own beside the main window, which it follows live: the main
// window hands it the view after every redraw, and it measures again only when
// a measured sample or the reference changed. Its widgets are made once per
// recording; a move only rewrites texts and repaints the diagram.

#include <QStringList>
#include <QWidget>

#include <vector>

#include "Measurement.h"
#include "PhasorDiagram.h"
#include "ViewState.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace sevrana {

class Platform;

class Measurements : public QWidget {
    Q_OBJECT
public:
    Measurements(const RecordingModel& model, Platform& platform, QWidget* owner);

    /// Nothing shown: no recording, or one that is about to be replaced.
    void Clear();
    /// A recording was loaded: its channels in the reference list (the default chosen) and the
    /// group list; the next Follow measures.
    void Reset();
    /// Measures at both markers when they are on, else at the trigger sample (within the
    /// record); the diagram shows the marker the mouse moves. Nothing is done when the
    /// samples, the reference and the diagram's marker are those shown already.
    void Follow(const ViewState& view, int activeMarker);

    /// Ctrl+C: the tables as tab-separated text on the clipboard.
    void Copy_Click();
    /// Print: the tables and the diagram on the printer chosen in the printer dialog.
    void Print_Click();

    /// The diagram's arrows as drawn now.
    const std::vector<PhasorArrow>& Arrows() const { return arrows_; }

    QLabel* Info = nullptr;  // the measured samples, the window, the cycle and the frequency
    QComboBox* Reference = nullptr;
    QTableWidget* Channels = nullptr;
    QTableWidget* Groups = nullptr;
    QLabel* DiagramTitle = nullptr;
    QWidget* Diagram = nullptr;
    QCheckBox* Sequence = nullptr;  // the sequence components of the chosen group in the diagram
    QComboBox* Group = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* PrintButton = nullptr;

private:
    /// Measures at the samples asked for last, and shows it.
    void Measure();
    /// Rows of cells in a table, the first row its headings; cells are written only where they changed.
    static void ShowTable(QTableWidget& table, const std::vector<QStringList>& rows);
    /// Puts text in a cell, making the cell's item the first time.
    static void SetCell(QTableWidget& table, int row, int column, const QString& text);
    void ShowInfo();
    void ShowDiagram();
    /// The two tables as the clipboard and the paper get them.
    QString TablesText() const;

    const RecordingModel& model_;
    Platform& platform_;
    std::vector<long> samples_;                 // measured samples: the trigger's, or M1's and M2's
    std::vector<analysis::Measurement> shown_;  // one per measured sample
    std::size_t diagramPoint_ = 0;              // the one of shown_ the diagram draws
    long reference_ = 0;                        // the analog channel chosen as the reference; 0 for the default
    bool loaded_ = false;
    std::vector<PhasorArrow> arrows_;
};

}  // namespace sevrana
