#pragma once
// A main window with a small recording loaded, and the ways a person drives it:
// choosing a zoom, activating a channel window, mouse and keys in a window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>

#include <memory>
#include <string>

#include "Application.h"
#include "FakePlatform.h"
#include "MDIForm1.h"
#include "RecordingText.h"
#include "TempDir.h"

/// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace sevrana::testing {

/// n samples at 1000 per second: IA (full scale 100), UA and one digital channel;
/// the trigger is the first sample.
inline RecordingText SamplesOf(int n)
{
    RecordingText rec;
    rec.analog[0] = "1,IA,A,,A,1,0,0,-100,100";
    rec.rate = "1000," + std::to_string(n);
    rec.trigger = rec.start;
    rec.data.clear();
    for (int k = 1; k <= n; ++k)
        rec.data.push_back(std::to_string(k) + "," + std::to_string((k - 1) * 1000) + "," + std::to_string(k % 50) +
                           "," + std::to_string(-k % 70) + "," + (k % 2 == 0 ? "1" : "0"));
    return rec;
}

/// Number of pixels of one colour in an image (in area when given).
inline int CountColour(const QImage& image, QRgb colour, QRect area = QRect())
{
    if (area.isNull()) area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && image.pixel(x, y) == colour) ++n;
    return n;
}

/// While it lives, a failure that escapes an event handler is shown on this fake
/// (elsewhere it fails the running test).
class FailuresShownOn {
public:
    explicit FailuresShownOn(Platform& platform) : previous_(App().ReportFailuresTo(&platform)) {}
    ~FailuresShownOn() { App().ReportFailuresTo(previous_); }
    Q_DISABLE_COPY(FailuresShownOn)

private:
    static Application& App() { return *qobject_cast<Application*>(QCoreApplication::instance()); }
    Platform* previous_;
};

class LoadedForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform.programFolder = QString::fromStdString(dir.Path());
        form = std::make_unique<MDIForm1>(platform);
        form->resize(780, 581);  // 581 px = 8715 twips high
        form->show();
        QApplication::processEvents();
    }

    void Load(const RecordingText& rec, const std::string& name = "rec")
    {
        const std::string cfg = dir.Write(name + ".cfg", rec.Config());
        dir.Write(name + ".dat", rec.Data());
        form->OpenRecording(QString::fromStdString(cfg));
        QApplication::processEvents();
        ASSERT_EQ(form->State().view.blnDataLoaded, kTrue) << platform.messages.join("|").toStdString();
    }
    void Load(int samples) { Load(SamplesOf(samples), "rec" + std::to_string(samples)); }

    Pohja& Window(long i)
    {
        Pohja* w = form->ChannelWindow(i);
        EXPECT_NE(w, nullptr) << i;
        return *w;
    }

    void Activate(long i)
    {
        form->mdiArea->setActiveSubWindow(Window(i).Frame());
        QApplication::processEvents();
        ASSERT_EQ(form->ActiveChannelWindow(), &Window(i));
    }

    /// Chooses a zoom item; a choice made from code applies like the user's.
    void ChooseZoom(const QString& item)
    {
        const int index = form->Combo1->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        form->Combo1->setCurrentIndex(index);
    }

    /// A mouse event on window i as the desktop delivers it.
    void Mouse(long i, QEvent::Type type, Qt::MouseButton button, QPointF at, Qt::MouseButtons held = Qt::NoButton)
    {
        QWidget& w = Window(i);
        QMouseEvent event(type, at, w.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&w, &event);
    }
    /// Press, moves, release of the left button in window i.
    void Drag(long i, QPointF from, std::initializer_list<QPointF> through)
    {
        Mouse(i, QEvent::MouseButtonPress, Qt::LeftButton, from, Qt::LeftButton);
        QPointF last = from;
        for (QPointF at : through) {
            Mouse(i, QEvent::MouseMove, Qt::NoButton, at, Qt::LeftButton);
            last = at;
        }
        Mouse(i, QEvent::MouseButtonRelease, Qt::LeftButton, last);
    }
    void Click(long i, Qt::MouseButton button, QPointF at)
    {
        Mouse(i, QEvent::MouseButtonPress, button, at, button);
        Mouse(i, QEvent::MouseButtonRelease, button, at);
    }

    void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &release);
    }

    QStringList ZoomItems() const
    {
        QStringList items;
        for (int k = 0; k < form->Combo1->count(); ++k) items << form->Combo1->itemText(k);
        return items;
    }

    TempDir dir;
    FakePlatform platform;
    std::unique_ptr<MDIForm1> form;
};

}  // namespace sevrana::testing
