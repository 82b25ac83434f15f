// The main window's life cycle: menus, start-up with and without a recording,
// the settings file, opening and loading (with its failures), help, and the
// tool bar's layout rule.

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <tuple>
#include <vector>

#include "Encode.h"
#include "FileFilter.h"
#include "FileReport.h"
#include "File_Info.h"
#include "FormFixture.h"
#include "NewRecording.h"
#include "TextDecoder.h"
#include "TextUtils.h"

namespace sevrana {
namespace {

using testing::FakePlatform;
using testing::RecordingText;
using testing::TempDir;

const char* const kNotFound = "COMTRADE configuration or data file not exist in specified location!";

/// The main window, with every caption the loader sets and every key release it passes on kept in order.
class CaptionRecordingForm : public MDIForm1 {
public:
    using MDIForm1::MDIForm1;
    void SetCaption(const std::string& caption) override
    {
        captions.push_back(caption);
        enabledWhileCaptioned.push_back(isEnabled());
        MDIForm1::SetCaption(caption);
    }
    void PrintScreen(int keyCode, int shift) override { keys.emplace_back(keyCode, shift); }
    std::vector<std::string> captions;
    std::vector<bool> enabledWhileCaptioned;
    std::vector<std::pair<int, int>> keys;  // key releases passed on to the window capture
};

class MainWindowFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform.programFolder = QString::fromStdString(dir.Path());
        form = std::make_unique<CaptionRecordingForm>(platform);
    }

    /// The items ticked in File > Reopen with encoding.
    QStringList TickedCodePage() const
    {
        QStringList on;
        for (const QAction* item : form->Reopen->actions())
            if (item->isChecked()) on << item->text();
        return on;
    }

    /// Writes a recording as name.cfg and dataName beside it; returns the configuration path.
    std::string Write(const RecordingText& rec, const std::string& name = "F1.cfg", const std::string& dataName = "F1.dat")
    {
        if (!dataName.empty()) dir.Write(dataName, rec.Data());
        return dir.Write(name, rec.Config());
    }

    void Open(const std::string& cfg)
    {
        form->OpenRecording(QString::fromStdString(cfg));
        QApplication::processEvents();
    }

    void ExpectNoRecording()
    {
        EXPECT_EQ(form->windowTitle(), "Sevrana");
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(form->State().view.blnDataLoaded, kFalse);
        EXPECT_FALSE(form->Win->menuAction()->isEnabled());
        EXPECT_FALSE(form->View->menuAction()->isEnabled());
        EXPECT_FALSE(form->PrintActive->isEnabled());
        EXPECT_FALSE(form->Scroll1->isEnabledTo(form->Picture2));
        EXPECT_FALSE(form->Picture1->isEnabled());
        EXPECT_FALSE(form->Picture2->isEnabled());
        // Nothing of an earlier recording stays on the tool bars.
        EXPECT_EQ(form->Label1->text(), "Scale:");
        EXPECT_EQ(form->Label6->text(), "Digital channels:");
        for (const QLineEdit* box : {form->Text4, form->Text5, form->Text6, form->Text8})
            EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(form->Combo1->count(), 0);
        EXPECT_FALSE(form->Check1->isChecked());
        EXPECT_EQ(form->Command1->text(), "Markers: OFF");
        EXPECT_FALSE(form->Frame1->isVisibleTo(form->Picture1));
    }

    /// readAs: how the newer reader read it, as the caption ends; empty for the 1991 loader.
    void ExpectLoaded(const std::string& cfg, long windows, const std::string& readAs = {})
    {
        EXPECT_EQ(form->windowTitle().toStdString(),
                  "Sevrana - Kallio (" + cfg + ")" + (readAs.empty() ? "" : " (" + readAs + ")"));
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(form->State().view.blnDataLoaded, kTrue);
        EXPECT_TRUE(form->Win->menuAction()->isEnabled());
        EXPECT_TRUE(form->View->menuAction()->isEnabled());
        EXPECT_TRUE(form->PrintActive->isEnabled());
        EXPECT_TRUE(form->Picture1->isEnabled());
        EXPECT_TRUE(form->Picture2->isEnabled());
        EXPECT_EQ(form->OpenChannelWindows(), windows);
        for (long i = 1; i <= windows; ++i) {
            ASSERT_NE(form->ChannelWindow(i), nullptr) << i;
            ASSERT_NE(form->ChannelWindow(i)->Frame(), nullptr) << i;
            EXPECT_FALSE(form->ChannelWindow(i)->Frame()->isHidden()) << i;
            EXPECT_EQ(form->ChannelWindow(i)->Tag, QString::number(i));
        }
        ASSERT_NE(form->TemplateWindow(), nullptr);
        EXPECT_TRUE(form->TemplateWindow()->Frame()->isHidden());
    }

    /// The stored placement: the frame's position and the inside's size.
    static void Place(QWidget& window, int left, int top, int width, int height)
    {
        window.move(left, top);
        window.resize(width, height);
    }
    static QRect Placement(const QWidget& window) { return QRect(window.pos(), window.size()); }

    /// A new main window started without a recording, after the stored geometry when one is given.
    void Restart(const char* geometry = nullptr)
    {
        ASSERT_TRUE(geometry == nullptr || WriteProfileString(dir / "Sevrana.ini", "SEVRANA", "Geometry", geometry));
        form = std::make_unique<CaptionRecordingForm>(platform);
        form->Form_Load(QString());
    }

    std::string Ini(const char* key) const { return ReadProfileString(form->State().varIniFile, "SEVRANA", key); }

    TempDir dir;
    FakePlatform platform;
    std::unique_ptr<CaptionRecordingForm> form;
};

