// The viewer: one main window on the real desktop; the command line may name
// a recording's configuration file to open at once.

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "MDIForm1.h"
#include "Platform.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sevrana"));

    sevrana::QtPlatform platform;
    sevrana::MDIForm1 form(platform);
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    // Started from inside the event loop, so that closing the window during the
    // first load ends the program like any other close.
    QTimer::singleShot(0, &form, [&form, commandLine = arguments.join(QLatin1Char(' '))] { form.Form_Load(commandLine); });
    return QApplication::exec();
}
