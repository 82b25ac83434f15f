#pragma once
// Everything that talks to the person or the desktop goes through here, so
// tests can script the answers.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPrinter;
class QWidget;

namespace sevrana {

/// What the printer dialog settled: the printer (the platform keeps it), how many
/// copies the program itself is to print, whether only the selection is wanted, and
/// the pages wanted. The printer's own copy count is left at one, so copies are never
/// printed twice.
///
/// Pages are counted from 1 in document order within one copy, and the range applies
/// to every copy alike: "from 2 to 3" with two copies prints pages 2 and 3 of each.
struct PrintSetup {
    QPrinter* printer = nullptr;
    int copies = 1;
    bool selection = false;
    int fromPage = 0;  // 0: from the first page
    int toPage = 0;    // 0: to the last page

    /// Whether page (from 1) of a copy is to be printed.
    bool Wants(int page) const { return page >= fromPage && (toPage == 0 || page <= toPage); }
};

/// The rates a recording with several sampling rates, or with unevenly spaced time stamps only,
/// can be shown at.
struct RateOffer {
    std::vector<double> ratesFound;  // the configuration's different rates (empty: time stamps only)
    double highest = 0;              // 0: not offered
    std::int64_t samplesAtHighest = 0;
    double median = 0;  // the rate of the median time stamp spacing; 0: not offered
    std::int64_t samplesAtMedian = 0;
    double seconds = 0;  // from the first sample to the last

    /// Samples the record has at rate.
    std::int64_t SamplesAt(double rate) const;
};

/// How File > Open with options... reads the recording chosen.
struct OpenOptions {
    enum class Values { AsRecorded, Primary, Secondary };
    std::optional<double> rate;  // resample onto this rate (Hz)
    Values quantity = Values::AsRecorded;
    QString encoding;  // the code page of its texts; empty: judged
};

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
    /// The printer dialog (printer, copies, and the range All, a range of pages or, when
    /// offered, Selection); nothing when cancelled.
    virtual std::optional<PrintSetup> PrintDialog(QWidget* parent, bool offerSelection) = 0;
    /// Modal message box with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    /// The clipboard's picture: put one there, or read the one there (null when none).
    virtual void SetClipboardImage(const QImage& picture) = 0;
    virtual QImage ClipboardImage() = 0;
    /// Puts text on the clipboard (tables for a spreadsheet).
    virtual void SetClipboardText(const QString& text) = 0;
    /// The rate to show a recording at (RateDialog); nothing when cancelled.
    virtual std::optional<double> AskRate(QWidget* parent, const RateOffer& offer) = 0;
    /// How to read a recording (OpenOptionsDialog); nothing when cancelled.
    virtual std::optional<OpenOptions> AskOpenOptions(QWidget* parent) = 0;
};

/// The real desktop.
class QtPlatform : public Platform {
public:
    QtPlatform();
    void MessageBox(const QString& text) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter, const QString& lastName) override;
    const void* ActiveWindow() override;
    void ShowHelp(const QString& path) override;
    QString ProgramFolder() override;
    std::optional<PrintSetup> PrintDialog(QWidget* parent, bool offerSelection) override;
    bool AskYesNo(const QString& text) override;
    void SetClipboardImage(const QImage& picture) override;
    QImage ClipboardImage() override;
    void SetClipboardText(const QString& text) override;
    std::optional<double> AskRate(QWidget* parent, const RateOffer& offer) override;
    std::optional<OpenOptions> AskOpenOptions(QWidget* parent) override;
    ~QtPlatform() override;

private:
    std::unique_ptr<QPrinter> printer_;  // kept, so the dialog offers the last choice again
};

}  // namespace sevrana