TEST_F(MainWindowFiles, MenusCaptionsShortcutsAndInitialStates)
{
    struct Row {
        QAction* item;
        const char* caption;
        const char* shortcut;
    };
    const std::vector<Row> rows = {
        {form->Open, "Open...", "Ctrl+O"},
        {form->PrintActive, "Print", "Ctrl+P"},
        {form->Exit, "Exit", ""},
        {form->SelChs, "Select channels...", "Ctrl+S"},
        {form->TrPoint, "Goto trigger point", "Ctrl+R"},
        {form->gotom1, "Goto marker 1", "Ctrl+F1"},
        {form->gotom2, "Goto marker 2", "Ctrl+F2"},
        {form->Titles, "Title bars on channels", "Ctrl+B"},
        {form->Autoscaleall, "Enable auto-scaling on all channels", "Ctrl+E"},
        {form->Disautoscaleall, "Disable auto-scaling on all channels", "Ctrl+D"},
        {form->Filinfo, "File information...", "Ctrl+F"},
        {form->Hor, "Horizontal", "Ctrl+H"},
        {form->Til, "Tile", "Ctrl+T"},
        {form->Cas, "Cascade", "Ctrl+C"},
        {form->Ico, "Icons", "Ctrl+I"},
        {form->Mark1, "Marker1", ""},
        {form->Mark2, "Marker2", ""},
        {form->Cont, "Contents", "F1"},
        {form->About, "About", ""},
    };
    for (const Row& row : rows) {
        ASSERT_NE(row.item, nullptr) << row.caption;
        EXPECT_EQ(row.item->text(), row.caption);
        EXPECT_EQ(row.item->shortcut(), QKeySequence(QString::fromLatin1(row.shortcut))) << row.caption;
    }

    // Menu bar order and captions; Pop is never in it.
    QStringList bar;
    for (QAction* a : form->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&View", "&Window", "&Help"}));
    EXPECT_EQ(form->Arr->menuAction()->text(), "Arrange");
    EXPECT_TRUE(form->Win->actions().contains(form->Arr->menuAction()));
    EXPECT_EQ(form->Pop->actions(), (QList<QAction*>{form->Mark1, form->Mark2}));

    EXPECT_TRUE(form->Titles->isCheckable());
    EXPECT_FALSE(form->Titles->isChecked());
    for (QAction* markerItem : {form->gotom1, form->gotom2, form->Mark1, form->Mark2})
        EXPECT_FALSE(markerItem->isEnabled()) << markerItem->text().toStdString();
    EXPECT_FALSE(form->Frame1->isVisibleTo(form->Picture1));
    EXPECT_FALSE(form->Frame2->isVisibleTo(form->Picture1));
    EXPECT_FALSE(form->Image1->pixmap().isNull());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 200);
}

TEST_F(MainWindowFiles, LoadShowsProgressThenStationCaptionAndOneWindowPerChannel)
{
    RecordingText rec;
    const std::string cfg = Write(rec);
    form->Titles->setChecked(true);
    Open(cfg);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    ExpectLoaded(cfg, 3);

    // Opening caption, every tenth percent of ten samples, then the station.
    std::vector<std::string> expected{"Sevrana - Opening file " + cfg + "..."};
    for (long p = 10; p <= 100; p += 10) expected.push_back(expected[0] + std::to_string(p) + " %");
    expected.push_back("Sevrana - Kallio (" + cfg + ")");
    EXPECT_EQ(form->captions, expected);
    // Input stays off for the whole load, up to and including the station caption.
    EXPECT_EQ(form->enabledWhileCaptioned, std::vector<bool>(expected.size(), false));

    // The Window menu lists the shown channel windows (not the template).
    emit form->Win->aboutToShow();
    QStringList listed;
    for (QAction* a : form->Win->actions())
        if (a->property("windowList").toBool() && !a->isSeparator()) listed << a->text();
    EXPECT_EQ(listed, (QStringList{"&1 IA, Scale: -65534 A...65534 A", "&2 UA, Scale: -1001 kV...1001 kV",
                                   "&3 Digital Channels"}));

    // Initial scales (full scale 65533 A and 1000 kV) and the captions with title bars on.
    EXPECT_EQ(form->State().model.arrChannelScale(1), 65534);
    EXPECT_EQ(form->State().model.arrChannelScale(2), 1001);
    EXPECT_EQ(form->ChannelWindow(1)->Frame()->windowTitle(), "IA, Scale: -65534 A...65534 A");
    EXPECT_EQ(form->ChannelWindow(2)->Frame()->windowTitle(), "UA, Scale: -1001 kV...1001 kV");
    EXPECT_EQ(form->ChannelWindow(3)->Frame()->windowTitle(), "Digital Channels");
    EXPECT_EQ(form->Label6->text(), "Digital Channels: 1:TRIP");
    EXPECT_EQ(form->State().model.lngTriggerSample, 6);
    EXPECT_EQ(form->State().view.lngFirstSample, 1);
    EXPECT_EQ(form->State().model.arrDigitalSelection(2), 1);
    EXPECT_EQ(form->Combo1->currentText(), "100 %");
    // Channel 1 is the active one and its scale is on the tool bar.
    EXPECT_TRUE(form->Label1->text().startsWith("IA"));
    EXPECT_EQ(form->Text8->text(), "A");
}

