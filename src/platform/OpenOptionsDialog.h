#pragma once
// File > Open with options...: how to read the recording chosen, where the usual open judges
// by itself: a rate to resample onto, primary or secondary values, the code page of its texts.

#include <QDialog>

#include "Platform.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace sevrana {

class OpenOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OpenOptionsDialog(QWidget* parent = nullptr);

    /// The options as they stand.
    OpenOptions Options() const;

    QCheckBox* Resample = nullptr;  // off: the recording's own rate
    QSpinBox* Rate = nullptr;
    QRadioButton* AsRecorded = nullptr;
    QRadioButton* Primary = nullptr;
    QRadioButton* Secondary = nullptr;
    QComboBox* Encoding = nullptr;  // "Automatic", then the known code pages
};

}  // namespace sevrana
