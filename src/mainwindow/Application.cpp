#include "Application.h"

#include <QScopedValueRollback>

#include <cstdio>

#include "Messages.h"
#include "Platform.h"
#include "ProgramError.h"
#include "ProgramIcon.h"

namespace sevrana {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(messages::kAppTitle));
    setWindowIcon(ProgramIcon());
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Report(std::current_exception());
        return false;
    }
}

void Application::Report(const std::exception_ptr& failure)
{
    const std::string text = GeneratedByMessage(DescribeFailure(failure));
    // A handler that fails again while its message is up (a paint behind the box) would
    // stack box upon box: those go to standard error only.
    if (platform_ == nullptr || reporting_) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    const QScopedValueRollback<bool> shown(reporting_, true);
    platform_->MessageBox(QString::fromStdString(text));
}

}  // namespace sevrana