TEST_F(MainWindowFiles, ReopenWithEncodingReadsTheRecordingAgainInTheChosenCodePage)
{
    QStringList items;
    for (const QAction* item : form->Reopen->actions()) items << item->text();
    EXPECT_EQ(form->Reopen->menuAction()->text(), "Reopen with encoding");
    EXPECT_TRUE(form->File->actions().contains(form->Reopen->menuAction()));
    EXPECT_EQ(items, (QStringList{"Automatic", "UTF-8", "Windows-1251", "IBM866", "KOI8-R", "GB18030", "Big5",
                                  "Shift-JIS", "EUC-KR", "Windows-1252"}));
    EXPECT_FALSE(form->Reopen->menuAction()->isEnabled());  // nothing to reopen yet

    RecordingText rec;
    rec.header = "Горшечное-Бекетово,РЕГ-1,1991";
    dir.Write("F1.dat", rec.Data());
    const std::string cfg = dir.Write("F1.cfg", testing::Encode(rec.Config(), "IBM866"));
    auto reopen = [&](const char* page) {
        for (QAction* item : form->Reopen->actions())
            if (item->text() == page) item->trigger();
        QApplication::processEvents();
    };
    auto expectRead = [&](const std::string& station, const std::string& page) {
        EXPECT_EQ(form->windowTitle().toStdString(), "Sevrana - " + station + " (" + cfg + ")");
        EXPECT_EQ(FileInformationTitle(form->State().model), "COMTRADE File Information - " + cfg + " (" + page + ")");
        EXPECT_EQ(form->OpenChannelWindows(), 3);
    };
    Open(cfg);
    expectRead("Горшечное-Бекетово", "IBM866");
    EXPECT_EQ(TickedCodePage(), QStringList{"Automatic"});
    EXPECT_TRUE(form->Reopen->menuAction()->isEnabled());

    reopen("KOI8-R");
    expectRead("┐╝ЮХ╔Г╜╝╔-│╔╙╔Б╝╒╝", "KOI8-R");
    EXPECT_EQ(TickedCodePage(), QStringList{"KOI8-R"});
    reopen("Automatic");
    expectRead("Горшечное-Бекетово", "IBM866");
    EXPECT_EQ(TickedCodePage(), QStringList{"Automatic"});
    // The choice holds for its reload only: the next open judges again.
    reopen("KOI8-R");
    Open(cfg);
    expectRead("Горшечное-Бекетово", "IBM866");
    EXPECT_EQ(TickedCodePage(), QStringList{"Automatic"});
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();

    // A failed load leaves nothing to reopen.
    dir.Write("F1.cfg", "Kallio\n");
    Open(cfg);
    EXPECT_FALSE(form->Reopen->menuAction()->isEnabled());
}

TEST_F(MainWindowFiles, RecordingsWithoutDigitalOrAnalogChannels)
{
    RecordingText analogOnly;
    analogOnly.counts = "2,2A,0D";
    analogOnly.digital.clear();
    for (auto& line : analogOnly.data) line = line.substr(0, line.rfind(','));
    const std::string a = Write(analogOnly, "A.cfg", "A.dat");
    Open(a);
    ExpectLoaded(a, 2);
    EXPECT_EQ(form->Label6->text(), "Digital Channels: None");
    EXPECT_EQ(form->ChannelWindow(1)->Frame()->windowTitle(), "");  // title bars off: default captions

    RecordingText digitalOnly;
    digitalOnly.counts = "1,0A,1D";
    digitalOnly.analog.clear();
    digitalOnly.digital = {"1,TRIP,0"};
    for (auto& line : digitalOnly.data) line = line.substr(0, line.find(',', line.find(',') + 1)) + line.substr(line.rfind(','));
    const std::string d = Write(digitalOnly, "D.cfg", "D.dat");
    Open(d);
    ExpectLoaded(d, 1);
    EXPECT_FALSE(form->Text6->isEnabled());
    EXPECT_FALSE(form->Check1->isEnabled());
    EXPECT_EQ(form->Label1->text(), "Scale:");
    EXPECT_EQ(form->Label6->text(), "Digital Channels: 1:TRIP");

    // Neither: no share of the height to give, so the display stage fails.
    RecordingText none;
    none.counts = "0,0A,0D";
    none.analog.clear();
    none.digital.clear();
    for (auto& line : none.data) line = line.substr(0, line.find(',', line.find(',') + 1));
    Open(Write(none, "N.cfg", "N.dat"));
    EXPECT_EQ(platform.messages, QStringList{"Error occured while trying to display data."});
    ExpectNoRecording();
}

TEST_F(MainWindowFiles, FailedAndRejectedLoadsLeaveNoRecording)
{
    // Load a good recording first, so that the failure visibly takes everything back;
    // its upper-case data file is found for the lower-case configuration name.
    const std::string upper = Write(RecordingText(), "F1.cfg", "F1.DAT");
    Open(upper);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    EXPECT_EQ(form->State().model.strDataFile, dir / "F1.DAT");
    ExpectLoaded(upper, 3);
    form->Command1->click();
    form->Check1->click();

    RecordingText bad;
    bad.counts = "3,2A,2D";
    const std::string badCfg = Write(bad, "bad.cfg", "bad.dat");
    Open(badCfg);
    EXPECT_EQ(platform.messages, QStringList{QString::fromStdString("Error at line #2 in '" + badCfg + "'.")});
    ExpectNoRecording();
    EXPECT_EQ(form->OpenChannelWindows(), 0);
    // Nothing is left that still points into the replaced samples.
    EXPECT_EQ(form->State().pyramid.Bytes(), 0u);
    EXPECT_TRUE(form->State().edges.empty());

    // A date line out of layout (a trailing blank), which fails after the data are in.
    RecordingText stamps;
    stamps.trigger = "01/01/00,00:00:00.005000 ";
    platform.messages.clear();
    Open(Write(stamps, "new.cfg", "new.dat"));
    EXPECT_EQ(platform.messages, QStringList{"Error in file: Time stamps are not meeting COMTRADE specifications!"});
    ExpectNoRecording();

    // A trigger after the record is only a message.
    platform.messages.clear();
    RecordingText late;
    late.trigger = "01/01/00,00:00:00.010000";  // one period after the tenth sample
    const std::string cfg = Write(late, "late.cfg", "late.dat");
    Open(cfg);
    EXPECT_EQ(platform.messages, QStringList{"Trigger point is out of record"});
    ExpectLoaded(cfg, 3);
    EXPECT_EQ(form->State().model.lngTriggerSample, 11);

    // No data file: the old windows went before the check, nothing is left to navigate.
    platform.messages.clear();
    Open(Write(late, "lonely.cfg", ""));
    EXPECT_EQ(platform.messages, QStringList{kNotFound});
    ExpectNoRecording();
    EXPECT_EQ(form->OpenChannelWindows(), 0);
}

