// The digital events window on a recording whose changes are written out: it opens from
// the View menu, lists and filters the changes, copies and prints them, puts marker 1 on
// a double-clicked change with the view centred on it, serves a long list in batches and
// follows a new recording or none. The command line's JSON is read back here too.

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest/QTest>

#include "DigitalEventsWindow.h"
#include "FormFixture.h"
#include "Measurements.h"
#include "PdfReader.h"

namespace sevrana::testing {
namespace {

/// 1000 samples at 1000 per second, trigger at 100 ms (sample 101). PU picks up at 121, TRIP at
/// 141; CB CLOSED (normally closed) opens at 206; PU and TRIP drop out together at 226; CB CLOSED
/// closes again on the last sample. AR changes on sample 2; SPARE never changes.
RecordingText Breaker()
{
    RecordingText rec;
    rec.counts = "6,1A,5D";
    rec.analog = {"1,IA,A,,A,1,0,0,-100,100"};
    rec.digital = {"2,PU,0", "3,TRIP,0", "4,CB CLOSED,1", "5,AR,0", "6,SPARE,0"};
    rec.rate = "1000,1000";
    rec.trigger = "01/01/00,00:00:00.100000";
    rec.data.clear();
    for (int k = 1; k <= 1000; ++k) {
        const bool pu = k >= 121 && k < 226, trip = k >= 141 && k < 226, cb = k < 206 || k == 1000, ar = k >= 2;
        rec.data.push_back(std::to_string(k) + "," + std::to_string((k - 1) * 1000) + "," + std::to_string(k % 50) +
                           "," + (pu ? "1" : "0") + "," + (trip ? "1" : "0") + "," + (cb ? "1" : "0") + "," +
                           (ar ? "1" : "0") + ",0");
    }
    return rec;
}

class DigitalEventsWindowTest : public LoadedForm {
protected:
    DigitalEventsWindow& Open()
    {
        Load(Breaker(), "breaker");
        form->Events->trigger();
        DigitalEventsWindow* w = form->EventsWindow();
        EXPECT_TRUE(w != nullptr && w->isVisible());
        return *w;
    }
    static QStringList Row(const DigitalEventsWindow& w, int r)
    {
        QStringList cells;
        const QAbstractItemModel* model = w.Events->model();
        for (int c = 0; c < model->columnCount(); ++c) cells << model->index(r, c).data().toString();
        return cells;
    }
    static QStringList ListedChannels(const DigitalEventsWindow& w)
    {
        QStringList names;
        for (int r = 0; r < w.Channels->rowCount(); ++r)
            if (!w.Channels->isRowHidden(r)) names << w.Channels->item(r, 1)->text();
        return names;
    }
};

TEST_F(DigitalEventsWindowTest, ListsFiltersAndCopiesTheChanges)
{
    // The item comes right after "Measurements..." in the View menu.
    const QList<QAction*> items = form->View->actions();
    const auto at = items.indexOf(form->Measure);
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, items.size());
    EXPECT_EQ(items[at + 1]->text(), "Digital events...");

    DigitalEventsWindow& w = Open();
    EXPECT_EQ(w.Summary->text(), "7 changes in 4 of 5 channels");
    ASSERT_EQ(w.Events->model()->rowCount(), 7);
    EXPECT_EQ(Row(w, 0), QStringList({"0.001000", "-99.000", "2", "4", "AR", "0\u21921", "no"}));
    EXPECT_EQ(Row(w, 3), QStringList({"0.205000", "105.000", "206", "3", "CB CLOSED", "1\u21920", "no"}));
    EXPECT_EQ(Row(w, 6), QStringList({"0.999000", "899.000", "1000", "3", "CB CLOSED", "0\u21921", "yes"}));
    EXPECT_EQ(ListedChannels(w), QStringList({"PU", "TRIP", "CB CLOSED", "AR", "SPARE"}));

