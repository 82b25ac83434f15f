#pragma once
// Everything that talks to the person or the desktop goes through here, so
// tests can script the answers.

#include <QString>
#include <optional>

class QWidget;

namespace sevrana {

class Platform {
public:
    virtual ~Platform() = default;
    /// Modal message box with an OK button and the title "Sevrana".
    virtual void MessageBox(const QString& text) = 0;
    /// Open-file dialog; nothing when cancelled. lastName is the name chosen last time.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter, const QString& lastName) = 0;
    /// The system's active top-level window (compared by identity only).
    virtual const void* ActiveWindow() = 0;
    /// Shows a help page.
    virtual void ShowHelp(const QString& path) = 0;
    /// Folder of the program (for the settings and help files).
    virtual QString ProgramFolder() = 0;
};

/// The real desktop.
class QtPlatform : public Platform {
public:
    void MessageBox(const QString& text) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter, const QString& lastName) override;
    const void* ActiveWindow() override;
    void ShowHelp(const QString& path) override;
    QString ProgramFolder() override;
};

}  // namespace sevrana