TEST_F(MainWindowFiles, OpenCommandAsksWithFilterAndLastName)
{
    const std::string first = Write(RecordingText(), "A.cfg", "A.dat");
    const std::string second = Write(RecordingText(), "B.cfg", "B.dat");
    platform.openAnswers = {QString::fromStdString(first), std::nullopt, QString::fromStdString(second)};

    form->Open_Click();
    ExpectLoaded(first, 3);
    std::vector<QPointer<Pohja>> oldWindows{form->ChannelWindow(1), form->ChannelWindow(2), form->ChannelWindow(3)};

    form->Open_Click();  // cancelled: nothing changes
    ExpectLoaded(first, 3);
    for (const auto& old : oldWindows) EXPECT_FALSE(old.isNull());

    form->Open_Click();
    ExpectLoaded(second, 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& old : oldWindows) EXPECT_TRUE(old.isNull());  // (a new window may reuse an old address)
    // The old windows and the old template are gone from the area.
    EXPECT_EQ(form->mdiArea->subWindowList().size(), 4);

    EXPECT_EQ(platform.openFilters, QStringList(3, "COMTRADE recording (*.CFG *.CFF)|*.cfg;*.cff"));
    EXPECT_EQ(platform.openLastNames, (QStringList{"", QString::fromStdString(first), QString::fromStdString(first)}));
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(MainWindowFiles, DroppedRecordingOpensLikeFileOpenAndOtherDropsAreRefused)
{
    const auto drop = [&](const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &dropped);
        EXPECT_TRUE(platform.messages.isEmpty());  // nothing happens while the drop is in progress
        QApplication::processEvents();
    };
    const std::string first = Write(RecordingText(), "A.cfg", "A.dat");
    drop({QString::fromStdString(first)});
    ExpectLoaded(first, 3);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    // Its data file opens the configuration beside it, in whichever letter case.
    const std::string second = Write(RecordingText(), "B.CFG", "B.dat");
    drop({QString::fromStdString(dir / "B.dat")});
    ExpectLoaded(second, 3);
    // Several files, another kind or a folder: said so, and the recording stays.
    const QString refusal =
        "Drop one COMTRADE recording on the window: its configuration file (.cfg), its data file (.dat) or its "
        "combined file (.cff).";
    const QString notes = QString::fromStdString(dir.Write("notes.txt", "x"));
    for (const QStringList& paths : {QStringList{QString::fromStdString(first), QString::fromStdString(second)},
                                     QStringList{notes}, QStringList{QString::fromStdString(dir.Path())}}) {
        platform.messages.clear();
        drop(paths);
        EXPECT_EQ(platform.messages, QStringList{refusal}) << paths.join("|").toStdString();
        ExpectLoaded(second, 3);
    }
    // A data file without its configuration: the same message as File > Open gives.
    platform.messages.clear();
    dir.Write("C.dat", RecordingText().Data());
    drop({QString::fromStdString(dir / "C.dat")});
    EXPECT_EQ(platform.messages, QStringList{kNotFound});
    // The open dialog starts from what was dropped last.
    platform.openAnswers = {std::nullopt};
    form->Open_Click();
    EXPECT_EQ(platform.openLastNames.back(), QString::fromStdString(dir / "C.cfg"));
}

TEST_F(MainWindowFiles, EveryRevisionOpensThroughOpenTheCommandLineAndADrop)
{
    testing::NewRecording rec;  // IA (a = 0.5, b = -2) and UB (a = 0.25, b = 1.5), three digital channels
    rec.revision = 1999;
    rec.type = "BINARY";
    rec.values[2][0] = std::nan("");  // a gap, and said so after the load
    const std::string binary = rec.Write(dir, "B");
    platform.openAnswers = {QString::fromStdString(binary)};
    form->Open->trigger();
    EXPECT_EQ(platform.openFilters, QStringList{"COMTRADE recording (*.CFG *.CFF)|*.cfg;*.cff"});
    EXPECT_EQ(platform.messages, QStringList{"1 missing analog value is shown as a gap."});
    ExpectLoaded(binary, 3, "IEEE C37.111-1999 BINARY");
    const RecordingModel* m = &form->State().model;
    EXPECT_EQ(m->arrAnalogSamples(1, 1), -15002);   // raw -30000
    EXPECT_EQ(m->arrAnalogSamples(2, 2), 5663.25);  // raw 22647
    EXPECT_TRUE(std::isnan(m->arrAnalogSamples(1, 3)));
    EXPECT_EQ(m->arrDigitalSamples(1, 2), 1);
    QString reportTitle;
    QTimer::singleShot(0, [&] {
        if (QWidget* report = QApplication::activeModalWidget()) {
            reportTitle = report->windowTitle();
            QTest::keyClick(report, Qt::Key_Return);  // OK
        }
    });
    form->Filinfo->trigger();
    EXPECT_EQ(reportTitle.toStdString(), "COMTRADE File Information - " + binary + " (IEEE C37.111-1999 BINARY)");

    // The command line: a 2013 recording of FLOAT32 data.
    rec.revision = 2013;
    rec.type = "FLOAT32";
    rec.values[2][0] = 7;
    const std::string floats = rec.Write(dir, "F");
    platform.messages.clear();
    form = std::make_unique<CaptionRecordingForm>(platform);
    form->Form_Load(QString::fromStdString(floats));
    QApplication::processEvents();
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    ExpectLoaded(floats, 3, "IEEE C37.111-2013 FLOAT32");
    m = &form->State().model;
    EXPECT_EQ(m->arrAnalogSamples(1, 3), 1.5);
    EXPECT_EQ(form->captions.front().rfind("Sevrana - Opening file " + floats + "...", 0), 0u);

    // A drop of a combined file; a reopen in a code page reads it again the same way.
    rec.combined = true;
    rec.station = "Kallio";
    const std::string combined = rec.Write(dir, "C");
    const auto drop = [this](const std::string& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &dropped);
        QApplication::processEvents();
    };
    drop(combined);
    ExpectLoaded(combined, 3, "IEEE C37.111-2013 FLOAT32");
    form->ReopenWithEncoding(FindCodePage("KOI8-R"));
    ExpectLoaded(combined, 3, "IEEE C37.111-2013 FLOAT32");
    EXPECT_EQ(form->State().model.strEncoding, "KOI8-R");
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();

    // Each of the three opens each of the three ways.
    for (const auto& [path, readAs] :
         {std::pair{binary, "IEEE C37.111-1999 BINARY"}, std::pair{floats, "IEEE C37.111-2013 FLOAT32"},
          std::pair{combined, "IEEE C37.111-2013 FLOAT32"}}) {
        platform.openAnswers = {QString::fromStdString(path)};
        form->Open->trigger();
        ExpectLoaded(path, 3, readAs);
        form = std::make_unique<CaptionRecordingForm>(platform);
        form->Form_Load(QString::fromStdString(path));
        ExpectLoaded(path, 3, readAs);
        drop(path);
        ExpectLoaded(path, 3, readAs);
    }
    platform.messages.clear();

    // A newer recording the reader refuses: its words, and the recording on screen stays.
    dir.Write("T.dat", rec.Data().substr(0, 20));
    rec.combined = false;
    const std::string cut = dir.Write("T.cfg", rec.Config());
    Open(cut);
    EXPECT_EQ(platform.messages, QStringList{QString::fromStdString(
                                     "'" + (dir / "T.dat") +
                                     "': record 2 at byte offset 18: expected 18 bytes, found 2 (the configuration "
                                     "gives 8 samples)")});
    ExpectLoaded(combined, 3, "IEEE C37.111-2013 FLOAT32");
}

