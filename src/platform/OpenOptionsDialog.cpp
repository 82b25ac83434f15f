#include "OpenOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>

#include "Messages.h"
#include "TextDecoder.h"

namespace sevrana {

OpenOptionsDialog::OpenOptionsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Open with options"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* form = new QFormLayout(this);

    auto* rateRow = new QHBoxLayout;
    Resample = new QCheckBox(QStringLiteral("Resample onto"), this);
    Rate = new QSpinBox(this);
    Rate->setRange(1, 100'000'000);
    Rate->setValue(1000);
    Rate->setSuffix(QStringLiteral(" Hz"));
    Rate->setEnabled(false);
    connect(Resample, &QCheckBox::toggled, Rate, &QWidget::setEnabled);
    rateRow->addWidget(Resample);
    rateRow->addWidget(Rate, 1);
    form->addRow(QStringLiteral("Rate:"), rateRow);

    auto* valuesRow = new QHBoxLayout;
    AsRecorded = new QRadioButton(QStringLiteral("As recorded"), this);
    Primary = new QRadioButton(QStringLiteral("Primary"), this);
    Secondary = new QRadioButton(QStringLiteral("Secondary"), this);
    AsRecorded->setChecked(true);
    for (QRadioButton* button : {AsRecorded, Primary, Secondary}) valuesRow->addWidget(button);
    form->addRow(QStringLiteral("Values:"), valuesRow);

    Encoding = new QComboBox(this);
    Encoding->addItem(QStringLiteral("Automatic"));
    for (const CodePage& page : KnownCodePages())
        Encoding->addItem(QString::fromLatin1(page.name.data(), static_cast<qsizetype>(page.name.size())));
    form->addRow(QStringLiteral("Encoding:"), Encoding);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

OpenOptions OpenOptionsDialog::Options() const
{
    OpenOptions options;
    if (Resample->isChecked()) options.rate = Rate->value();
    options.quantity = Primary->isChecked()     ? OpenOptions::Values::Primary
                       : Secondary->isChecked() ? OpenOptions::Values::Secondary
                                                : OpenOptions::Values::AsRecorded;
    if (Encoding->currentIndex() > 0) options.encoding = Encoding->currentText();
    return options;
}

std::optional<OpenOptions> QtPlatform::AskOpenOptions(QWidget* parent)
{
    OpenOptionsDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Options();
}

}  // namespace sevrana
