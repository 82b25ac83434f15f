#include "RateDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "Messages.h"

namespace sevrana {

namespace {

QString SamplesText(std::int64_t samples)
{
    return samples == 1 ? QStringLiteral("1 sample") : QString::number(samples) + QStringLiteral(" samples");
}

}  // namespace

QString RateText(double rate) { return QString::number(rate, 'g', 12) + QStringLiteral(" Hz"); }

std::int64_t RateOffer::SamplesAt(double rate) const
{
    // The record keeps its length at any rate: its first sample at 0, the last where it ended.
    return static_cast<std::int64_t>(std::floor(seconds * rate + 1e-9)) + 1;
}

RateDialog::RateDialog(const RateOffer& offer, QWidget* parent) : QDialog(parent), offer_(offer)
{
    setWindowTitle(QString::fromLatin1(messages::kAppTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);

    QString question;
    if (offer.ratesFound.empty()) {
        question = QStringLiteral("The time stamps of this recording are not evenly spaced.");
    } else if (offer.ratesFound.size() == 1) {
        question = QStringLiteral("The sampling rate of this recording (") + RateText(offer.ratesFound[0]) +
                   QStringLiteral(") is more than can be shown.");
    } else {
        QStringList rates;
        for (const double rate : offer.ratesFound) rates << RateText(rate);
        question = QStringLiteral("This recording has several sampling rates (") + rates.join(QStringLiteral(", ")) +
                   QStringLiteral(").");
    }
    Question = new QLabel(question + QStringLiteral("\nShow it at:"), this);
    layout->addWidget(Question);

    Highest = new QRadioButton(QStringLiteral("The highest rate, ") + RateText(offer.highest) + " (" +
                                   SamplesText(offer.samplesAtHighest) + ")",
                               this);
    Median = new QRadioButton(QStringLiteral("The rate of the median time stamp spacing, ") + RateText(offer.median) +
                                  " (" + SamplesText(offer.samplesAtMedian) + ")",
                              this);
    layout->addWidget(Highest);
    layout->addWidget(Median);
    Highest->setVisible(offer.highest > 0);
    Median->setVisible(offer.median > 0);

    auto* otherRow = new QHBoxLayout;
    Other = new QRadioButton(QStringLiteral("Another rate:"), this);
    OtherRate = new QSpinBox(this);
    OtherRate->setRange(1, 100'000'000);
    OtherRate->setSuffix(QStringLiteral(" Hz"));
    const double suggested = offer.highest > 0 ? offer.highest : offer.median > 0 ? offer.median : 1000;
    OtherRate->setValue(std::max(1, static_cast<int>(std::lround(suggested))));
    OtherSamples = new QLabel(this);
    otherRow->addWidget(Other);
    otherRow->addWidget(OtherRate);
    otherRow->addWidget(OtherSamples, 1);
    layout->addLayout(otherRow);

    (offer.highest > 0 ? Highest : offer.median > 0 ? Median : Other)->setChecked(true);
    ShowOtherSamples();
    connect(OtherRate, &QSpinBox::valueChanged, this, [this] {
        Other->setChecked(true);  // typing a rate means that rate
        ShowOtherSamples();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void RateDialog::ShowOtherSamples()
{
    OtherSamples->setText(QStringLiteral("(") + SamplesText(offer_.SamplesAt(OtherRate->value())) +
                          QStringLiteral(")"));
}

double RateDialog::Rate() const
{
    if (Highest->isChecked()) return offer_.highest;
    if (Median->isChecked()) return offer_.median;
    return OtherRate->value();
}

std::optional<double> QtPlatform::AskRate(QWidget* parent, const RateOffer& offer)
{
    RateDialog dialog(offer, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Rate();
}

}  // namespace sevrana