    // Copy gives the rows shown, with the headings, as tab-separated lines; Ctrl+C does the same.
    const QString all = QString::fromUtf8(
        "Time (s)\tFrom trigger (ms)\tSample\tChannel\tName\tChange\tNormal\n"
        "0.001000\t-99.000\t2\t4\tAR\t0\u21921\tno\n"
        "0.120000\t20.000\t121\t1\tPU\t0\u21921\tno\n"
        "0.140000\t40.000\t141\t2\tTRIP\t0\u21921\tno\n"
        "0.205000\t105.000\t206\t3\tCB CLOSED\t1\u21920\tno\n"
        "0.225000\t125.000\t226\t1\tPU\t1\u21920\tyes\n"
        "0.225000\t125.000\t226\t2\tTRIP\t1\u21920\tyes\n"
        "0.999000\t899.000\t1000\t3\tCB CLOSED\t0\u21921\tyes\n");
    w.CopyButton->click();
    EXPECT_EQ(platform.clipboardText, all);
    platform.clipboardText.clear();
    QApplication::setActiveWindow(&w);  // the desktop activates the window a person clicks into
    QTest::keyClick(w.Events, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform.clipboardText, all);

    // The filter: name contains, any case, in the channel list and the changes alike.
    w.Filter->setText(QStringLiteral("tRi"));
    EXPECT_EQ(ListedChannels(w), QStringList({"TRIP"}));
    EXPECT_EQ(w.Summary->text(), "2 changes in 1 of 5 channels");
    w.CopyButton->click();
    EXPECT_EQ(platform.clipboardText,
              QString::fromUtf8("Time (s)\tFrom trigger (ms)\tSample\tChannel\tName\tChange\tNormal\n"
                                "0.140000\t40.000\t141\t2\tTRIP\t0\u21921\tno\n"
                                "0.225000\t125.000\t226\t2\tTRIP\t1\u21920\tyes\n"));
    w.Filter->setText(QStringLiteral("nothing"));
    EXPECT_EQ(w.Summary->text(), "0 changes in 0 of 5 channels");
    EXPECT_TRUE(ListedChannels(w).isEmpty());

    // Changed channels only: SPARE leaves the list; the changes stay.
    w.Filter->clear();
    w.ChangedOnly->setChecked(true);
    EXPECT_EQ(ListedChannels(w), QStringList({"PU", "TRIP", "CB CLOSED", "AR"}));
    EXPECT_EQ(w.Summary->text(), "7 changes in 4 of 5 channels");

    // Channels chosen in the list limit the changes to theirs.
    w.Channels->selectRow(2);
    EXPECT_EQ(w.Summary->text(), "2 changes in 1 of 5 channels");
    EXPECT_EQ(Row(w, 1)[4], "CB CLOSED");
    w.Channels->clearSelection();
    EXPECT_EQ(w.Summary->text(), "7 changes in 4 of 5 channels");

