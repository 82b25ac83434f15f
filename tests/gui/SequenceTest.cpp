// Random command sequences: thousands of steps drawn from what a person does with
// a recording, the program's invariants checked after every one. A failure names
// its seed and the steps that led to it. More seeds: SEVRANA_SOAK_SEEDS=n (make
// soak); one seed again: SEVRANA_SEQUENCE_SEED=s.

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <utility>

#include "ChannelSetup.h"
#include "DigitalRows.h"
#include "FormFixture.h"
#include "MeasurementText.h"
#include "Measurements.h"
#include "NewRecording.h"
#include "NumberUtils.h"
#include "ProgramError.h"
#include "SelctSign.h"

namespace sevrana {
namespace {

using testing::LoadedForm;
using testing::RecordingText;

/// Two analog channels and 24 digital ones whose edges come at different rates.
RecordingText ManyDigitals()
{
    RecordingText rec;
    constexpr int kDigital = 24, kSamples = 300;
    rec.counts = std::to_string(2 + kDigital) + ",2A," + std::to_string(kDigital) + "D";
    rec.digital.clear();
    for (int k = 1; k <= kDigital; ++k) rec.digital.push_back(std::to_string(k + 2) + ",D" + std::to_string(k) + ",0");
    rec.rate = "1000," + std::to_string(kSamples);
    rec.trigger = "01/01/00,00:00:00.050000";
    rec.data.clear();
    for (int n = 1; n <= kSamples; ++n) {
        std::string line = std::to_string(n) + "," + std::to_string((n - 1) * 1000) + "," + std::to_string(n % 97) +
                           "," + std::to_string(n % 13 - 6);
        for (int k = 1; k <= kDigital; ++k) line += (n / (k + 2)) % 2 ? ",1" : ",0";
        rec.data.push_back(line);
    }
    return rec;
}

/// Seeds from the environment (only this test reads it), else the fixed ones.
std::vector<unsigned> Seeds(std::vector<unsigned> fixed)
{
    if (const char* one = std::getenv("SEVRANA_SEQUENCE_SEED")) return {static_cast<unsigned>(std::atol(one))};
    if (const char* soak = std::getenv("SEVRANA_SOAK_SEEDS"))
        for (long k = 0, n = std::atol(soak); k < n; ++k) fixed.push_back(static_cast<unsigned>(1000 + k));
    return fixed;
}

class Sequence : public LoadedForm {
protected:
    struct Step {
        const char* name;
        int weight;
        std::function<std::string()> run;  // does it with its own random choices and says what it did
    };

    void SetUp() override
    {
        LoadedForm::SetUp();
        files = {QStringLiteral(SEVRANA_SOURCE_DIR "/examples/feeder_fault.cfg")};
        const RecordingText many = ManyDigitals();
        files << QString::fromStdString(dir.Write("many.cfg", many.Config()));
        dir.Write("many.dat", many.Data());
        // Long enough for the zoom items below 1 %.
        const RecordingText longer = testing::SamplesOf(100001);
        files << QString::fromStdString(dir.Write("long.cfg", longer.Config()));
        dir.Write("long.dat", longer.Data());
        pdf = QString::fromStdString(dir.Path() + "/sequence.pdf");
        // Newer recordings: separate files of both revisions, a combined file, and one whose data
        // file ends early, which the reader refuses.
        testing::NewRecording rec;
        rec.Fill(60);
        newer = {rec.Write(dir, "N13")};
        rec.revision = 1999;
        rec.type = "BINARY";
        newer.push_back(rec.Write(dir, "N99"));
        rec.revision = 2013;
        rec.type = "FLOAT32";
        rec.combined = true;
        newer.push_back(rec.Write(dir, "C13"));
        rec.combined = false;
        newer.push_back(rec.Write(dir, "T13"));
        dir.Write("T13.dat", rec.Data().substr(0, 30));
        // A temporary folder of this test's own, which nothing may use.
        if (const char* now = std::getenv("TMPDIR")) previousTemp = now;
        std::filesystem::create_directory(temp = dir / "temp");
        ::setenv("TMPDIR", temp.c_str(), 1);
    }

    void TearDown() override
    {
        form.reset();
        EXPECT_EQ(Copies(), "");
        previousTemp ? ::setenv("TMPDIR", previousTemp->c_str(), 1) : ::unsetenv("TMPDIR");
    }

