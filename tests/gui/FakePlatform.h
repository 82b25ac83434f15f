#pragma once
// A scripted desktop for the main-window tests: records what the program
// says and shows, and answers dialogs from a queue the test fills.

#include <QImage>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

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
        std::optional<QString> answer;
        answer.swap(openAnswers.front());
        openAnswers.pop_front();
        return answer;
    }

    const void* ActiveWindow() override { return activeWindow; }

    void ShowHelp(const QString& path) override { helpPaths.push_back(path); }

    QString ProgramFolder() override { return programFolder; }

    /// A printer dialog's answer: a PDF "printer" writing into outputFile.
    struct PrintAnswer {
        QString outputFile;
        int copies = 1;
        bool selection = false;
        QPrinter::ColorMode colour = QPrinter::Color;
        QPageSize pageSize = QPageSize(QPageSize::A4);
        int fromPage = 0;  // the range "Pages from ... to ...", 0 and 0 for all
        int toPage = 0;
    };

    /// Answers with the next queued printer; a queued nullopt (or an empty queue) is a cancel.
    std::optional<PrintSetup> PrintDialog(QWidget*, bool offerSelection) override
    {
        printDialogsOfferingSelection.push_back(offerSelection);
        if (printAnswers.empty() || !printAnswers.front()) {
            if (!printAnswers.empty()) printAnswers.pop_front();
            return std::nullopt;
        }
        const PrintAnswer answer = *printAnswers.front();
        printAnswers.pop_front();
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(answer.outputFile);
        printer->setPageSize(answer.pageSize);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0));  // page and printable area alike
        printer->setColorMode(answer.colour);
        printers.push_back(std::move(printer));
        return PrintSetup{printers.back().get(), answer.copies, answer.selection, answer.fromPage, answer.toPage};
    }


    bool AskYesNo(const QString& text) override
    {
        questions.push_back(text);
        return answerYes;
    }
    void SetClipboardImage(const QImage& picture) override { clipboard = picture; }
    /// What is on the clipboard by the time it is read: pasteInstead when the test put something else there.
    QImage ClipboardImage() override { return pasteInstead.isNull() ? clipboard : pasteInstead; }
    void SetClipboardText(const QString& text) override { clipboardText = text; }
    /// Answers with the next queued rate; a queued nullopt (or an empty queue) is a cancel.
    std::optional<double> AskRate(QWidget*, const RateOffer& offer) override
    {
        rateOffers.push_back(offer);
        if (rateAnswers.empty()) return std::nullopt;
        const std::optional<double> answer = rateAnswers.front();
        rateAnswers.pop_front();
        return answer;
    }
    /// Answers with the next queued options; a queued nullopt (or an empty queue) is a cancel.
    std::optional<OpenOptions> AskOpenOptions(QWidget*) override
    {
        if (optionAnswers.empty()) return std::nullopt;
        const std::optional<OpenOptions> answer = optionAnswers.front();
        optionAnswers.pop_front();
        return answer;
    }

    // Scripted answers.
    bool answerYes = true;
    QImage clipboard;
    QString clipboardText;
    QImage pasteInstead;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<double>> rateAnswers;
    std::deque<std::optional<OpenOptions>> optionAnswers;
    const void* activeWindow = nullptr;
    QString programFolder;
    std::deque<std::optional<PrintAnswer>> printAnswers;
    std::vector<std::unique_ptr<QPrinter>> printers;

    // What happened, in order.
    QStringList messages;
    QStringList openFilters;
    QStringList openLastNames;
    QStringList helpPaths;
    QStringList questions;
    std::vector<RateOffer> rateOffers;
    std::vector<bool> printDialogsOfferingSelection;
};

}  // namespace sevrana::testing