    // Printed: the summary, the headings and every row.
    const QString pdf = QString::fromStdString(dir.Path()) + QStringLiteral("/events.pdf");
    platform.printAnswers.push_back(FakePlatform::PrintAnswer{pdf});
    w.PrintButton->click();
    QStringList lines;
    for (const PdfLine& line : ReadPdf(pdf).Lines()) lines << line.Text();
    for (const char* expected :
         {"Digital events: Kallio (page 1 of 1)", "7 changes in 4 of 5 channels",
          "Time (s) From trigger (ms) Sample Channel Name Change Normal", "0.001000 -99.000 2 4 AR 0\u21921 no",
          "0.999000 899.000 1000 3 CB CLOSED 0\u21921 yes"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n" << lines.join("\n").toStdString();
}

TEST_F(DigitalEventsWindowTest, DoubleClickPutsMarker1OnTheChangeAndCentresTheView)
{
    DigitalEventsWindow& w = Open();
    form->Measure_Click();
    ChooseZoom(QStringLiteral("10 %"));  // 100 samples in view, from sample 1
    ASSERT_EQ(form->State().model.lngViewSamples, 100);
    ASSERT_EQ(form->State().view.lngFirstSample, 1);
    ASSERT_EQ(form->Command1->text(), "Markers: OFF");

    // A double-click on the row of CB CLOSED opening (sample 206), as the desktop sends it.
    const auto doubleClick = [&](int row) {
        const QPoint at = w.Events->visualRect(w.Events->model()->index(row, 0)).center();
        QTest::mouseClick(w.Events->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(w.Events->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    doubleClick(3);
    const ViewState& v = form->State().view;
    EXPECT_EQ(form->Command1->text(), "Markers: ON");
    EXPECT_TRUE(form->Mark1->isChecked());
    EXPECT_EQ(v.varMarker1Sample, 206);
    EXPECT_EQ(v.lngFirstSample, 156);  // 206 in the middle of 100 samples
    // M2 came on in the middle of the view as it was (sample 51): 155 samples, 0.155 s apart.
    EXPECT_EQ(v.lngMarker2Sample, 51);
    EXPECT_EQ(form->Text2->text(), "t :  0.155000 s");
    EXPECT_EQ(form->MeasurementsWindow()->Info->text().section('\n', 0, 0).left(30), "M1: sample 206, 0.205000 s; M2");

    // Another change when the markers are on already: the last sample; the view goes as far as it can.
    doubleClick(6);
    EXPECT_EQ(v.varMarker1Sample, 1000);
    EXPECT_EQ(v.lngFirstSample, 900);
    EXPECT_EQ(form->Text2->text(), "t :  0.949000 s");

    // Sample 121 when the view already has it in the middle: the marker still moves.
    ChooseZoom(QStringLiteral("100 %"));
    w.Row_DoubleClick(1);
    EXPECT_EQ(v.varMarker1Sample, 121);
    EXPECT_EQ(form->Text2->text(), "t :  0.070000 s");
}

TEST_F(DigitalEventsWindowTest, FollowsANewRecordingOrNone)
{
    DigitalEventsWindow& w = Open();
    ASSERT_EQ(w.Events->model()->rowCount(), 7);

    // 6000 samples whose one digital channel changes on every sample after the first: the first
    // rows at once, the rest from the event loop.
    const std::string cfg = dir.Write("long.cfg", SamplesOf(6000).Config());
    dir.Write("long.dat", SamplesOf(6000).Data());
    form->OpenRecording(QString::fromStdString(cfg));
    EXPECT_EQ(w.Summary->text(), "5999 changes in 1 of 1 channels");
    EXPECT_EQ(w.ShownEvents().size(), 5999u);
    EXPECT_LT(w.ServedRows(), 5999);
    EXPECT_GT(w.ServedRows(), 0);
    for (int guard = 0; guard < 100 && w.ServedRows() < 5999; ++guard) QApplication::processEvents();
    EXPECT_EQ(w.ServedRows(), 5999);
    EXPECT_EQ(Row(w, 5998), QStringList({"5.999000", "5999.000", "6000", "1", "TRIP", "0\u21921", "no"}));

    form->OpenRecording(QString::fromStdString(dir.Path() + "/missing.cfg"));
    EXPECT_EQ(w.Events->model()->rowCount(), 0);
    EXPECT_EQ(w.Channels->rowCount(), 0);
    EXPECT_EQ(w.Summary->text(), "");
    w.CopyButton->click();
    EXPECT_TRUE(platform.clipboardText.isEmpty());
}

TEST(CliEventsJson, ReadsBackAsTheDocumentedObject)
{
    TempDir dir;
    dir.Write("B.dat", Breaker().Data());
    const std::string cfg = dir.Write("B.cfg", Breaker().Config());
    QProcess cli;
    cli.start(QStringLiteral(SEVRANA_CLI), {"events", QString::fromStdString(cfg), "--json", "--channel", "3"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(cli.readAllStandardOutput(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o.keys(), QStringList({"channels", "events", "sample_rate", "samples", "trigger_sample"}));
    EXPECT_EQ(o["sample_rate"].toInt(), 1000);
    EXPECT_EQ(o["samples"].toInt(), 1000);
    EXPECT_EQ(o["trigger_sample"].toInt(), 101);
    const QJsonArray channels = o["channels"].toArray();
    ASSERT_EQ(channels.size(), 1);
    EXPECT_EQ(channels[0].toObject(),
              QJsonObject({{"index", 3}, {"name", "CB CLOSED"}, {"normal", 1}, {"initial", 1}, {"changes", 2}}));
    const QJsonArray events = o["events"].toArray();
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(
        events[0].toObject(),
        QJsonObject({{"sample", 206}, {"time", 0.205}, {"channel", 3}, {"name", "CB CLOSED"}, {"from", 1}, {"to", 0}}));
    EXPECT_EQ(events[1].toObject()["sample"].toInt(), 1000);
    EXPECT_EQ(events[1].toObject()["to"].toInt(), 1);
}

}  // namespace
}  // namespace sevrana::testing
