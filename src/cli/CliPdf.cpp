#include "CliPdf.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>

#include <memory>
#include <ostream>

#include "CliCommands.h"
#include "CliConvert.h"
#include "MDIForm1.h"
#include "Messages.h"
#include "RecordingFiles.h"

namespace sevrana::cli {

namespace {

/// The desktop as a batch run sees it: messages go to the error stream, the printer
/// dialog always chooses the PDF file with one copy of everything, nobody says Yes.
class BatchPlatform : public Platform {
public:
    BatchPlatform(const QString& pdfPath, std::ostream& err) : err_(err)
    {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(pdfPath);
        printer_.setPageSize(QPageSize(QPageSize::A4));
    }

    void MessageBox(const QString& text) override
    {
        WriteMessages({text.toStdString()}, err_);
        ++messages;
    }
    std::optional<QString> OpenFileName(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    const void* ActiveWindow() override { return nullptr; }
    void ShowHelp(const QString&) override {}
    QString ProgramFolder() override { return QCoreApplication::applicationDirPath(); }
    std::optional<PrintSetup> PrintDialog(QWidget*, bool) override { return PrintSetup{&printer_, 1, false}; }
    bool AskYesNo(const QString&) override { return false; }
    void SetClipboardImage(const QImage&) override {}
    QImage ClipboardImage() override { return {}; }
    void SetClipboardText(const QString&) override {}
    // Nobody to ask: the rate comes from --rate.
    std::optional<double> AskRate(QWidget*, const RateOffer& offer) override
    {
        MessageBox(QString::fromStdString(NeedsRateText(offer.ratesFound)));
        return std::nullopt;
    }
    std::optional<OpenOptions> AskOpenOptions(QWidget*) override { return std::nullopt; }

    int messages = 0;

private:
    std::ostream& err_;
    QPrinter printer_{QPrinter::HighResolution};
};

/// While it lives, Qt's own remarks (the missing runtime folder, what the off-screen
/// platform cannot do, a painter that did not start) are dropped: a batch run says only
/// what the program has to say.
class QuietQt {
public:
    QuietQt() : previous_(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt&) = delete;
    QuietQt& operator=(const QuietQt&) = delete;

private:
    QtMessageHandler previous_;
};

/// Whether the PDF file can be written, found without changing what is there;
/// otherwise says which file and why.
bool CheckWritable(const std::string& path, std::ostream& err)
{
    const QString name = QString::fromStdString(path);
    const bool existed = QFileInfo::exists(name);
    QFile probe(name);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        err << "Cannot write " << path << ": " << probe.errorString().toStdString() << '\n';
        return false;
    }
    probe.close();
    if (!existed) probe.remove();
    return true;
}

}  // namespace

int RunPdf(std::vector<std::string> args, std::ostream&, std::ostream& err)
{
    const CodePage* codePage = nullptr;
    if (const std::optional<std::string> problem = TakeEncoding(args, codePage)) return Usage(err, *problem);
    ReadChoice choice;
    if (const std::optional<std::string> problem = TakeReadChoice(args, choice)) return Usage(err, *problem);
    if (args.size() < 3) return Usage(err, args.size() < 2 ? "missing configuration file" : "missing PDF file");
    if (args.size() > 3) return Usage(err, "too many arguments");
    if (!CheckWritable(args[2], err)) return kExitNotLoaded;
    const std::string& config = args[1];
    if (!FileExists(config) || (!GoesToReader(config, choice) && !FileExists(ResolveDataFile(config)))) {
        err << messages::kFileNotExist << '\n';
        return kExitUsage;
    }
    const QuietQt quiet;
    // The viewer draws off screen, whatever display the environment names (or lacks).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QApplication> app;
    static int argc = 1;
    static char name[] = "sevrana-cli";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) app = std::make_unique<QApplication>(argc, argv);

    const QString pdf = QString::fromStdString(args[2]);
    BatchPlatform platform(pdf, err);
    MDIForm1 viewer(platform);
    viewer.show();
    viewer.OpenRecording(QString::fromStdString(config), codePage, choice);
    if (viewer.State().view.blnDataLoaded != kTrue) return kExitNotLoaded;
    const int before = platform.messages;
    viewer.PrintActive_Click();
    // A page that failed said so, and its job was abandoned: no file.
    if (platform.messages != before || !QFileInfo::exists(pdf)) return kExitNotLoaded;
    return kExitLoaded;
}

}  // namespace sevrana::cli
