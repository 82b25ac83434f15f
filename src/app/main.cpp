// The viewer: one main window on the real desktop; the command line may name
// a recording's configuration file to open at once.

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <cstdio>

#include "Application.h"
#include "MDIForm1.h"
#include "Platform.h"

int main(int argc, char* argv[])
{
    QElapsedTimer started;
    started.start();
    sevrana::Application app(argc, argv);
    sevrana::QtPlatform platform;
    app.ReportFailuresTo(&platform);
    sevrana::MDIForm1 form(platform);
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    // Started from inside the event loop, so that closing the window during the
    // first load ends the program like any other close.
    // SEVRANA_QUIT_WHEN_DRAWN=1: say how long it took until every window was drawn, and end
    // (scripts/measure-startup.sh times the whole run with it).
    const bool measure = qEnvironmentVariableIntValue("SEVRANA_QUIT_WHEN_DRAWN") == 1;
    QTimer::singleShot(0, &form, [&, commandLine = arguments.join(QLatin1Char(' '))] {
        form.Form_Load(commandLine);
        if (!measure) return;
        QApplication::processEvents();  // the windows' own paints
        std::printf("drawn after %lld ms\n", static_cast<long long>(started.elapsed()));
        std::fflush(stdout);
        QApplication::quit();
    });
    const int code = QApplication::exec();
    app.ReportFailuresTo(nullptr);  // the platform goes before the application
    return code;
}