TEST_F(MainWindowFiles, SeveralRatesAskOnceForTheRateToShowAt)
{
    const std::string first = Write(RecordingText());
    Open(first);
    testing::NewRecording rec;
    rec.rates = {{"1000", 6}, {"4000", 8}};  // 5 ms at 1 kHz, then 2 samples at 4 kHz
    const std::string two = rec.Write(dir, "R");

    platform.rateAnswers = {std::nullopt};
    Open(two);
    ASSERT_EQ(platform.rateOffers.size(), 1u);
    const RateOffer& offer = platform.rateOffers[0];
    EXPECT_EQ(std::tuple(offer.ratesFound, offer.highest, offer.samplesAtHighest, offer.median, offer.samplesAtMedian),
              std::tuple(std::vector<double>{1000, 4000}, 4000.0, std::int64_t{23}, 1000.0, std::int64_t{6}));
    EXPECT_EQ(offer.SamplesAt(2000), 12);  // 5.5 ms
    // Cancelled: nothing said, and the recording on screen stays.
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    ExpectLoaded(first, 3);

    platform.rateAnswers = {2000.0};
    Open(two);
    ExpectLoaded(two, 3, "IEEE C37.111-2013 ASCII");
    const RecordingModel& m = form->State().model;
    EXPECT_EQ(std::tuple(m.lngSampleRate, m.lngLastSample), std::tuple(2000, 12));
    // Read again at the rate chosen, without asking again.
    form->ReopenWithEncoding(nullptr);
    EXPECT_EQ(platform.rateOffers.size(), 2u);
    ExpectLoaded(two, 3, "IEEE C37.111-2013 ASCII");
    EXPECT_EQ(std::tuple(m.lngSampleRate, m.lngLastSample), std::tuple(2000, 12));
}

TEST_F(MainWindowFiles, OpenWithOptionsReadsAtTheRateValuesAndCodePageChosen)
{
    testing::NewRecording rec;
    rec.rates = {{"1000", 6}, {"4000", 8}};
    rec.analog[0].primary = "400";  // IA's factors give primary values
    const std::string two = rec.Write(dir, "R");
    EXPECT_EQ(form->File->actions().indexOf(form->OpenWithOptions), 1);  // right after Open...
    platform.openAnswers = {QString::fromStdString(two)};
    platform.optionAnswers = {OpenOptions{2000.0, OpenOptions::Values::Secondary, QStringLiteral("KOI8-R")}};
    form->OpenWithOptions->trigger();
    EXPECT_TRUE(platform.rateOffers.empty());  // the rate was given
    ExpectLoaded(two, 3, "IEEE C37.111-2013 ASCII");
    const RecordingModel& m = form->State().model;
    EXPECT_EQ(std::tuple(m.lngSampleRate, m.lngLastSample, m.strEncoding), std::tuple(2000, 12, "KOI8-R"));
    EXPECT_DOUBLE_EQ(m.arrAnalogSamples(1, 1), -37.505);  // (0.5 * -30000 - 2) / 400

    // Options cancelled: nothing is opened.
    const std::string other = Write(RecordingText());
    platform.openAnswers = {QString::fromStdString(other)};
    platform.optionAnswers = {std::nullopt};
    form->OpenWithOptions->trigger();
    ExpectLoaded(two, 3, "IEEE C37.111-2013 ASCII");
    EXPECT_EQ(platform.openFilters, QStringList(2, "COMTRADE recording (*.CFG *.CFF)|*.cfg;*.cff"));
}

TEST_F(MainWindowFiles, A1991FileTheLoaderRefusesIsReadLenientlyAndSaysWhy)
{
    RecordingText lenient;
    for (int n = 0; n < 10; ++n)  // sample numbers from 0
        lenient.data[static_cast<std::size_t>(n)] = std::to_string(n) + "," + std::to_string(n * 1000) + "," +
                                                    std::to_string(n * 10) + "," + std::to_string(-n) + ",0";
    const std::string cfg = Write(lenient);
    Open(cfg);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    ExpectLoaded(cfg, 3, "IEEE C37.111-1991 ASCII");
    const std::string why = "Read leniently: Error at line #1 in '" + (dir / "F1.dat") + "'.";
    EXPECT_EQ(form->State().model.strReadNote, why);
    const QStringList lines = [&] {
        File_Info report(form->State().model, platform);
        report.Form_Load();
        return report.Lines();
    }();
    EXPECT_EQ(lines.mid(8, 2), (QStringList{"Trigger reason:\t\t", QString::fromStdString(why)}));
}