    /// What is in this test's temporary folder.
    std::string Copies()
    {
        std::string left;
        for (const auto& entry : std::filesystem::directory_iterator(temp)) left += entry.path().string() + " stays\n";
        return left;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <class T>
    const T& PickOf(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(Pick(static_cast<int>(items.size())))];
    }

    const RecordingModel& M() { return form->State().model; }
    long Windows() { return M().AnalogCount() + M().intHasDigital; }
    long Digital() { return M().intHasDigital != 0 ? M().AnalogCount() + 1 : 0; }
    bool Minimized(long i) { return Window(i).IsMinimized(); }
    /// Where the click lands in window i, from its left, in hundredths of its width.
    QPointF At(long i, int percent) { return {Window(i).width() * percent / 100.0, Window(i).height() / 2.0}; }
    static std::string Of(long i) { return " of window " + std::to_string(i); }
    /// A person cannot choose a disabled item.
    bool Trigger(QAction* action) { return action->isEnabled() && (action->trigger(), true); }

    std::string Open(int k)
    {
        platform.openAnswers.push_back(files[k]);
        form->Open->trigger();
        digitalByHand = false;
        return "open " + files[k].section('/', -1).toStdString();
    }

    /// Select channels: a few clicks on random items, each applied as the dialog's loop runs, then OK or the close box.
    std::string SelectChannels()
    {
        if (!form->SelChs->isEnabled()) return "(disabled) select channels";
        std::string did = "select channels:";
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<SelctSign*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return void(problems += "the channel dialog is not up\n");
            for (int clicks = Pick(5); clicks > 0; --clicks) {
                QListWidget& list = *dialog->List1;
                if (Pick(3) == 0) {
                    did += " " + FindInDialog(*dialog);
                    continue;
                }
                const int k = PickListed(list);
                if (k < 0) continue;  // the filter lists none
                list.scrollToItem(list.item(k));
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(k)).center());
                QApplication::processEvents();
                did += " " + std::to_string(k + 1);
                if (k >= M().AnalogCount()) digitalByHand = false;  // the ticks decide the window's state again
            }
            const bool ok = Pick(2) == 0;
            did += ok ? ", OK" : ", close box";
            ok ? QTest::mouseClick(dialog->Command1, Qt::LeftButton) : void(dialog->close());
        });
        form->SelChs->trigger();
        CheckStacked();  // its OK and its close box arrange the windows horizontally
        return did;
    }

    /// A random entry the filter lists (-1: none).
    int PickListed(const QListWidget& list)
    {
        std::vector<int> listed;
        for (int k = 0; k < list.count(); ++k)
            if (!list.isRowHidden(k)) listed.push_back(k);
        return listed.empty() ? -1 : PickOf(listed);
    }

    /// One of the dialog's ways of finding channels: a filter typed (part of a name in another case, or
    /// text no name holds), All, None, Shift+click on a listed entry or Changed only.
    std::string FindInDialog(SelctSign& dialog)
    {
        std::vector<std::int16_t> before;
        for (long j = 1; j <= M().DigitalCount(); ++j) before.push_back(M().arrDigitalSelection(j));
        std::string did;
        switch (Pick(5)) {
        case 0: {
            const int k = Pick(dialog.List1->count() + 1);
            const QString name = k < dialog.List1->count() ? dialog.List1->item(k)->text() : QStringLiteral("zq");
            const int from = Pick(static_cast<int>(name.size()));
            const QString part = name.mid(from, 1 + Pick(3));
            dialog.Filter->clear();
            QTest::keyClicks(dialog.Filter, Pick(2) == 0 ? part.toLower() : part.toUpper());
            did = "filter \"" + dialog.Filter->text().toStdString() + "\"";
            break;
        }
        case 1:
            QTest::mouseClick(dialog.All, Qt::LeftButton);
            did = "All";
            break;
        case 2:
            QTest::mouseClick(dialog.None, Qt::LeftButton);
            did = "None";
            break;
        case 3: {
            QListWidget& list = *dialog.List1;
            const int k = PickListed(list);
            if (k < 0) return "no Shift+click: nothing listed";
            list.scrollToItem(list.item(k));
            QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                              list.visualItemRect(list.item(k)).center());
            did = "Shift+click " + std::to_string(k + 1);
            break;
        }
        default:
            QTest::mouseClick(dialog.ChangedOnly, Qt::LeftButton);
            did = "Changed only";
        }
        QApplication::processEvents();
        for (long j = 1; j <= M().DigitalCount(); ++j)
            if (before[static_cast<std::size_t>(j - 1)] != M().arrDigitalSelection(j)) digitalByHand = false;
        return did;
    }

    std::string WindowState()
    {
        const long i = 1 + Pick(static_cast<int>(Windows()));
        QMdiSubWindow* frame = Window(i).Frame();
        const int how = Pick(3);
        how == 0 ? frame->showMinimized() : how == 1 ? frame->showNormal() : frame->showMaximized();
        if (i == Digital()) digitalByHand = how == 0;
        return std::string(how == 0 ? "minimize" : how == 1 ? "restore" : "maximize") + Of(i);
    }

    std::string Arrange()
    {
        QAction* ways[] = {form->Hor, form->Til, form->Cas, form->Ico};
        QAction* way = ways[Pick(4)];
        way->trigger();
        if (way == form->Hor) CheckStacked();
        return "arrange " + way->objectName().toStdString();
    }

    /// Horizontal: the windows not minimized one above the other, across the whole width.
    void CheckStacked()
    {
        int bottom = -1;
        for (long i = 1; i <= Windows(); ++i)
            if (const QRect at = Window(i).Frame()->geometry(); !Minimized(i)) {
                if (at.width() != form->ClientSize().width() || (bottom >= 0 && at.top() != bottom + 1))
                    problems += "the stacked windows do not follow one another across the area\n";
                bottom = at.bottom();
            }
    }

    std::string Scroll()
    {
        QScrollBar& bar = *form->Scroll1;
        if (!bar.isEnabled()) return std::string("(disabled) scroll");
        if (Pick(2) == 0) {
            const int value = bar.minimum() + Pick(bar.maximum() - bar.minimum() + 1);
            bar.setValue(value);
            return "scroll to " + std::to_string(value);
        }
        const auto action = PickOf<QAbstractSlider::SliderAction>(
            {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
             QAbstractSlider::SliderPageStepAdd, QAbstractSlider::SliderPageStepSub});
        bar.triggerAction(action);
        return "scroll by action " + std::to_string(action);
    }

    /// A left click (markers on: the active marker goes there) or a drag (markers off: a zoom rectangle).
    std::string Mouse()
    {
        const long i = 1 + Pick(static_cast<int>(Windows()));
        if (Minimized(i)) return "no mouse: window " + std::to_string(i) + " is an icon";
        const int from = Pick(101), to = Pick(101);
        if (Pick(2) == 0) {
            Click(i, Qt::LeftButton, At(i, from));
            return "click at " + std::to_string(from) + " %" + Of(i);
        }
        Drag(i, At(i, from), {At(i, (from + to) / 2), At(i, to)});
        return "drag from " + std::to_string(from) + " % to " + std::to_string(to) + " %" + Of(i);
    }

    std::string ArrowKey()
    {
        Pohja* active = form->ActiveChannelWindow();
        if (active == nullptr) return "no arrow key: no active window";
        const bool left = Pick(2) == 0;
        Key(active, left ? Qt::Key_Left : Qt::Key_Right);
        return left ? "left arrow" : "right arrow";
    }

    /// The wheel over a channel window: a few notches either way, scrolling, or with Ctrl zooming
    /// about the pointer, which keeps the sample under it unless the view meets an end of the record.
    std::string Wheel()
    {
        const long i = 1 + Pick(static_cast<int>(Windows()));
        if (Minimized(i)) return "no wheel: window " + std::to_string(i) + " is an icon";
        const int notches = (Pick(2) == 0 ? -1 : 1) * (1 + Pick(3));
        const bool zoom = Pick(2) == 0;
        const int percent = Pick(101);
        const QPointF at = At(i, percent);
        const ViewState& v = form->State().view;
        auto under = [&] { return v.lngFirstSample + at.x() / Window(i).width() * M().lngViewSamples; };
        const double before = under();
        QWheelEvent event(at, Window(i).mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          zoom ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Window(i), &event);
        const bool atAnEnd = v.lngFirstSample <= 1 || form->Scroll1->value() >= form->Scroll1->maximum();
        if (zoom && !atAnEnd && std::abs(under() - before) > 1)
            problems += "the sample under the pointer moved from " + std::to_string(before) + " to " +
                        std::to_string(under()) + "\n";
        return std::string(zoom ? "Ctrl + " : "") + "wheel " + std::to_string(notches) + " at " +
               std::to_string(percent) + " %" + Of(i);
    }

    /// Up and Down in a channel window to one of the zoom items below 1 % (a long record's only):
    /// the view holds the samples the item says, and never fewer than 100.
    std::string FineZoom()
    {
        Pohja* active = form->ActiveChannelWindow();
        if (active == nullptr) return "no fine zoom: no active window";
        int finer = 0;
        while (finer < form->Combo1->count() && Val(form->Combo1->itemText(finer).toStdString()) < 1) ++finer;
        if (finer == 0) return "no fine zoom: no item below 1 %";
        const int target = Pick(finer);
        while (form->Combo1->currentIndex() != target)
            Key(active, form->Combo1->currentIndex() > target ? Qt::Key_Up : Qt::Key_Down);
        const std::string item = form->Combo1->currentText().toStdString();
        const std::int32_t expected = ViewSamplesForZoom(Val(item), M().lngLastSample);
        if (M().lngViewSamples != expected || expected < 100)
            problems += item + " shows " + std::to_string(M().lngViewSamples) + " samples\n";
        return "keys to zoom " + item;
    }

    std::string Activate()
    {
        const long i = 1 + Pick(static_cast<int>(Windows()));
        form->mdiArea->setActiveSubWindow(Window(i).Frame());
        return "activate window " + std::to_string(i);
    }

    /// A scale typed into the box of a random analog window and Enter: a valid one, or
    /// one out of range or too long for a number, which is to be refused with a message.
    std::string TypeScale()
    {
        if (M().AnalogCount() == 0) return "no scale: no analog channel";
        const long i = 1 + Pick(static_cast<int>(M().AnalogCount()));
        form->mdiArea->setActiveSubWindow(Window(i).Frame());
        QApplication::processEvents();
        if (!form->Text6->isEnabled() || form->Text6->isReadOnly()) return "no scale: the box is closed" + Of(i);
        // Valid: from the channel's full scale to 20 times it (far from both limits).
        const std::string valid = QString::number(M().arrFullScale(i) * (1 + Pick(39) / 2.0), 'f', 3).toStdString();
        const std::string text = PickOf<std::string>({valid, valid, "3000000", std::string(320, '9'), "0.00001"});
        form->Text6->setText(QString::fromStdString(text));
        Key(form->Text6, Qt::Key_Return);
        mayTalk = text != valid;
        unreadableInBox = unreadableInBox || text.size() > 12;
        if (mayTalk && platform.messages.isEmpty()) problems += "an invalid scale was taken without a word\n";
        return "type scale " + (text.size() > 12 ? "320 nines" : text) + Of(i);
    }

    /// File > Print into a PDF, one to three copies of: all shown windows, the active one,
    /// or (ranged) pages from..to (to 0: the last) of the shown windows.
    std::string Print(bool ranged)
    {
        const int copies = 1 + Pick(3);
        const bool selection = !ranged && form->ActiveChannelWindow() != nullptr && Pick(3) == 0;
        const int from = ranged ? 1 + Pick(4) : 0, to = ranged && Pick(2) == 0 ? from + Pick(3) : 0;
        int shown = 0;
        for (long i = 1; i <= Windows(); ++i) shown += !Minimized(i);
        const int inRange = std::max(0, (to == 0 ? shown : std::min(to, shown)) - std::max(from, 1) + 1);
        QFile::remove(pdf);
        platform.printAnswers.push_back(testing::FakePlatform::PrintAnswer{
            .outputFile = pdf, .copies = copies, .selection = selection, .fromPage = from, .toPage = to});
        form->PrintActive->trigger();
        QFile file(pdf);
        const long pages =
            file.open(QIODevice::ReadOnly) ? file.readAll().count(QByteArrayLiteral("/Type /Page\n")) : 0;
        const long expected = std::max(1, (selection ? 1 : inRange) * copies);  // no page: one empty page
        if (pages != expected)
            problems += "printed " + std::to_string(pages) + " pages, not " + std::to_string(expected) + "\n";
        return "print " + std::string(selection ? "selection" : "all") + ", " + std::to_string(copies) + " copies" +
               (ranged ? ", pages " + std::to_string(from) + " to " + std::to_string(to) : "");
    }

    /// File > Open (the file dialog answers) or a drop of a newer recording; the last one is refused.
    std::string OpenNewer(bool drop)
    {
        const std::size_t k = static_cast<std::size_t>(Pick(static_cast<int>(newer.size())));
        const QString path = QString::fromStdString(newer[k]), caption = form->windowTitle();
        const std::string config = M().varConfigFile;
        if (drop) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &enter);
            QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.get(), &dropped);
            QApplication::processEvents();  // the drop loads once it has ended
        } else {
            platform.openAnswers.push_back(path);
            form->Open->trigger();
        }
        const bool refused = k + 1 == newer.size();
        digitalByHand = digitalByHand && refused;  // a load shows the digital window again
        mayTalk = refused;
        if (refused) {
            if (platform.messages.size() != 1) problems += "a refused newer recording was not told once\n";
            if (form->windowTitle() != caption || M().varConfigFile != config)
                problems += "a refused newer recording changed the recording or the caption\n";
        } else {
            const std::string read = M().strReadAs;
            if (read.rfind("IEEE C37.111-", 0) != 0 || M().varConfigFile != newer[k] ||
                form->windowTitle().toStdString() != "Sevrana - Kallio (" + newer[k] + ") (" + read + ")")
                problems += "the caption after opening " + newer[k] + " is " + form->windowTitle().toStdString() +
                            ", read as " + read + "\n";
        }
        return std::string(drop ? "drop " : "open ") + path.section('/', -1).toStdString();
    }

    /// Ctrl+M opens the measurements window; the close box closes it.
    std::string MeasurementsWindow()
    {
        if (Measurements* w = form->MeasurementsWindow(); w != nullptr && w->isVisible()) {
            w->close();
            return "close measurements";
        }
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get(), 1000)) problems += "the main window does not become active\n";
        QTest::keyClick(form.get(), Qt::Key_M, Qt::ControlModifier);
        if (form->MeasurementsWindow() == nullptr || !form->MeasurementsWindow()->isVisible())
            problems += "Ctrl+M does not show the measurements window\n";
        return "open measurements";
    }

    /// The reference, the sequence box or Copy of the measurements window, when it is open.
    std::string InMeasurements()
    {
        Measurements* w = form->MeasurementsWindow();
        if (w == nullptr || !w->isVisible()) return "no measurements window";
        if (const int how = Pick(3); how == 0 && w->Reference->count() > 0) {
            const int k = Pick(w->Reference->count());
            w->Reference->setCurrentIndex(k);
            emit w->Reference->activated(k);  // as a person's choice
            return "reference " + w->Reference->currentText().toStdString();
        } else if (how == 1) {
            w->Sequence->click();
            return std::string("sequence components ") + (w->Sequence->isChecked() ? "on" : "off");
        }
        platform.clipboardText.clear();
        w->CopyButton->click();
        if (const auto expected = ExpectedMeasurements(*w);
            expected &&
            platform.clipboardText.toStdString() !=
                analysis::TablesText(M(), expected->front(), expected->size() == 2 ? &expected->back() : nullptr))
            problems += "Copy gives other text than the measurements at the samples shown\n";
        return "copy measurements";
    }

    /// What the measurements window must show, from the view: both markers when they are on,
    /// else the trigger, limited to the record (markers switched on while every window is an
    /// icon keep the samples of the recording before); empty when it shows nothing.
    std::optional<std::vector<analysis::Measurement>> ExpectedMeasurements(const Measurements& w)
    {
        if (!w.isVisible() || M().AnalogCount() == 0) return std::nullopt;
        const ViewState& view = form->State().view;
        std::vector<long> samples{M().lngTriggerSample};
        if (view.blnMarkersOn == kTrue) samples = {view.varMarker1Sample, view.lngMarker2Sample};
        std::vector<analysis::Measurement> at;
        for (long m : samples)
            at.push_back(
                analysis::Measure(M(), std::clamp<long>(m, 1, M().lngLastSample), w.Reference->currentIndex() + 1));
        return at;
    }

    /// The value cells of the measurements window, which follows the view after every command.
    void CheckMeasurements(std::ostringstream& out)
    {
        const Measurements* w = form->MeasurementsWindow();
        const auto expected = w == nullptr ? std::nullopt : ExpectedMeasurements(*w);
        if (!expected) return;
        const QTableWidget& table = *w->Channels;
        if (table.rowCount() != M().AnalogCount()) {
            out << "the measurements show " << table.rowCount() << " channels of " << M().AnalogCount() << "\n";
            return;
        }
        for (std::size_t k = 0; k < expected->size(); ++k) {
            const QString head =
                expected->size() == 1 ? QStringLiteral("Value") : QStringLiteral("Value M%1").arg(k + 1);
            int column = table.columnCount() - 1;
            while (column >= 0 && table.horizontalHeaderItem(column)->text() != head) --column;
            for (long i = 1; i <= M().AnalogCount(); ++i) {
                const QTableWidgetItem* cell = column < 0 ? nullptr : table.item(static_cast<int>(i - 1), column);
                const std::string want =
                    analysis::FormatValue((*expected)[k].channels[i - 1].value, M().arrAnalogUnits(i));
                if (cell == nullptr || cell->text().toStdString() != want)
                    out << head.toStdString() << " of channel " << i << " shows "
                        << (cell ? cell->text().toStdString() : "nothing") << ", not " << want << " at sample "
                        << (*expected)[k].sample << "\n";
            }
        }
    }

    std::vector<Step> Steps()
    {
        auto command = [this](std::vector<QAction*> actions) {
            return [this, actions] {
                QAction* action = PickOf(actions);
                return (Trigger(action) ? "" : "(disabled) ") + action->objectName().toStdString();
            };
        };
        return {
            {"open", 1, [this] { return Open(Pick(static_cast<int>(files.size()))); }},
            {"select", 8, [this] { return SelectChannels(); }},
            {"titles", 3, command({form->Titles})},
            {"window state", 8, [this] { return WindowState(); }},
            {"arrange", 6, [this] { return Arrange(); }},
            {"zoom", 5,
             [this] {
                 form->Combo1->setCurrentIndex(Pick(form->Combo1->count()));
                 return "zoom " + form->Combo1->currentText().toStdString();
             }},
            {"scroll", 5, [this] { return Scroll(); }},
            {"wheel", 5, [this] { return Wheel(); }},
            {"fine zoom", 3, [this] { return FineZoom(); }},
            {"markers", 4,
             [this] {
                 form->Command1->click();
                 return form->Command1->text().toStdString();
             }},
            {"marker choice", 3, command({form->Mark1, form->Mark2})},
            {"mouse", 6, [this] { return Mouse(); }},
            {"arrow key", 4, [this] { return ArrowKey(); }},
            {"jump", 4, command({form->gotom1, form->gotom2, form->TrPoint})},
            {"activate", 5, [this] { return Activate(); }},
            {"auto-scale", 4,
             [this] {
                 if (Pick(2) == 0)
                     return std::string(Trigger(form->Autoscaleall) ? "Autoscaleall" : "(disabled) Autoscaleall");
                 if (!form->Check1->isEnabled()) return std::string("no auto-scale box");
                 form->Check1->click();
                 return std::string("auto-scale box ") + (form->Check1->isChecked() ? "on" : "off");
             }},
            {"no auto-scale", 1, command({form->Disautoscaleall})},
            {"scale", 5, [this] { return TypeScale(); }},
            {"print", 1, [this] { return Print(false); }},
            {"print with a page range", 1, [this] { return Print(true); }},
            {"reopen with another encoding", 1,
             [this, command] {
                 digitalByHand = false;  // a reload shows the digital window again (the menu is always enabled)
                 const QList<QAction*> pages = form->Reopen->actions();  // "Automatic" and the code pages
                 return "reopen in " + command({pages.begin(), pages.end()})();
             }},
            {"measurements window", 2, [this] { return MeasurementsWindow(); }},
            {"in the measurements window", 4, [this] { return InMeasurements(); }},
            {"open a newer recording", 1, [this] { return OpenNewer(Pick(2) == 0); }},
        };
    }

    /// The windows not minimized that are hidden, empty or not inside the area.
    std::string OutsideArea()
    {
        std::ostringstream out;
        const QRect client(QPoint(0, 0), form->ClientSize());
        for (long i = 1; i <= Windows(); ++i)
            if (const QMdiSubWindow* frame = Window(i).Frame();
                !frame->isMinimized() &&
                (!frame->isVisible() || frame->geometry().isEmpty() || !client.contains(frame->geometry())))
                out << "window " << i << (frame->isVisible() ? "" : " hidden") << " is not inside the area\n";
        return out.str();
    }

    /// What must hold between any two commands.
    void Check()
    {
        std::ostringstream out;
        // A number too long to read stays in the scale box until a channel window takes the
        // focus: that reports it, once, and puts the channel's scale back.
        if (unreadableInBox && form->Text6->text().size() <= 12) {
            unreadableInBox = false;
            platform.messages.removeOne(QStringLiteral("Error #  6 Overflow"));
        }
        if (!form->isEnabled()) out << "the main window stays disabled\n";
        if (form->State().view.blnDataLoaded != kTrue || form->OpenChannelWindows() != Windows() ||
            !form->Reopen->menuAction()->isEnabled())
            out << "not loaded with its " << Windows() << " windows, " << form->OpenChannelWindows() << " are open\n";
        if (!mayTalk && !platform.messages.isEmpty())
            out << "said: " << platform.messages.join(" | ").toStdString() << "\n";
        platform.messages.clear();
        if (M().intHasDigital != 0) {
            const long nD = M().DigitalCount();
            const auto& selection = M().arrDigitalSelection;
            long ticked = 0;
            for (long j = 1; j <= nD; ++j) ticked += selection(0) == 1 || selection(j) == 1;
            const long count = selection(nD + 1);
            if (count != ticked) out << "stored digital count " << count << " for " << ticked << " ticked\n";
            if (count == 0 && !Minimized(Digital())) out << "no digital channel, but the digital window is shown\n";
            if (count != 0 && Minimized(Digital()) && !digitalByHand)
                out << count << " digital channels, but the digital window is minimized\n";
        }
        // The area lays out its icons on a timer of its own: scroll bars that show for a moment
        // while an icon gets its title bar go again.
        if (!QTest::qWaitFor([&] { return OutsideArea().empty(); }, 1000)) out << OutsideArea();
        if (const Pohja* active = form->ActiveChannelWindow();
            active != nullptr && form->ToolBarWindow() != active->Index())
            out << "the tool bar shows window " << form->ToolBarWindow() << ", the active one is " << active->Index()
                << "\n";
        CheckMeasurements(out);
        out << testing::DigitalRowsDiffer(*form);  // the rows drawn are the channels ticked, in order
        // Newer recordings are read as they are: nothing is ever left in the temporary folder.
        out << Copies();
        problems += out.str();
    }

    /// Runs count steps from seed, starting with an open of the first file; stops at the first broken invariant.
    void Run(unsigned seed, int count, int firstFile)
    {
        // Every seed after the first starts in a main window of its own with no settings left by the seeds before,
        // so that the seed alone runs it again.
        if (std::exchange(seeded, true)) {
            form.reset();
            EXPECT_EQ(Copies(), "");
            std::filesystem::remove(dir / "Sevrana.ini");
            LoadedForm::SetUp();
        }
        rng.seed(seed);
        problems.clear();
        const std::vector<Step> steps = Steps();
        std::vector<int> weights;
        for (const Step& s : steps) weights.push_back(s.weight);
        std::discrete_distribution<std::size_t> draw(weights.begin(), weights.end());
        std::vector<std::string> log;
        for (int n = 0; n < count && problems.empty(); ++n) {
            const Step& step = steps[n == 0 ? 0 : draw(rng)];
            mayTalk = false;
            try {
                log.push_back(n == 0 ? Open(firstFile) : step.run());
            } catch (...) {
                log.push_back(step.name + (": " + ErrorNumberMessage(DescribeFailure(std::current_exception()))));
                problems += "exception\n";
            }
            QApplication::processEvents();
            Check();
        }
        if (problems.empty()) return;
        std::string trail;
        for (std::size_t k = 0; k < log.size(); ++k) trail += std::to_string(k + 1) + ". " + log[k] + "\n";
        ADD_FAILURE() << "seed " << seed << " (SEVRANA_SEQUENCE_SEED=" << seed << " runs it again):\n"
                      << problems << "steps to reproduce:\n"
                      << trail;
    }

    std::mt19937 rng;
    QStringList files;
    QString pdf;
    std::vector<std::string> newer;  // newer recordings to open, the refused one last
    std::string temp;                // the temporary folder, which stays empty
    std::optional<std::string> previousTemp;
    std::string problems;
    bool mayTalk = false;        // this step gave invalid input: a message is its answer
    bool digitalByHand = false;  // the digital window was minimized by hand, not for want of channels
    bool unreadableInBox = false;
    bool seeded = false;  // a seed has run in this window
};

