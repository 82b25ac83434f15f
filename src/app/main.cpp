// The viewer: one main window on the real desktop; the command line may name
// a recording's configuration file to open at once.

#include <QApplication>
#include <QStringList>

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
    form.Form_Load(arguments.join(QLatin1Char(' ')));
    return QApplication::exec();
}