TEST_F(MainWindowFiles, StartUpWithAndWithoutRecording)
{
    form->Form_Load(QString());
    ExpectNoRecording();
    EXPECT_TRUE(form->SelChs->isEnabled());

    const std::string cfg = Write(RecordingText());
    form = std::make_unique<CaptionRecordingForm>(platform);
    form->Form_Load(QString::fromStdString(cfg));
    QApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    ExpectLoaded(cfg, 3);
    EXPECT_TRUE(form->SelChs->isEnabled());

    // A quoted command line is taken as it is, and is not found; the next good open offers everything.
    form = std::make_unique<CaptionRecordingForm>(platform);
    form->Form_Load(QStringLiteral("\"") + QString::fromStdString(cfg) + "\"");
    EXPECT_EQ(platform.messages, QStringList{kNotFound});
    EXPECT_FALSE(form->SelChs->isEnabled());
    EXPECT_EQ(form->windowTitle(), "Sevrana");
    Open(cfg);
    EXPECT_TRUE(form->SelChs->isEnabled());
}

TEST_F(MainWindowFiles, ClosingDuringALoadStopsItAndClosesTheWindow)
{
    const std::string cfg = Write(RecordingText());
    form->show();
    // The close arrives while the load lets pending events run.
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    form->Form_Load(QString::fromStdString(cfg));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    EXPECT_EQ(form->OpenChannelWindows(), 0);
    EXPECT_EQ(form->State().view.blnDataLoaded, kFalse);
    EXPECT_EQ(Ini("WindowState"), "0");  // closed the usual way: the geometry is kept

    // So does one while a newer recording is read: nothing is opened, nothing said.
    form = std::make_unique<CaptionRecordingForm>(platform);
    form->show();
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    form->OpenRecording(QString::fromStdString(testing::NewRecording().Write(dir, "N")));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    EXPECT_EQ(form->OpenChannelWindows(), 0);
}

TEST_F(MainWindowFiles, GeometryIsSavedAndRestored)
{
    // Nothing stored: designed size, centred.
    form->Form_Load(QString());
    QApplication::processEvents();
    EXPECT_EQ(form->State().varIniFile, dir / "Sevrana.ini");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->height(), 581);
    EXPECT_EQ(form->y(), screen.height() / 2 - 581 / 2);
    EXPECT_EQ(form->x(), screen.width() / 2 - 781 / 2);

    // Normal: written on close as left, then blank-led numbers.
    Place(*form, 100, 50, 850, 600);
    form->close();
    EXPECT_EQ(Ini("Geometry"), "1500, 750, 12750, 9000");
    EXPECT_EQ(Ini("WindowState"), "0");

    Restart();
    EXPECT_EQ(Placement(*form), QRect(100, 50, 850, 600));
    EXPECT_FALSE(form->isMinimized());

    // Minimized: state 1, restored minimized.
    form->showMinimized();
    form->close();
    EXPECT_EQ(Ini("WindowState"), "1");
    Restart();
    EXPECT_TRUE(form->isMinimized());
    form->showNormal();
    Place(*form, 120, 60, 900, 640);

    // Maximized: the normal geometry stays as stored before, the state says 2.
    form->close();
    ASSERT_EQ(Ini("Geometry"), "1800, 900, 13500, 9600");
    Restart();
    form->showMaximized();
    form->close();
    EXPECT_EQ(Ini("Geometry"), "1800, 900, 13500, 9600");
    EXPECT_EQ(Ini("WindowState"), "2");
    Restart();
    EXPECT_TRUE(form->isMaximized());

    // Negative positions keep their sign without the blank, zero has the blank.
    form->showNormal();
    Place(*form, -30, 0, 900, 640);
    form->close();
    EXPECT_EQ(Ini("Geometry"), "-450, 0, 13500, 9600");
}

TEST_F(MainWindowFiles, AutoScaleNewRecordingsIsRememberedAndScalesEveryAnalogChannelOfTheNextOpen)
{
    form->Form_Load(QString());
    EXPECT_FALSE(form->AutoScaleNew->isChecked());  // off by default
    const std::string cfg = Write(RecordingText());
    Open(cfg);
    const RecordingModel& m = form->State().model;
    EXPECT_EQ((std::vector<double>{m.arrChannelScale(1), m.arrChannelScale(2)}), (std::vector<double>{65534, 1001}));
    EXPECT_EQ(m.arrAutoScale(1), kFalse);
    const QList<QAction*> items = form->View->actions();
    EXPECT_EQ(items.indexOf(form->AutoScaleNew), items.indexOf(form->Disautoscaleall) + 1);
    EXPECT_EQ(form->AutoScaleNew->text(), "Auto-scale new recordings");

    form->AutoScaleNew->trigger();
    EXPECT_EQ(m.arrAutoScale(1), kFalse);  // the open recording stays as it is
    form->close();
    EXPECT_EQ(Ini("AutoScaleNew"), "1");

    // Started again: still on, and the next recording opens auto-scaled, the active channel's box ticked.
    Restart();
    EXPECT_TRUE(form->AutoScaleNew->isChecked());
    Open(cfg);
    const RecordingModel& again = form->State().model;
    EXPECT_EQ((std::vector<double>{again.arrChannelScale(1), again.arrChannelScale(2)}), (std::vector<double>{200, 6}));
    EXPECT_EQ((std::vector<Flag>{again.arrAutoScale(1), again.arrAutoScale(2)}), (std::vector<Flag>{kTrue, kTrue}));
    EXPECT_TRUE(form->Check1->isChecked());

    form->AutoScaleNew->trigger();
    form->close();
    EXPECT_EQ(Ini("AutoScaleNew"), "0");
}