TEST_F(Sequence, OnTheExample)
{
    for (unsigned seed : Seeds({1})) Run(seed, 1000, 0);
}

TEST_F(Sequence, OnManyDigitalChannels)
{
    for (unsigned seed : Seeds({2})) Run(seed, 1000, 1);
}

// Seed 2 once stopped here: in a narrow window of 24 rows the trigger's texts lie over a tenth of row 3's
// top, and the row reader took the covered columns for a trace missing from its row. The longer runs then
// found it reading a level on the neighbouring row's trace, with the half pixel going either way.
TEST_F(Sequence, RowReaderLooksPastTheTriggerAndNeighbourRowsButStillCatchesWrongRows)
{
    Open(1);
    ChooseZoom("18 %");  // samples 1 to 54, the trigger at 51
    form->Til->trigger();
    QApplication::processEvents();
    Pohja& digital = Window(Digital());
    QMdiSubWindow* frame = digital.Frame();
    frame->resize(frame->size() - digital.canvas().PersistentImage().size() + QSize(269, 465));
    QApplication::processEvents();
    const QImage picture = digital.canvas().PersistentImage();
    ASSERT_EQ(picture.size(), QSize(269, 465));
    EXPECT_EQ(testing::DigitalRowsDiffer(*form), "");

    // The same picture made wrong: rows 2 and 3 swapped, or row 3's trace wiped off past its label.
    const double R = 465.0 / 24;
    const int top2 = static_cast<int>(std::lround(R)), top3 = static_cast<int>(std::lround(2 * R));
    const int top4 = static_cast<int>(std::lround(3 * R));
    QImage swapped = picture.copy();
    for (int y = 0; y < top3 - top2; ++y)
        for (int x = 0; x < picture.width(); ++x) {
            swapped.setPixel(x, top2 + y, picture.pixel(x, top3 + y));
            swapped.setPixel(x, top3 + y, picture.pixel(x, top2 + y));
        }
    QImage wiped = picture.copy();
    for (int y = top3; y < top4; ++y)
        for (int x = 30; x < picture.width(); ++x) wiped.setPixel(x, y, qRgb(255, 255, 255));
    const auto rowThree = [&](const QImage& image) {
        return testing::DigitalRows(image, digital.canvas().Font(), 24).TraceMismatch(M(), 3, 3, 1, 54);
    };
    const std::string notThree = "row 3 is not channel 3's trace (";
    EXPECT_EQ(rowThree(picture), "");
    EXPECT_EQ(rowThree(swapped).value_or("").substr(0, notThree.size()), notThree);
    EXPECT_EQ(rowThree(wiped).value_or("").substr(0, notThree.size()), notThree);

    // Rows 19.5 high: there a half goes down the picture, row 1's low level (17.5) onto pixel 18, two pixels
    // above row 2's high trace, while the trigger's time hides row 2's low one.
    frame->resize(frame->size() + QSize(0, 3));
    QApplication::processEvents();
    ASSERT_EQ(digital.canvas().PersistentImage().size(), QSize(269, 468));
    EXPECT_EQ(testing::DigitalRowsDiffer(*form), "");

    // Seed 1007: rows 19.375 high again, samples 48 to 53, where channels 12 and 13 stay high. Row 12's low
    // level (230.5) read as pixel 231 give or take one reached row 13's high trace (232.5, there on pixel 232):
    // taken for row 12's own, it made row 12 low wherever the trigger line hides its top.
    frame->resize(frame->size() - QSize(0, 3));
    ChooseZoom("2 %");
    form->Scroll1->setValue(48);
    QApplication::processEvents();
    ASSERT_EQ(form->State().view.lngFirstSample, 48);
    ASSERT_EQ(M().lngViewSamples, 6);
    ASSERT_EQ(digital.canvas().PersistentImage().size(), QSize(269, 465));
    EXPECT_EQ(testing::DigitalRowsDiffer(*form), "");
}

TEST_F(Sequence, OnALongRecord)
{
    for (unsigned seed : Seeds({3})) Run(seed, 400, 2);
}

}  // namespace
}  // namespace sevrana
