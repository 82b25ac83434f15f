#pragma once
// A scripted desktop for the main-window tests: records what the program
// says and shows, and answers dialogs from a queue the test fills.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "Platform.h"

namespace sevrana::testing {

class FakePlatform : public Platform {
public:
    explicit FakePlatform(QString programFolder = QString()) : programFolder(std::move(programFolder)) {}

    void MessageBox(const QString& text) override { messages.push_back(text); }

    /// Answers with the next queued name; a queued nullopt (or an empty queue) is a cancel.
    std::optional<QString> OpenFileName(QWidget*, const QString& filter, const QString& lastName) override
    {
        openFilters.push_back(filter);
        openLastNames.push_back(lastName);
        if (openAnswers.empty()) return std::nullopt;
        auto answer = openAnswers.front();
        openAnswers.pop_front();
        return answer;
    }

    const void* ActiveWindow() override { return activeWindow; }

    void ShowHelp(const QString& path) override { helpPaths.push_back(path); }

    QString ProgramFolder() override { return programFolder; }

    // Scripted answers.
    std::deque<std::optional<QString>> openAnswers;
    const void* activeWindow = nullptr;
    QString programFolder;

    // What happened, in order.
    QStringList messages;
    QStringList openFilters;
    QStringList openLastNames;
    QStringList helpPaths;
};

}  // namespace sevrana::testing