TEST_F(MainWindowFiles, RestoredWindowStaysInsideTheScreenWithItsFrame)
{
    // The offscreen desktop: a screen of 800 x 800, frames 2 px on each side. The window is wider
    // than that screen (its tool bar), so only the top and bottom are checked.
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    auto topAndBottom = [&] { return std::pair(form->frameGeometry().top(), form->frameGeometry().bottom()); };
    Restart("1500, 3060, 9000, 9000");  // its frame's bottom 8 px below the screen: moved up by 8
    EXPECT_EQ(topAndBottom(), std::pair(196, 799));
    EXPECT_EQ(form->height(), 600);
    Restart("1500, 1500, 9000, 15000");  // taller than the screen: as tall as it
    EXPECT_EQ(topAndBottom(), std::pair(0, 799));
    EXPECT_EQ(form->height(), 796);
    Restart("1500, 750, 9000, 9000");  // inside already: where it was
    EXPECT_EQ(topAndBottom(), std::pair(50, 653));
}

TEST_F(MainWindowFiles, StoredGeometryOutOfSightIsBroughtBack)
{
    // (The window is never narrower than its upper tool bar: widths are checked by height and place.)
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* stored;
        QSize size;  // expected, centred on the screen
    };
    const std::vector<Case> cases = {
        {"150000, 1500, 9000, 6000", {600, 400}},    // far right of every screen: the size fits
        {"1500, -3000, 9000, 6000", {600, 400}},     // title bar above the screen
        {"1500, 1500, 0, 6000", {781, 581}},         // no width: the designed size
        {"1500, 1500, 9000, -15", {781, 581}},       // negative height
        {"1500, -30000, 150000, 6000", {781, 581}},  // out of sight and too wide for the screen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Restart(c.stored);
        EXPECT_EQ(form->height(), c.size.height());
        EXPECT_EQ(form->pos(), QPoint(screen.width() / 2 - c.size.width() / 2, screen.height() / 2 - c.size.height() / 2));
    }
    // Partly off the screen but still to be taken by its title bar: where it was.
    Restart("-4500, 1500, 13500, 6000");
    EXPECT_EQ(Placement(*form), QRect(-300, 100, 900, 400));
}

TEST_F(MainWindowFiles, SettingsFallBackToUserFolderWhenProgramFolderCannotBeWritten)
{
    dir.Write("file.txt", "not a folder");
    platform.programFolder = QString::fromStdString(dir / "file.txt/sub");
    const QString fallback = form->FallbackIniFile();
    ASSERT_FALSE(fallback.startsWith(QString::fromStdString(dir.Path())));
    QFile::remove(fallback);

    form->Form_Load(QString());
    EXPECT_EQ(QString::fromStdString(form->State().varIniFile), fallback);
    Place(*form, 90, 45, 870, 610);
    form->close();
    EXPECT_EQ(Ini("Geometry"), "1350, 675, 13050, 9150");

    Restart();
    EXPECT_EQ(Placement(*form), QRect(90, 45, 870, 610));
    form.reset();
    QFile::remove(fallback);

    // A folder that can be written, but whose settings file cannot.
    platform.programFolder = QString::fromStdString(dir.Path());
    std::filesystem::create_directories(dir / "Sevrana.ini");
    Restart();
    EXPECT_EQ(QString::fromStdString(form->State().varIniFile), fallback);
    form.reset();
    QFile::remove(fallback);
}

TEST_F(MainWindowFiles, HelpContentsShowsTheProgramsHelpPage)
{
    platform.programFolder = QString::fromStdString(dir / "bin");
    form->Cont_Click();
    // Installed: share/sevrana beside the program's folder.
    dir.Write("share/sevrana/sevrana.html", "<html></html>");
    form->Cont_Click();
    // The page beside the program comes first, found whatever the case of its name.
    dir.Write("bin/Sevrana.HTML", "<html></html>");
    form->Cont_Click();
    EXPECT_EQ(platform.helpPaths, (QStringList{QString::fromStdString(dir / "bin/sevrana.html"),
                                               QString::fromStdString(dir / "share/sevrana/sevrana.html"),
                                               QString::fromStdString(dir / "bin/Sevrana.HTML")}));
}

TEST_F(MainWindowFiles, ToolBarsFollowTheWidthFromTheFirstShowOn)
{
    auto expectLaidOut = [this] {
        const int w = form->width();
        EXPECT_EQ(form->Image1->geometry().right(), w - 2);  // 20 twips from the edge
        EXPECT_EQ(form->Scroll1->x(), form->Text4->width());
        EXPECT_NEAR(form->Text5->x(), form->Scroll1->geometry().right() + 1, 1);
        EXPECT_GE(form->Text5->geometry().right(), w - 1);
        EXPECT_GE(form->Label6->width(), w);
        EXPECT_EQ(form->Line7->width(), form->frameGeometry().width());
    };
    form->Form_Load(QString());  // no settings yet
    QApplication::processEvents();
    expectLaidOut();

    form->resize(600, 500);
    QApplication::processEvents();
    // The upper bar's contents (widened where a text needs it) end at the logo; 200 twips more.
    EXPECT_EQ(form->frameGeometry().width(), 836);

    form->resize(1000, 600);
    QApplication::processEvents();
    EXPECT_EQ(form->width(), 1000);
    expectLaidOut();

    // Resized while minimized, then restored: the bars follow then.
    form->showMinimized();
    form->resize(900, 600);
    form->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(form->width(), 900);
    expectLaidOut();
}

