#pragma once
// The About box: the product's name, its picture and version, and OK.

#include <QDialog>

class QLabel;
class QPushButton;

namespace sevrana {

/// "Version: " and the major, minor and revision numbers the project is built as.
QString VersionText();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    /// OK: closes the box.
    void cmdOK_Click();

    QLabel* picImage = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
};

}  // namespace sevrana
