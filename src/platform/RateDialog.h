#pragma once
// Asks the rate to show a recording at when it has several sampling rates, or time stamps
// only that are not evenly spaced: the highest rate, the rate of the median stamp spacing,
// or another whole rate, each with the samples it makes.

#include <QDialog>
#include <QString>
#include <cstdint>

#include "Platform.h"

class QLabel;
class QRadioButton;
class QSpinBox;

namespace sevrana {

class RateDialog : public QDialog {
    Q_OBJECT
public:
    RateDialog(const RateOffer& offer, QWidget* parent = nullptr);

    /// The rate chosen (Hz).
    double Rate() const;

    QLabel* Question = nullptr;
    QRadioButton* Highest = nullptr;  // hidden when the offer has no highest rate
    QRadioButton* Median = nullptr;   // hidden when the offer has no median spacing
    QRadioButton* Other = nullptr;
    QSpinBox* OtherRate = nullptr;
    QLabel* OtherSamples = nullptr;

private:
    void ShowOtherSamples();

    RateOffer offer_;
};

/// "4800 Hz", "1234.5 Hz".
QString RateText(double rate);

}  // namespace sevrana
