// The real desktop behind Platform: message boxes, the open and print dialogs,
// the active window and the program's own help viewer.

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "FileFilter.h"
#include "Messages.h"
#include "Platform.h"

namespace sevrana {

namespace {

/// A box titled "Sevrana"; a lone carriage return breaks the line as on the desktops
/// the texts were written for.
int ShowBox(const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromLatin1(messages::kAppTitle));
    box.setIcon(QMessageBox::NoIcon);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setStandardButtons(buttons);
    return box.exec();
}

}  // namespace

void QtPlatform::MessageBox(const QString& text) { ShowBox(text, QMessageBox::Ok); }

bool QtPlatform::AskYesNo(const QString& text)
{
    return ShowBox(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtPlatform::SetClipboardImage(const QImage& picture) { QGuiApplication::clipboard()->setImage(picture); }

QImage QtPlatform::ClipboardImage() { return QGuiApplication::clipboard()->image(); }

void QtPlatform::SetClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

std::optional<QString> QtPlatform::OpenFileName(QWidget* parent, const QString& filter, const QString& lastName)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), lastName, QtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

const void* QtPlatform::ActiveWindow() { return QApplication::activeWindow(); }

void QtPlatform::ShowHelp(const QString& path)
{
    // A window of its own beside the main window; closing the program closes it too.
    auto* dialog = new QDialog(nullptr, Qt::Window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAttribute(Qt::WA_QuitOnClose, false);
    dialog->setWindowTitle(QStringLiteral("Sevrana Help"));
    auto* layout = new QVBoxLayout(dialog);
    auto* browser = new QTextBrowser(dialog);
    browser->setOpenExternalLinks(true);
    if (QFileInfo(path).isFile())
        browser->setSource(QUrl::fromLocalFile(path));
    else
        browser->setPlainText(QStringLiteral("The help file was not found:\n") + path);
    layout->addWidget(browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->resize(640, 560);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

QString QtPlatform::ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

std::optional<PrintSetup> QtPlatform::PrintDialog(QWidget* parent, bool offerSelection)
{
    if (printer_ == nullptr) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setCopyCount(1);
    printer_->setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setWindowTitle(QStringLiteral("Print"));
    // Printing into a PDF file stays offered: many Linux desktops have no printer at all.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    PrintSetup setup;
    setup.printer = printer_.get();
    setup.copies = std::max(1, printer_->copyCount());
    setup.selection = offerSelection && printer_->printRange() == QPrinter::Selection;
    if (printer_->printRange() == QPrinter::PageRange) {
        setup.fromPage = printer_->fromPage();
        setup.toPage = printer_->toPage();
    }
    printer_->setCopyCount(1);  // the program prints each copy itself
    return setup;
}

}  // namespace sevrana