TEST_F(MainWindowFiles, ToolBarTextsAreNeverCut)
{
    // Whether the whole of a text shows in a box: its contents, less the edit's margins,
    // and only as far as the bar the box sits on reaches.
    auto fits = [](const QLineEdit* box, const QString& text) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
        const int seen = std::min(contents.right(), box->parentWidget()->width() - 1 - box->x());
        return box->fontMetrics().horizontalAdvance(text) + 2 * 2 <= seen - contents.left() + 1;
    };
    RecordingText rec = testing::SamplesOf(40000);
    rec.analog[0] = "1,Feeder 7 phase L1 current (CT 600/1),A,,A,1,0,0,-100,100";
    form->Form_Load(QString::fromStdString(Write(rec, "long.cfg", "long.dat")));
    QApplication::processEvents();
    ASSERT_EQ(form->State().view.blnDataLoaded, kTrue);

    form->Combo1->setCurrentIndex(0);
    form->Scroll1->setValue(form->Scroll1->maximum());
    EXPECT_EQ(form->Text4->text(), "39599.000 ms");
    EXPECT_EQ(form->Text5->text(), "39999.000 ms");
    for (QLineEdit* box : {form->Text4, form->Text5}) {
        EXPECT_TRUE(fits(box, box->text())) << box->objectName().toStdString();
        EXPECT_TRUE(fits(box, "999999.000 ms")) << box->objectName().toStdString();
    }
    form->Command1->click();
    for (const char* text : {"t :  --infinite-- 1/s", "t :  99999.0000 1/s"}) EXPECT_TRUE(fits(form->Text3, text));
    EXPECT_TRUE(fits(form->Text2, "t :  9999.000000 s"));
    for (const char* caption : {"Markers: OFF", "Markers: ON"}) {
        form->Command1->setText(caption);
        EXPECT_LE(form->Command1->sizeHint().width(), form->Command1->width()) << caption;
    }
    EXPECT_LE(form->Check1->sizeHint().width(), form->Check1->width());
    EXPECT_LE(form->Label3->sizeHint().width(), form->Label3->width());
    EXPECT_LE(form->Label3->geometry().right(), form->Combo1->x());
    EXPECT_LE(form->Check1->geometry().right(), form->Label3->x());

    // A long name loses its middle; the tool tip has all of it.
    const QString label = form->Label1->text();
    EXPECT_TRUE(label.startsWith("Feeder")) << label.toStdString();
    EXPECT_TRUE(label.endsWith(")  Scale:")) << label.toStdString();
    EXPECT_TRUE(label.contains(QChar(0x2026)));
    EXPECT_LE(form->Label1->fontMetrics().horizontalAdvance(label), form->Label1->width());
    EXPECT_EQ(form->Label1->toolTip(), "Feeder 7 phase L1 current (CT 600/1)");
    form->mdiArea->setActiveSubWindow(form->ChannelWindow(2)->Frame());
    EXPECT_EQ(form->Label1->text(), "UA  Scale:");
    EXPECT_TRUE(form->Label1->toolTip().isEmpty());

    // The delta signs are drawn, not boxes.
    for (const char* name : {"Frame1Sign", "Frame2Sign"}) {
        const auto* sign = form->findChild<QLabel*>(name);
        ASSERT_NE(sign, nullptr) << name;
        EXPECT_TRUE(sign->text().endsWith(QChar(0x394)));
        EXPECT_TRUE(sign->fontMetrics().inFont(QChar(0x394))) << name;
    }
}

TEST_F(MainWindowFiles, KeyReleasesReachTheWindowCaptureOnce)
{
    Open(Write(RecordingText()));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto release = [](QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &event);
    };
    for (QWidget* control : std::initializer_list<QWidget*>{form->Text6, form->Combo1, form->Command1, form->Scroll1}) {
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString();
        release(control, Qt::Key_Print, Qt::AltModifier);
    }
    EXPECT_EQ(form->keys, (std::vector<std::pair<int, int>>(4, {44, 4})));
    form->keys.clear();
    release(form->ChannelWindow(2), Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(form->keys, (std::vector<std::pair<int, int>>{{65, 3}}));
}

TEST_F(MainWindowFiles, BundledExampleOpensFromTheCommandLine)
{
    const std::string cfg = SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg";
    form->Form_Load(QString::fromStdString(cfg));
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join("|").toStdString();
    EXPECT_EQ(form->windowTitle().toStdString(), "Sevrana - Kallio 110 kV (" + cfg + ")");
    EXPECT_EQ(form->OpenChannelWindows(), 8);  // seven analog, one for the three digital channels
    EXPECT_EQ(form->Label6->text(), "Digital Channels: 1:PU, 2:TRIP, 3:CB_CLOSED");
    // The windows share the area's height in index order, without gaps.
    const int first = form->ChannelWindow(1)->Frame()->height();
    for (long i = 2; i <= 8; ++i) {
        EXPECT_NEAR(form->ChannelWindow(i)->Frame()->height(), first, 1) << i;
        EXPECT_EQ(form->ChannelWindow(i)->Frame()->y(), form->ChannelWindow(i - 1)->Frame()->geometry().bottom() + 1);
    }
    EXPECT_EQ(form->ChannelWindow(8)->Frame()->geometry().bottom() + 1, form->ClientSize().height());
    // Every window was drawn: analog windows show grid and trace, the digital window its rows.
    for (long i = 1; i <= 8; ++i) {
        const QImage picture = form->ChannelWindow(i)->Picture();
        EXPECT_EQ(picture.size(), form->ChannelWindow(i)->size()) << i;
        EXPECT_GT(testing::CountColour(picture, qRgb(255, 0, 0)), picture.width() / 2) << "trace in window " << i;
        if (i <= 7) {
            EXPECT_GT(testing::CountColour(picture, qRgb(0, 128, 0)), picture.width() / 4)
                << "zero line and axis in window " << i;
            EXPECT_GT(testing::CountColour(picture, qRgb(64, 64, 64)), 0) << "trigger line in window " << i;
        }
    }
}

TEST(FileFilter, BarFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtFileFilter("COMTRADE file (*.CFG)|*.cfg"), "COMTRADE file (*.CFG *.cfg)");
    EXPECT_EQ(QtFileFilter("Text (*.txt)|*.txt|All files|*.*"), "Text (*.txt);;All files (*.*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.png;*.bmp"), "Pictures (*.png *.bmp)");
    EXPECT_EQ(QtFileFilter("Dangling"), "");
}

}  // namespace
}  // namespace sevrana
