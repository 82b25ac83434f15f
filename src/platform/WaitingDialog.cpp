#include "WaitingDialog.h"

#include <QGuiApplication>
#include <QScreen>

namespace sevrana {

WaitingDialog::WaitingDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);  // shown by its own load, before the wait: modal from the start
}

void WaitingDialog::ShowAndWait()
{
    Form_Load();
    if (!blnClosed) exec();
}

void WaitingDialog::CentreOnScreen()
{
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
}

void WaitingDialog::done(int result)
{
    if (!blnClosed) {
        blnClosed = true;
        Form_Unload();
    }
    QDialog::done(result);
}

}  // namespace sevrana
