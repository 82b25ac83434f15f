// Start-up, the settings file, opening and loading a recording with its
// channel windows, help, and the close procedure.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>

#include <algorithm>
#include <cstdint>

#include "AnyRevision.h"
#include "ChannelSetup.h"
#include "FileDrop.h"
#include "MDIForm1.h"
#include "DigitalEventsWindow.h"
#include "Measurements.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "RecordingFiles.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana {

namespace {

constexpr const char* kSettingsSection = "SEVRANA";
constexpr const char* kSettingsName = "Sevrana.ini";
constexpr const char* kHelpName = "sevrana.html";
constexpr const char* kOpenFilter = "COMTRADE recording (*.CFG *.CFF)|*.cfg;*.cff";

std::string Utf8(const QString& text) { return text.toStdString(); }

/// A number after a comma in the stored geometry: a blank in the sign's place when positive.
std::string SignedText(long long value) { return value < 0 ? IntText(value) : " " + IntText(value); }

/// Twips (as stored) to pixels.
int TwipsToPixels(double twips) { return ToInt32(twips / MDIForm1::kTwipsPerPixel); }

/// The settings file can live in folder: the folder can be written, and so can the file if it exists.
bool SettingsFolderUsable(const QString& folder)
{
    const QFileInfo dir(folder);
    if (folder.isEmpty() || !dir.isDir() || !dir.isWritable()) return false;
    const QFileInfo file(QDir(folder).filePath(QString::fromLatin1(kSettingsName)));
    return !file.exists() || (file.isFile() && file.isWritable());
}

/// name in folder, matched without regard to letter case (the exact spelling first).
QString FindInFolder(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile()) return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return dir.filePath(name);
}

/// A placement the person can reach: it has a size, and a good part of its title
/// bar (the top strip of the frame) lies on some screen.
bool Reachable(const QRect& frame)
{
    constexpr int kTitleBar = 24;
    if (frame.width() <= 0 || frame.height() <= 0) return false;
    const QRect titleBar(frame.x(), frame.y(), frame.width(), kTitleBar);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = titleBar.intersected(screen->availableGeometry());
        if (seen.width() >= 2 * kTitleBar && seen.height() >= kTitleBar / 2) return true;
    }
    return false;
}

/// A restored window, frame and all, within the available area of the screen it is on (a
/// remembered size may come from a larger screen, or from a desktop that left out the frame).
/// Moved in along each side where it fits; a window taller than the area is made as tall as
/// the area. One wider than the area keeps its width and place: its tool bar holds that width.
void KeepInsideScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
    if (screen == nullptr) screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    if (window.height() + frame.height() > area.height())
        window.resize(window.width(), std::max(window.minimumHeight(), area.height() - frame.height()));
    const QSize outside = window.size() + frame;
    auto within = [](int at, int extent, int start, int room) {
        return extent > room ? at : std::clamp(at, start, start + room - extent);
    };
    const QPoint inside(within(window.x(), outside.width(), area.x(), area.width()),
                        within(window.y(), outside.height(), area.y(), area.height()));
    if (inside != window.pos()) window.move(inside);
}

/// Placement as stored: left, top, width and height in twips, a blank in a positive number's sign place.
std::string GeometryText(const QWidget& window)
{
    const long long t = MDIForm1::kTwipsPerPixel;
    return IntText(window.x() * t) + "," + SignedText(window.y() * t) + "," + SignedText(window.width() * t) + "," +
           SignedText(window.height() * t);
}

/// A stored placement; nothing when fewer than four numbers are stored or they are beyond any screen.
std::optional<QRect> StoredGeometry(const std::string& text)
{
    Array1<std::string_view> fields;
    if (text.empty() || SplitFields(text, ",", fields) < 4) return std::nullopt;
    try {
        return QRect(TwipsToPixels(Val(fields(1))), TwipsToPixels(Val(fields(2))), TwipsToPixels(Val(fields(3))),
                     TwipsToPixels(Val(fields(4))));
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

void HideWindow(Pohja* window)
{
    if (window == nullptr) return;
    if (QMdiSubWindow* frame = window->Frame())
        frame->hide();
    else
        window->hide();
}

}  // namespace

QString MDIForm1::FallbackIniFile() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QLatin1Char('/') +
           QString::fromLatin1(kSettingsName);
}

