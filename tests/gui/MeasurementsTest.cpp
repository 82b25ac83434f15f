// The measurements window on a recording whose values are known: a balanced set
// of phase voltages, a current leading by 90 degrees and a ramp whose value is
// its sample number. It opens with Ctrl+M, follows the trigger and the markers,
// copies, prints, draws its diagram and empties with the recording.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest/QTest>

#include <cmath>

#include "FormFixture.h"
#include "Measurements.h"
#include "PdfReader.h"
#include "TextUtils.h"

namespace sevrana::testing {
namespace {

/// 100 samples at 1000 per second, 50 Hz: 20 samples a cycle; the trigger at sample 31.
RecordingText Known()
{
    RecordingText rec;
    rec.counts = "5,5A,0D";
    // Whole numbers: the sums over a cycle are exact, so a DC of 0 is 0.
    rec.analog = {"1,UA,A,L1,V,1,0,0,-10000,10000", "2,UB,B,L1,V,1,0,0,-10000,10000", "3,UC,C,L1,V,1,0,0,-10000,10000",
                  "4,IB,B,,A,1,0,0,-10000,10000", "5,IR,,,A,1,0,0,0,1000"};
    rec.digital.clear();
    rec.rate = "1000,100";
    rec.trigger = "01/01/00,00:00:00.030000";
    rec.data.clear();
    for (int k = 1; k <= 100; ++k) {
        const double w = 2 * M_PI * 50 * (k - 1) / 1000.0;
        std::string line = std::to_string(k) + "," + std::to_string((k - 1) * 1000);
        for (const double v :
             {10000 * std::cos(w), 10000 * std::cos(w - 2 * M_PI / 3), 10000 * std::cos(w + 2 * M_PI / 3),
              5000 * std::cos(w + M_PI / 2), static_cast<double>(k)})
            line += "," + std::to_string(std::lround(v));
        rec.data.push_back(line);
    }
    return rec;
}

class MeasurementsTest : public LoadedForm {
protected:
    /// Loads the known recording and opens the window with its shortcut, as a person does.
    Measurements& Open()
    {
        Load(Known(), "known");
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_M, Qt::ControlModifier);
        Measurements* w = form->MeasurementsWindow();
        EXPECT_TRUE(w != nullptr && w->isVisible());
        return *w;
    }

    /// The text of the cell in the row of a channel (or circuit) and the column of a heading.
    static QString Cell(const QTableWidget* table, const QString& row, const QString& head)
    {
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->item(r, 0)->text() == row && table->horizontalHeaderItem(c)->text() == head)
                    return table->item(r, c)->text();
        return QStringLiteral("no cell %1 / %2").arg(row, head);
    }
    static QStringList Row(const QTableWidget* table, int r)
    {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c) cells << table->item(r, c)->text();
        return cells;
    }
    static QStringList Heads(const QTableWidget* table)
    {
        QStringList heads;
        for (int c = 0; c < table->columnCount(); ++c) heads << table->horizontalHeaderItem(c)->text();
        return heads;
    }

    /// Steps M1 with the arrow keys in channel window 1 until it stands at sample.
    void StepMarker1To(std::int32_t sample)
    {
        for (int guard = 0; guard < 200 && form->State().view.varMarker1Sample != sample; ++guard)
            Key(&Window(1), form->State().view.varMarker1Sample < sample ? Qt::Key_Right : Qt::Key_Left);
        ASSERT_EQ(form->State().view.varMarker1Sample, sample);
    }
};

