#include "frmAbout.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ProductPicture.h"

namespace sevrana {

QString VersionText()
{
    return QStringLiteral("Version: %1.%2.%3").arg(SEVRANA_VERSION_MAJOR).arg(SEVRANA_VERSION_MINOR).arg(SEVRANA_VERSION_PATCH);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("About Sevrana"));
    picImage = new QLabel(this);
    picImage->setObjectName(QStringLiteral("picImage"));
    picImage->setPixmap(ProductPicture(96, 64));
    lblTitle = new QLabel(QStringLiteral("Sevrana"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont title = lblTitle->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    lblTitle->setFont(title);
    lblVersion = new QLabel(VersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(QStringLiteral("Viewer for COMTRADE fault recordings"), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(picImage, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(lblTitle, 0, 1);
    layout->addWidget(lblVersion, 1, 1);
    layout->addWidget(description, 2, 1);
    layout->addWidget(cmdOK, 3, 1, Qt::AlignRight);
    layout->setHorizontalSpacing(16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmAbout::cmdOK_Click() { accept(); }

}  // namespace sevrana
