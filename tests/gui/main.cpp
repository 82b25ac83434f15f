// The window tests need a QApplication alive for the whole run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    // Settings that fall back to the user's folder land in Qt's test folder, not the real one.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sevrana"));
    return RUN_ALL_TESTS();
}