TEST_F(MeasurementsTest, ShowsTheTriggerThenFollowsTheMarkersAndTheReference)
{
    Measurements& w = Open();
    // At the trigger: one column per quantity, and the window that ends there.
    EXPECT_EQ(Heads(w.Channels),
              QStringList({"Channel", "Unit", "Value", "RMS", "DC", "Fundamental", "Angle", "THD", "2nd harmonic"}));
    EXPECT_EQ(Row(w.Channels, 1).mid(0, 5), QStringList({"UB", "V", "5000.0 V", "7070.8 V", "0 V"}));
    EXPECT_EQ(Row(w.Channels, 4),
              QStringList({"IR", "A", "31.000 A", "22.260 A", "21.500 A", "4.5201 A", "-99.0°", "80.0 %", "50.6 %"}));
    EXPECT_EQ(Cell(w.Channels, "UC", "Angle"), "120.0°");
    EXPECT_EQ(Cell(w.Channels, "IB", "Angle"), "90.0°");
    EXPECT_EQ(Row(w.Groups, 0).mid(0, 2), QStringList({"L1", "UA, UB, UC"}));
    EXPECT_EQ(Cell(w.Groups, "L1", "Positive"), "7070.9 V");
    EXPECT_EQ(w.Info->text(),
              "Trigger: sample 31, 0.030000 s\n"
              "Window: samples 12 to 31 (0.011000 s to 0.030000 s)\n"
              "One cycle: 20 samples\n"
              "Frequency: 50.000 Hz");

    // Markers on: M1, M2 and their difference; every step of M1 by a key shows at once.
    form->Command1->click();
    EXPECT_EQ(Heads(w.Channels).mid(0, 5), QStringList({"Channel", "Unit", "Value M1", "Value M2", "Value M2 - M1"}));
    StepMarker1To(50);
    ASSERT_EQ(form->State().view.lngMarker2Sample, 51);  // M2 stays in the middle of the record
    EXPECT_EQ(Cell(w.Channels, "IR", "Value M2 - M1"), "1.0000 A");
    EXPECT_EQ(Cell(w.Channels, "IR", "Angle M2 - M1"), "-18.0°");
    EXPECT_EQ(Cell(w.Channels, "IR", "Value M1"), "50.000 A");
    EXPECT_EQ(Cell(w.Channels, "IR", "DC M1"), "40.500 A");
    EXPECT_EQ(Cell(w.Channels, "IR", "Angle M1"), "-81.0°");
    EXPECT_EQ(Cell(w.Channels, "UA", "Value M1"), "-9511.0 V");
    Key(&Window(1), Qt::Key_Right);
    EXPECT_EQ(Cell(w.Channels, "IR", "Value M1"), "51.000 A");
    EXPECT_EQ(Cell(w.Channels, "IR", "RMS M1"), "41.899 A");
    EXPECT_EQ(Cell(w.Channels, "IR", "Angle M1"), "-99.0°");
    EXPECT_EQ(Cell(w.Channels, "UA", "Value M1"), "-10000 V");

    // A drag moves M1 under the mouse; the window shows the ramp's value there, which is its sample.
    const std::int32_t before = form->State().view.varMarker1Sample;
    Drag(1, QPointF(100, 40), {QPointF(90, 40), QPointF(70, 40)});
    const std::int32_t dragged = form->State().view.varMarker1Sample;
    ASSERT_LT(dragged, before - 10);
    ASSERT_GE(dragged, 10);  // two figures before the point
    EXPECT_EQ(Cell(w.Channels, "IR", "Value M1"), QStringLiteral("%1.000 A").arg(dragged));
    EXPECT_TRUE(
        w.Info->text().contains(QStringLiteral("Window: M1 samples 1 to 20 (0.000000 s to 0.019000 s), moved to "
                                               "the record's start; M2 samples 32 to 51")))
        << w.Info->text().toStdString();
    EXPECT_EQ(w.DiagramTitle->text(), "Phasors at M1");
    form->Mark2->trigger();  // the marker the mouse moves is the one the diagram shows
    EXPECT_EQ(w.DiagramTitle->text(), "Phasors at M2");

    // Another reference: the angles turn with it.
    w.Reference->setCurrentIndex(3);
    emit w.Reference->activated(3);
    EXPECT_EQ(Cell(w.Channels, "UA", "Angle M1"), "-90.0°");
    EXPECT_EQ(Cell(w.Channels, "IB", "Angle M2"), "0.0°");

    // Markers off: back at the trigger with the reference still chosen.
    form->Command1->click();
    EXPECT_EQ(Cell(w.Channels, "UC", "Angle"), "30.0°");
    // Another recording: the default reference again.
    Load(Known(), "again");
    EXPECT_EQ(w.Reference->currentText(), "UA");
    EXPECT_EQ(Cell(w.Channels, "UC", "Angle"), "120.0°");
}