void MDIForm1::Form_Load(const QString& commandLine)
{
    RecordingModel& m = state_.model;

    // Every per-channel array gets one element, so that their bounds can always be asked.
    for (auto* a : {&m.arrAnalogNames, &m.arrAnalogUnits, &m.arrAnalogPhases, &m.arrAnalogCircuits, &m.arrDigitalNames})
        a->Redim(1, 1);
    for (auto* a : {&m.arrFactorA, &m.arrFactorB, &m.arrRangeMin, &m.arrRangeMax, &m.arrFullScale, &m.arrPeakValue,
                    &m.arrChannelScale, &m.arrRawMin, &m.arrRawMax})
        a->Redim(1, 1);
    for (auto* a : {&m.arrSampleRates, &m.arrLastSamples}) a->Redim(1, 1);
    m.arrAutoScale.Redim(1, 1);
    m.arrDigitalNormal.Redim(1, 1);
    m.arrDigitalSelection.Redim(0, 1);  // this one counts from 0
    arrChannelWindows_.assign(2, nullptr);

    // Settings beside the program; in the user's configuration folder when the
    // program's folder cannot be written, so that the geometry is never lost.
    const QString folder = platform_.ProgramFolder();
    const QString iniFile = SettingsFolderUsable(folder) ? QDir(folder).filePath(QString::fromLatin1(kSettingsName))
                                                         : FallbackIniFile();
    state_.varIniFile = Utf8(iniFile);

    const QSize designed(static_cast<int>(RoundHalfEven(static_cast<double>(kDesignWidthTwips) / kTwipsPerPixel)),
                         static_cast<int>(RoundHalfEven(static_cast<double>(kDesignHeightTwips) / kTwipsPerPixel)));
    auto centred = [this](QSize size) {
        resize(size);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
        }
    };
    bool placed = false;
    const std::string geometry = ReadProfileString(state_.varIniFile, kSettingsSection, "Geometry");
    if (const std::optional<QRect> stored = StoredGeometry(geometry)) {
        // Fewer than four numbers cannot place the window; it is then centred as if none were stored.
        if (Reachable(*stored)) {
            move(stored->topLeft());
            resize(stored->size());
        } else {
            // Off every screen, or no size: back in sight, as large as it was when that fits.
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QSize room = screen != nullptr ? screen->availableGeometry().size() : designed;
            const bool fits =
                !stored->isEmpty() && stored->width() <= room.width() && stored->height() <= room.height();
            centred(fits ? stored->size() : designed);
        }
        placed = true;
        const std::string windowState = ReadProfileString(state_.varIniFile, kSettingsSection, "WindowState");
        try {
            switch (ToInt16(Val(windowState))) {
            case 1: setWindowState(Qt::WindowMinimized); break;
            case 2: setWindowState(Qt::WindowMaximized); break;
            default: setWindowState(Qt::WindowNoState); break;
            }
        } catch (const ConversionError&) {
            // Numbers beyond any screen: keep the designed placement.
        }
    }
    if (!placed) centred(designed);
    AutoScaleNew->setChecked(ReadProfileString(state_.varIniFile, kSettingsSection, "AutoScaleNew") == "1");

    // Visible before the first load, so that the caption can show its progress.
    show();
    if (placed && windowState() == Qt::WindowNoState) KeepInsideScreen(*this);
    state_.view.blnDataLoaded = kFalse;

    // The measurements window where it was left, and open again if it was.
    const std::optional<QRect> measurements =
        StoredGeometry(ReadProfileString(state_.varIniFile, kSettingsSection, "MeasurementsGeometry"));
    const bool measurementsOpen = ReadProfileString(state_.varIniFile, kSettingsSection, "MeasurementsOpen") == "1";
    if (measurements || measurementsOpen) {
        measurements_ = new Measurements(m, platform_, this);
        if (measurements && Reachable(*measurements)) {
            measurements_->move(measurements->topLeft());
            measurements_->resize(measurements->size());
        }
        if (measurementsOpen) measurements_->show();
    }

    if (!commandLine.isEmpty()) {
        OpenRecording(commandLine);
        if (!FileExists(m.varConfigFile) || !FileExists(m.strDataFile)) return;
    } else {
        EnterNoRecordingState();
    }
    SelChs->setEnabled(true);
}

