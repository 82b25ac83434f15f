// The window tests need the application object alive for the whole run.

#include <gtest/gtest.h>

#include <QImage>
#include <QStandardPaths>

#include "Application.h"
#include "Platform.h"

namespace {

/// A failure that escapes an event handler fails the test it happened in; tests that
/// expect one show it on their own fake. Nothing else is asked of this desktop.
class FailTheTest : public sevrana::Platform {
public:
    void MessageBox(const QString& text) override { ADD_FAILURE() << "escaped: " << text.toStdString(); }
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    const void* ActiveWindow() override { return nullptr; }
    void ShowHelp(const QString&) override {}
    QString ProgramFolder() override { return {}; }
    std::optional<sevrana::PrintSetup> PrintDialog(QWidget*, bool) override { return {}; }
    bool AskYesNo(const QString&) override { return false; }
    void SetClipboardImage(const QImage&) override {}
    QImage ClipboardImage() override { return {}; }
    void SetClipboardText(const QString&) override {}
    std::optional<double> AskRate(QWidget*, const sevrana::RateOffer&) override { return {}; }
    std::optional<sevrana::OpenOptions> AskOpenOptions(QWidget*) override { return {}; }
};

}  // namespace

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Settings that fall back to the user's folder land in Qt's test folder, not the real one.
    QStandardPaths::setTestModeEnabled(true);
    // The program's own application object: its icon, and its net under the event handlers.
    sevrana::Application app(argc, argv);
    FailTheTest failTheTest;
    app.ReportFailuresTo(&failTheTest);
    const int result = RUN_ALL_TESTS();
    app.ReportFailuresTo(nullptr);
    return result;
}