TEST_F(MeasurementsTest, CopiesAndPrintsItsTables)
{
    Measurements& w = Open();
    // The desktop activates the window a person clicks into.
    QApplication::setActiveWindow(&w);
    // Ctrl+C in the window copies the tables; the main window's Ctrl+C (Cascade) stays out of it.
    QTest::keyClick(w.Channels, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform.clipboardText,
              "Sample\t31\n"
              "Time\t0.030000 s\n"
              "Window\t12..31, 0.011000 s..0.030000 s\n"
              "Frequency\t50.000 Hz\n"
              "Reference\tUA\n"
              "Cycle\t20 samples\n"
              "\n"
              "Channel\tUnit\tValue\tRMS\tDC\tFundamental\tAngle\tTHD\t2nd harmonic\n"
              "UA\tV\t-10000 V\t7071.2 V\t0 V\t7071.2 V\t0.0°\t0.0 %\t0.0 %\n"
              "UB\tV\t5000.0 V\t7070.8 V\t0 V\t7070.8 V\t-120.0°\t0.0 %\t0.0 %\n"
              "UC\tV\t5000.0 V\t7070.8 V\t0 V\t7070.8 V\t120.0°\t0.0 %\t0.0 %\n"
              "IB\tA\t0 A\t3535.4 A\t0 A\t3535.4 A\t90.0°\t0.0 %\t0.0 %\n"
              "IR\tA\t31.000 A\t22.260 A\t21.500 A\t4.5201 A\t-99.0°\t80.0 %\t50.6 %\n"
              "\n"
              "Group\tChannels\tZero\tZero angle\tPositive\tPositive angle\tNegative\tNegative angle\n"
              "L1\tUA, UB, UC\t0.089666 V\t0.0°\t7070.9 V\t0.0°\t0.16302 V\t0.0°\n");

    const QString pdf = QString::fromStdString(dir.Path()) + QStringLiteral("/measurements.pdf");
    platform.printAnswers.push_back(FakePlatform::PrintAnswer{pdf});
    w.PrintButton->click();
    QStringList lines;
    for (const PdfLine& line : ReadPdf(pdf).Lines()) lines << line.Text();
    for (const char* expected :
         {"Trigger: sample 31, 0.030000 s", "Channel Unit Value RMS DC Fundamental Angle THD 2nd harmonic",
          "IR A 31.000 A 22.260 A 21.500 A 4.5201 A -99.0° 80.0 % 50.6 %",
          "Group Channels Zero Zero angle Positive Positive angle Negative Negative angle", "Phasors at the trigger",
          "A / L1", "B / L2", "C / L3", "Other", "Voltage", "Current"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n" << lines.join("\n").toStdString();
}

TEST_F(MeasurementsTest, DiagramPointsEachPhasorItsWayInItsPhaseColour)
{
    Measurements& w = Open();
    w.resize(1000, 600);
    QApplication::processEvents();
    const QImage picture = w.Diagram->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int cx = picture.width() / 2;
    const int cy = picture.height() / 2;
    const int reach = std::min(cx, cy) / 2;  // the longest arrows reach well beyond this
    auto count = [&](QRgb colour, QRect band) { return CountColour(picture, colour, band); };
    const QRgb red = qRgb(204, 0, 0);    // phase A
    const QRgb green = qRgb(0, 140, 0);  // phase B
    // UA at 0 degrees: red along the row through the centre, to the right only.
    EXPECT_GT(count(red, QRect(cx + reach, cy - 1, 5, 3)), 0);
    EXPECT_EQ(count(red, QRect(0, cy - 1, cx - 2, 3)), 0);
    // IB at 90 degrees, scaled as the only current: green (dashed) up the column, never below.
    EXPECT_GT(count(green, QRect(cx - 1, cy - reach, 3, reach - 10)), reach / 2);
    EXPECT_EQ(count(green, QRect(cx - 1, cy + 10, 3, cy - 10)), 0);

    // The sequence components of the group: the positive one lies on UA, drawn over it.
    w.Sequence->setChecked(true);
    const QImage withSequence = w.Diagram->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountColour(withSequence, qRgb(160, 0, 160), QRect(cx + reach, cy - 1, 5, 3)), 0);
    EXPECT_EQ(w.Arrows().size(), 8u);
}

TEST_F(MeasurementsTest, EmptiesWithTheRecordingAndComesBackWhereItWas)
{
    platform.programFolder = QString::fromStdString(dir.Path());
    form->Form_Load(QString());
    Measurements& w = Open();
    ASSERT_EQ(w.Channels->rowCount(), 5);
    form->OpenRecording(QString::fromStdString(dir.Path() + "/missing.cfg"));
    EXPECT_EQ(w.Channels->rowCount(), 0);
    EXPECT_EQ(w.Groups->rowCount(), 0);
    EXPECT_EQ(w.Reference->count(), 0);
    EXPECT_EQ(w.Info->text(), "No recording");
    EXPECT_TRUE(w.Arrows().empty());

    w.move(200, 100);
    w.resize(700, 450);
    form->close();
    const std::string ini = dir.Path() + "/Sevrana.ini";
    EXPECT_EQ(ReadProfileString(ini, "SEVRANA", "MeasurementsGeometry"), "3000, 1500, 10500, 6750");
    EXPECT_EQ(ReadProfileString(ini, "SEVRANA", "MeasurementsOpen"), "1");

    form = std::make_unique<MDIForm1>(platform);
    form->Form_Load(QString());
    Measurements* again = form->MeasurementsWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(QRect(again->pos(), again->size()), QRect(200, 100, 700, 450));
}

}  // namespace
}  // namespace sevrana::testing