void MDIForm1::Open_Click()
{
    const std::optional<QString> chosen = platform_.OpenFileName(this, QString::fromLatin1(kOpenFilter), lastOpenName_);
    if (!chosen || chosen->isEmpty()) return;
    lastOpenName_ = *chosen;
    OpenRecording(*chosen);
}

void MDIForm1::OpenWithOptions_Click()
{
    const std::optional<QString> chosen = platform_.OpenFileName(this, QString::fromLatin1(kOpenFilter), lastOpenName_);
    if (!chosen || chosen->isEmpty()) return;
    lastOpenName_ = *chosen;
    const std::optional<OpenOptions> options = platform_.AskOpenOptions(this);
    if (!options) return;
    ReadChoice choice;
    choice.rate = options->rate;
    choice.quantity = options->quantity == OpenOptions::Values::Primary     ? formats::Quantity::Primary
                      : options->quantity == OpenOptions::Values::Secondary ? formats::Quantity::Secondary
                                                                            : formats::Quantity::AsRecorded;
    OpenRecording(*chosen, options->encoding.isEmpty() ? nullptr : FindCodePage(Utf8(options->encoding)), choice);
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event)
{
    // Files are taken whatever they are, so that a wrong one is told why on the drop.
    if (!loading_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MDIForm1::dropEvent(QDropEvent* event)
{
    if (loading_ || !event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    const DropChoice choice = ChooseDroppedRecording(event->mimeData()->urls());
    // After the drop has ended: the file manager must not wait for a message or a load.
    QTimer::singleShot(0, this, [this, choice] {
        if (loading_) return;
        if (choice.configPath.isEmpty()) {
            platform_.MessageBox(choice.refusal);  // and nothing else changes
            return;
        }
        // Like File > Open: the next open dialog starts from it too.
        lastOpenName_ = choice.configPath;
        OpenRecording(choice.configPath);
    });
}

void MDIForm1::ReopenWithEncoding(const CodePage* codePage)
{
    if (loading_ || state_.view.blnDataLoaded != kTrue) return;
    // Read as it was read before: the same rate and quantities, through whichever reader takes it.
    OpenRecording(QString::fromStdString(state_.model.varConfigFile), codePage, readChoice_);
}

void MDIForm1::OpenRecording(const QString& configPath, const CodePage* codePage, const ReadChoice& choice)
{
    if (loading_) return;
    RecordingModel& m = state_.model;
    const std::string path = Utf8(configPath);  // exactly as given: no trimming, quotes kept
    if (!GoesToReader(path, choice)) {
        // The loader's files: checked before anything goes, as always.
        if (!FileExists(path) || !FileExists(ResolveDataFile(path))) {
            UnloadChannelWindows(true);
            m.varConfigFile = path;
            m.strDataFile = ResolveDataFile(path);
            ShowMessage(messages::kFileNotExist);
            // The old recording's windows are gone: nothing is left to navigate.
            EnterNoRecordingState();
            return;
        }
    }
    // Read beside the recording on screen, which stays until the new one is read (and stays
    // when the rate question is cancelled). A close on the way stops the read.
    const QString before = windowTitle();
    loading_ = true;
    setEnabled(false);
    OpenRequest request;
    request.path = path;
    request.codePage = codePage;
    request.choice = choice;
    request.askRate = [this](const formats::RateQuestion& question) -> std::optional<double> {
        RateOffer offer;
        offer.ratesFound = question.ratesFound;
        offer.highest = question.highest;
        offer.samplesAtHighest = question.samplesAtHighest;
        offer.median = question.medianSpacing;
        offer.samplesAtMedian = question.samplesAtMedian;
        if (question.highest > 0 && question.samplesAtHighest > 0)
            offer.seconds = static_cast<double>(question.samplesAtHighest - 1) / question.highest;
        else if (question.medianSpacing > 0 && question.samplesAtMedian > 0)
            offer.seconds = static_cast<double>(question.samplesAtMedian - 1) / question.medianSpacing;
        setEnabled(true);
        const std::optional<double> rate = platform_.AskRate(this, offer);
        setEnabled(false);
        return rate;
    };
    setWindowTitle(QString::fromStdString(messages::OpeningCaption(path)));
    RecordingModel read;
    int shown = -1;
    const OpenOutcome outcome = OpenAnyRevision(request, read, *this, [&](std::uint64_t done, std::uint64_t total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (percent != shown) {
            shown = percent;
            SetCaption(messages::ProgressCaption(path, percent));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        return !closeRequested_;
    });
    loading_ = false;
    setEnabled(true);
    if (closeRequested_) {
        closeRequested_ = false;
        close();
        return;
    }
    if (!outcome.Opened() && !outcome.loaderAnswered) {
        // No rate chosen, or the reader's refusal (already told): the recording on screen stays.
        setWindowTitle(before);
        return;
    }
    // What the 1991 loader refused takes the old recording with it, as it always has.
    UnloadChannelWindows(true);
    // The indexes point into the samples about to be replaced.
    state_.pyramid.Clear();
    state_.edges.Clear();
    columns_.Clear();
    m = std::move(read);
    if (!outcome.Opened()) {
        EnterNoRecordingState();
        return;
    }
    readChoice_ = choice;
    if (outcome.rateChosen) readChoice_.rate = outcome.rateChosen;  // a reopen shows it at the same rate
    LoadData();
    if (state_.view.blnDataLoaded == kTrue) TickReadIn(codePage);
    if (outcome.by == OpenedBy::Reader && state_.view.blnDataLoaded == kTrue) {
        const std::string remarks = ReadRemarks(outcome.read);
        if (!remarks.empty()) ShowMessage(remarks);
    }
}

void MDIForm1::LoadData()
{
    loading_ = true;
    LoadStages();
    loading_ = false;
    if (!closeRequested_) AutoScaleNewRecording();
    // Closed while loading: the load has stopped; now the window goes.
    if (closeRequested_) {
        closeRequested_ = false;
        close();
    }
}

void MDIForm1::LoadStages()
{
    RecordingModel& m = state_.model;
    ViewState& v = state_.view;

    auto fail = [this] {
        EnterNoRecordingState();
        setEnabled(true);
    };
    // Pending events run at a few points of the set-up; a close among them stops the load there.
    auto stopped = [&] {
        if (!closeRequested_) return false;
        fail();
        return true;
    };

    setEnabled(false);
    v.blnRedrawSignals = kTrue;
    v.blnRedrawMarkers = kTrue;
    v.blnDataLoaded = kFalse;
    try {
        state_.pyramid.Build(m);
        state_.edges.Build(m);

        const long nA = m.AnalogCount();
        const long nD = m.DigitalCount();
        const QSize client = ClientSize();

        // 1-3: digital label, caption, markers in the middle of the window.
        if (nD < 1) {
            m.intHasDigital = 0;
            Label6->setText(QStringLiteral("Digital Channels: None"));
        } else {
            m.intHasDigital = 1;
        }
        SetCaption(messages::LoadedCaption(m.varStationName, m.varConfigFile, m.strReadAs));
        v.blnUnloadingWindows = kFalse;
        v.varMarker1X = static_cast<float>(client.width() / 2.0);
        v.lngMarker2X = ToInt32(client.width() / 2.0);

        // 4-6: tool bar and time window back to the start, zoom list for this record.
        Text6->clear();
        Text8->clear();
        Text6->setEnabled(false);
        Text8->setEnabled(false);
        m.lngViewSamples = 10;
        Scroll1->setMinimum(1);
        Scroll1->setValue(1);
        v.lngFirstSample = 1;
        Pop->hide();
        FillZoomList();
        if (stopped()) return;
        Scroll1->setMaximum(1);
        FitTimeBoxes();

        // 7: the hidden template, one share of the area.
        Pohja* templateWindow = CreateChannelWindow(0);
        templateWindow->Tag = QStringLiteral("100");
        HideWindow(templateWindow);

        // 8: one hidden window per analog channel, with its initial scale.
        for (long i = 1; i <= nA; ++i) {
            Pohja* window = CreateChannelWindow(i);
            m.arrChannelScale(i) = InitialScale(m.arrFullScale(i));
            window->Tag = QString::number(i);
            if (TitlesOn()) window->SetCaption(ScaleCaption(i));
            HideWindow(window);
            QApplication::processEvents();
            if (stopped()) return;
        }

        // 9: every digital channel shown.
        m.arrDigitalSelection(0) = 1;
        m.arrDigitalSelection(nD + 1) = static_cast<std::int16_t>(nD);

        // 10: trigger point from the two date lines.
        switch (ComputeTriggerPoint(m)) {
        case TriggerResult::BadTimeStamps:
            ShowMessage(messages::kTimeStampError);
            fail();
            return;
        case TriggerResult::OutOfRecord: ShowMessage(messages::kTriggerOutOfRecord); break;
        case TriggerResult::InRecord: break;
        }

        // 11: the window of all digital channels.
        if (nD > 0) {
            Pohja* window = CreateChannelWindow(nA + 1);
            window->Tag = QString::number(nA + 1);
            m.strDigitalNames = DigitalNamesText(m);
            QApplication::processEvents();
            if (TitlesOn()) window->SetCaption(QStringLiteral("Digital Channels"));
            Label6->setText(QStringLiteral("Digital Channels: ") + QString::fromStdString(m.strDigitalNames));
            HideWindow(window);
        }

        // 12-14: markers off, then the windows stacked, shown and drawn.
        HideWindow(TemplateWindow());
        if (v.blnMarkersOn == kTrue) {
            v.blnMarkersOn = kFalse;
            // All of what switching the markers off does, so no marker command stays offered.
            ShowMarkersOff();
        }
        Hor_Click();
        if (stopped()) return;

        // 15-17: loaded; the first analog window shows its scale in the tool bar.
        v.blnDataLoaded = kTrue;
        setEnabled(true);
        if (nA > 0) {
            Pohja* first = ChannelWindow(1);
            if (first != nullptr) {
                if (first->Frame() != nullptr) mdiArea->setActiveSubWindow(first->Frame());
                first->setFocus();
                // Without an active main window no focus arrives; the tool bar still shows channel 1.
                if (toolBarWindow_ != 1) first->Form_GotFocus();
            }
        } else {
            Text6->setEnabled(false);
            Text8->setEnabled(false);
            Check1->setEnabled(false);
            Text6->clear();
            Text8->clear();
            SetScaleLabel(QString());
        }
        SetRecordingCommandsEnabled(true);
        SelChs->setEnabled(true);
        if (measurements_ != nullptr) {
            measurements_->Reset();
            FollowInMeasurements();
        }
        if (events_ != nullptr) events_->Reset();
    } catch (...) {
        ShowMessage(messages::kDisplayError);
        fail();
    }
}

void MDIForm1::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void MDIForm1::ShowMessage(const std::string& text) { platform_.MessageBox(QString::fromStdString(text)); }

void MDIForm1::EnterNoRecordingState()
{
    ViewState& v = state_.view;
    v.blnDataLoaded = kFalse;
    setWindowTitle(QString::fromLatin1(messages::kAppTitle));
    SetRecordingCommandsEnabled(false);
    // Nothing of an old recording stays on the tool bars.
    v.blnMarkersOn = kFalse;
    ShowMarkersOff();
    SetScaleLabel(QString());
    for (QLineEdit* box : {Text6, Text8, Text4, Text5}) box->clear();
    {
        const QSignalBlocker checkBlocker(Check1);
        Check1->setChecked(false);
        const QSignalBlocker zoomBlocker(Combo1);
        Combo1->clear();
    }
    Label6->setText(QStringLiteral("Digital channels:"));
    toolBarWindow_ = 0;
    if (measurements_ != nullptr) measurements_->Clear();
    if (events_ != nullptr) events_->Clear();
}

void MDIForm1::Exit_Click() { close(); }

void MDIForm1::Cont_Click()
{
    // Beside the program in a build; an install keeps it in share/sevrana next to bin, under any prefix.
    const QString name = QString::fromLatin1(kHelpName);
    const QString folder = platform_.ProgramFolder();
    QString page = FindInFolder(folder, name);
    if (!QFileInfo(page).isFile()) {
        const QString installed = FindInFolder(QDir::cleanPath(folder + QStringLiteral("/../share/sevrana")), name);
        if (QFileInfo(installed).isFile()) page = installed;
    }
    platform_.ShowHelp(page);
}

void MDIForm1::SaveAndUnloadAll()
{
    // Without start-up there is no settings file to keep.
    if (!state_.varIniFile.empty()) {
        std::string geometry;
        if (!isMaximized()) geometry = GeometryText(*this);
        const std::string stateText = isMaximized() ? "2" : isMinimized() ? "1" : "0";
        auto write = [&](const std::string& file) {
            QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
            if (!geometry.empty() && !WriteProfileString(file, kSettingsSection, "Geometry", geometry)) return false;
            if (measurements_ != nullptr &&
                (!WriteProfileString(file, kSettingsSection, "MeasurementsGeometry", GeometryText(*measurements_)) ||
                 !WriteProfileString(file, kSettingsSection, "MeasurementsOpen", measurements_->isVisible() ? "1" : "0")))
                return false;
            if (!WriteProfileString(file, kSettingsSection, "AutoScaleNew", AutoScaleNew->isChecked() ? "1" : "0"))
                return false;
            return WriteProfileString(file, kSettingsSection, "WindowState", stateText);
        };
        if (!write(state_.varIniFile)) {
            // The program's folder refused the write after all: keep the geometry in the user's folder.
            const std::string fallback = Utf8(FallbackIniFile());
            if (fallback != state_.varIniFile && write(fallback)) state_.varIniFile = fallback;
        }
    }
    UnloadChannelWindows(true);
}

void MDIForm1::UnloadChannelWindows(bool includingTemplate)
{
    ViewState& v = state_.view;
    v.blnUnloadingWindows = kTrue;
    // The windows' own handlers must not draw while their neighbours disappear.
    v.blnDataLoaded = kFalse;
    toolBarWindow_ = 0;
    if (measurements_ != nullptr) measurements_->Clear();  // nothing of the recording that goes
    if (events_ != nullptr) events_->Clear();

    auto unload = [](Pohja* window) {
        if (window == nullptr) return;
        if (QMdiSubWindow* frame = window->Frame()) {
            frame->close();
            delete frame;
        } else {
            window->close();
            delete window;
        }
    };

    Pohja* oldTemplate = template_;
    if (oldTemplate != nullptr) {
        HideWindow(oldTemplate);
        if (includingTemplate) template_ = nullptr;
    }
    // Taken out of the array first, so nothing can reach a window being deleted.
    std::vector<Pohja*> windows;
    windows.swap(arrChannelWindows_);
    if (includingTemplate) unload(oldTemplate);
    for (std::size_t i = 1; i < windows.size(); ++i) unload(windows[i]);
}

}  // namespace sevrana
