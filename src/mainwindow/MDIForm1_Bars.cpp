// The main window's menus and its two tool bars with their absolutely placed
// controls, and the fitting of the tool bars' texts.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QValidator>
#include <QVBoxLayout>

#include <cmath>
#include <memory>
#include <tuple>

#include "MDIForm1.h"
#include "ProductPicture.h"
#include "Messages.h"
#include "NumberUtils.h"
#include "TextDecoder.h"
#include "TimeNavigation.h"

namespace sevrana {

namespace {

/// A control placed at its designed position in twips.
template <class W>
W* Place(W* widget, int left, int top, int width, int height)
{
    widget->setGeometry(MDIForm1::Px(left), MDIForm1::Px(top), MDIForm1::Px(width), MDIForm1::Px(height));
    return widget;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

void Separator(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); }

/// The tool bars' font: the 8-point sans-serif the layout was designed for.
QFont ToolBarFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    return font;
}

/// Width a line edit needs to show text whole: the text, the edit's inner margins and its frame.
int LineEditWidthFor(const QLineEdit& box, const QString& text)
{
    constexpr int kInnerMargins = 2 * 2 + 1;  // the edit's margin on both sides, and the cursor
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QSize inner(box.fontMetrics().horizontalAdvance(text) + kInnerMargins + box.textMargins().left() +
                          box.textMargins().right(),
                      box.height());
    return box.style()->sizeFromContents(QStyle::CT_LineEdit, &option, inner, &box).width();
}

/// The scale box takes unsigned decimal numbers only, however the text gets in
/// (typed, pasted, dropped): every character goes through the box's key filter.
class ScaleBoxValidator : public QValidator {
public:
    explicit ScaleBoxValidator(MDIForm1& form) : QValidator(&form), form_(form) {}
    State validate(QString& input, int& pos) const override
    {
        QString kept;
        int cursor = pos;
        for (qsizetype k = 0; k < input.size(); ++k) {
            const int passed = form_.Text6_KeyPress(input.at(k).unicode());
            if (passed == 0) {
                if (k < pos) --cursor;
                continue;
            }
            kept += QChar(passed);
        }
        input = kept;
        pos = cursor;
        return Acceptable;
    }

private:
    MDIForm1& form_;
};

}  // namespace

int MDIForm1::Px(int twips)
{
    return static_cast<int>(RoundHalfEven(static_cast<double>(twips) / kTwipsPerPixel));
}

void MDIForm1::TickReadIn(const CodePage* chosen)
{
    const QString name = chosen == nullptr
                             ? QStringLiteral("Automatic")
                             : QString::fromLatin1(chosen->name.data(), static_cast<qsizetype>(chosen->name.size()));
    for (QAction* item : Reopen->actions()) item->setChecked(item->objectName() == name);
}

void MDIForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();

    File = bar->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));
    Open = Item(File, "Open", QStringLiteral("Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    OpenWithOptions = Item(File, "OpenWithOptions", QStringLiteral("Open with options..."));
    Reopen = File->addMenu(QStringLiteral("Reopen with encoding"));
    Reopen->setObjectName(QStringLiteral("Reopen"));
    // The code page the recording shown was read in carries the tick ("Automatic" when it was judged).
    auto* readIn = new QActionGroup(Reopen);
    QAction* automatic = Item(Reopen, "Automatic", QStringLiteral("Automatic"));
    readIn->addAction(automatic)->setCheckable(true);
    connect(automatic, &QAction::triggered, this, [this] { ReopenWithEncoding(nullptr); });
    for (const CodePage& page : KnownCodePages()) {
        const QString name = QString::fromLatin1(page.name.data(), static_cast<qsizetype>(page.name.size()));
        QAction* item = Reopen->addAction(name);
        item->setObjectName(name);
        readIn->addAction(item)->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, &page] { ReopenWithEncoding(&page); });
    }
    Reopen->setEnabled(false);  // a load enables it
    Reopen->menuAction()->setEnabled(false);
    PrintActive = Item(File, "PrintActive", QStringLiteral("Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
    Separator(File, "line1");
    Exit = Item(File, "Exit", QStringLiteral("Exit"));

    View = bar->addMenu(QStringLiteral("&View"));
    View->setObjectName(QStringLiteral("View"));
    SelChs = Item(View, "SelChs", QStringLiteral("Select channels..."), QKeySequence(Qt::CTRL | Qt::Key_S));
    SelChs->setEnabled(false);  // start-up enables it
    Separator(View, "line2");
    TrPoint = Item(View, "TrPoint", QStringLiteral("Goto trigger point"), QKeySequence(Qt::CTRL | Qt::Key_R));
    gotom1 = Item(View, "gotom1", QStringLiteral("Goto marker 1"), QKeySequence(Qt::CTRL | Qt::Key_F1));
    gotom2 = Item(View, "gotom2", QStringLiteral("Goto marker 2"), QKeySequence(Qt::CTRL | Qt::Key_F2));
    gotom1->setEnabled(false);  // only while the markers are on
    gotom2->setEnabled(false);
    Separator(View, "line3");
    Titles = Item(View, "Titles", QStringLiteral("Title bars on channels"), QKeySequence(Qt::CTRL | Qt::Key_B));
    Titles->setCheckable(true);
    Titles->setChecked(false);
    Separator(View, "line4");
    Autoscaleall = Item(View, "Autoscaleall", QStringLiteral("Enable auto-scaling on all channels"),
                        QKeySequence(Qt::CTRL | Qt::Key_E));
    Disautoscaleall = Item(View, "Disautoscaleall", QStringLiteral("Disable auto-scaling on all channels"),
                           QKeySequence(Qt::CTRL | Qt::Key_D));
    AutoScaleNew = Item(View, "AutoScaleNew", QStringLiteral("Auto-scale new recordings"));
    AutoScaleNew->setCheckable(true);  // remembered in the settings file; the start-up reads it back
    Separator(View, "Line5");
    Filinfo = Item(View, "Filinfo", QStringLiteral("File information..."), QKeySequence(Qt::CTRL | Qt::Key_F));
    Measure = Item(View, "Measure", QStringLiteral("Measurements..."), QKeySequence(Qt::CTRL | Qt::Key_M));
    Events = Item(View, "Events", QStringLiteral("Digital events..."));

    Win = bar->addMenu(QStringLiteral("&Window"));
    Win->setObjectName(QStringLiteral("Win"));
    Arr = Win->addMenu(QStringLiteral("Arrange"));
    Arr->setObjectName(QStringLiteral("Arr"));
    Hor = Item(Arr, "Hor", QStringLiteral("Horizontal"), QKeySequence(Qt::CTRL | Qt::Key_H));
    Til = Item(Arr, "Til", QStringLiteral("Tile"), QKeySequence(Qt::CTRL | Qt::Key_T));
    Cas = Item(Arr, "Cas", QStringLiteral("Cascade"), QKeySequence(Qt::CTRL | Qt::Key_C));
    Ico = Item(Arr, "Ico", QStringLiteral("Icons"), QKeySequence(Qt::CTRL | Qt::Key_I));
    // The Window menu also lists the channel windows that are shown, rebuilt each time it opens.
    connect(Win, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : Win->actions())
            if (action->property("windowList").toBool()) {
                Win->removeAction(action);
                action->deleteLater();
            }
        if (mdiArea == nullptr) return;
        int number = 0;
        for (QMdiSubWindow* sub : mdiArea->subWindowList()) {
            auto* window = qobject_cast<Pohja*>(sub->widget());
            if (window == nullptr || window == template_ || sub->isHidden()) continue;
            if (number == 0) Win->addSeparator()->setProperty("windowList", true);
            QString caption = sub->windowTitle().trimmed();
            const long i = window->Index();
            if (caption.isEmpty() && i >= 1 && i <= state_.model.AnalogCount())
                caption = QString::fromStdString(state_.model.arrAnalogNames(i));
            else if (caption.isEmpty())
                caption = QStringLiteral("Digital Channels");
            ++number;
            QAction* entry = Win->addAction(QStringLiteral("&%1 %2").arg(number).arg(caption));
            entry->setProperty("windowList", true);
            entry->setCheckable(true);
            entry->setChecked(sub == mdiArea->activeSubWindow());
            connect(entry, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(sub)] {
                if (sub != nullptr && mdiArea != nullptr) mdiArea->setActiveSubWindow(sub);
            });
        }
    });

    // The channel windows' right-click menu; it never appears in the menu bar.
    Pop = new QMenu(QStringLiteral("Pop"), this);
    Pop->setObjectName(QStringLiteral("Pop"));
    Mark1 = Item(Pop, "Mark1", QStringLiteral("Marker1"));
    Mark2 = Item(Pop, "Mark2", QStringLiteral("Marker2"));
    for (QAction* mark : {Mark1, Mark2}) {
        mark->setCheckable(true);
        mark->setEnabled(false);  // only while the markers are on
    }

    Help = bar->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    Cont = Item(Help, "Cont", QStringLiteral("Contents"), QKeySequence(Qt::Key_F1));
    Separator(Help, "line6");
    About = Item(Help, "About", QStringLiteral("About"));

    // Checkable items toggle themselves when chosen; the handlers set the marks as they should be.
    connect(Mark1, &QAction::triggered, this, [this] { Mark1_Click(); });
    connect(Mark2, &QAction::triggered, this, [this] { Mark2_Click(); });
    connect(Titles, &QAction::triggered, this, [this] {
        Titles->setChecked(!Titles->isChecked());  // Titles_Click reverses the mark itself
        Titles_Click();
    });
    connect(gotom1, &QAction::triggered, this, [this] { gotom1_Click(); });
    connect(gotom2, &QAction::triggered, this, [this] { gotom2_Click(); });
    connect(TrPoint, &QAction::triggered, this, [this] { TrPoint_Click(); });
    connect(Autoscaleall, &QAction::triggered, this, [this] { Autoscaleall_Click(); });
    connect(SelChs, &QAction::triggered, this, [this] { SelChs_Click(); });
    connect(PrintActive, &QAction::triggered, this, [this] { PrintActive_Click(); });
    connect(Filinfo, &QAction::triggered, this, [this] { Filinfo_Click(); });
    connect(Measure, &QAction::triggered, this, [this] { Measure_Click(); });
    connect(Events, &QAction::triggered, this, [this] { Events_Click(); });
    connect(About, &QAction::triggered, this, [this] { About_Click(); });
    connect(Disautoscaleall, &QAction::triggered, this, [this] { Disautoscaleall_Click(); });
    connect(Open, &QAction::triggered, this, [this] { Open_Click(); });
    connect(OpenWithOptions, &QAction::triggered, this, [this] { OpenWithOptions_Click(); });
    connect(Exit, &QAction::triggered, this, [this] { Exit_Click(); });
    connect(Cont, &QAction::triggered, this, [this] { Cont_Click(); });
    connect(Hor, &QAction::triggered, this, [this] { Hor_Click(); });
    connect(Til, &QAction::triggered, this, [this] { Til_Click(); });
    connect(Cas, &QAction::triggered, this, [this] { Cas_Click(); });
    connect(Ico, &QAction::triggered, this, [this] { Ico_Click(); });
}

void MDIForm1::BuildToolBars()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Upper bar: scale entry, zoom, markers and their read-outs, the logo.
    Picture1 = new QWidget(central);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFont(ToolBarFont());
    Picture1->setFixedHeight(Px(495));
    Line7 = new QFrame(Picture1);
    Line7->setObjectName(QStringLiteral("Line7"));
    Line7->setFrameShape(QFrame::HLine);
    Line7->setFrameShadow(QFrame::Sunken);
    Line7->setGeometry(0, Px(5), Px(kDesignWidthTwips), 2);
    Label1 = Place(new QLabel(QStringLiteral("Scale:"), Picture1), 0, 150, 1750, 255);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text6 = Place(new QLineEdit(Picture1), 1800, 100, 975, 285);
    Text6->setObjectName(QStringLiteral("Text6"));
    Text6->setValidator(new ScaleBoxValidator(*this));
    Text8 = Place(new QLineEdit(Picture1), 2830, 150, 375, 285);
    Text8->setObjectName(QStringLiteral("Text8"));
    Text8->setReadOnly(true);  // shows the active channel's unit
    Check1 = Place(new QCheckBox(QStringLiteral("Auto-scale"), Picture1), 3360, 150, 1095, 255);
    Check1->setObjectName(QStringLiteral("Check1"));
    Label3 = Place(new QLabel(QStringLiteral("Zoom:"), Picture1), 4800, 180, 495, 255);
    Label3->setObjectName(QStringLiteral("Label3"));
    Combo1 = Place(new QComboBox(Picture1), 5280, 120, 975, 315);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Command1 = Place(new QPushButton(QStringLiteral("Markers: OFF"), Picture1), 6600, 120, 1215, 315);
    Command1->setObjectName(QStringLiteral("Command1"));

    // Marker read-outs: delta t and its inverse, the delta sign beside each box.
    auto readOut = [this](const char* frameName, int left, const QString& sign, const char* boxName,
                          const QString& text) {
        auto* frame = Place(new QFrame(Picture1), left, 10, 1695, 440);
        frame->setObjectName(QString::fromLatin1(frameName));
        frame->setFrameShape(QFrame::StyledPanel);
        auto* label = new QLabel(sign, frame);
        label->setObjectName(QString::fromLatin1(frameName) + QStringLiteral("Sign"));
        label->setGeometry(2, 6, label->sizeHint().width(), 19);
        auto* box = new QLineEdit(text, frame);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setReadOnly(true);
        box->setFrame(false);
        box->setGeometry(label->geometry().right() + 1, 6, frame->width() - label->geometry().right() - 4, 19);
        box->setCursorPosition(0);
        frame->hide();  // only while the markers are on
        return std::make_pair(frame, box);
    };
    std::tie(Frame1, Text2) = readOut("Frame1", 7920, QStringLiteral("\u0394"), "Text2", QStringLiteral("t:  0.000000 s"));
    std::tie(Frame2, Text3) =
        readOut("Frame2", 9600, QStringLiteral("1/\u0394"), "Text3", QStringLiteral("t:  0.0000 1/s"));

    Image1 = Place(new QLabel(Picture1), 11520, 75, 855, 360);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ProductPicture(Image1->width(), Image1->height()));

    mdiArea = new QMdiArea(central);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Lower bar: the digital channel list, and time scrolling between the start and end read-outs.
    Picture2 = new QWidget(central);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setFont(ToolBarFont());
    Picture2->setFixedHeight(Px(540));
    Label6 = Place(new QLabel(QStringLiteral("Digital channels:"), Picture2), 0, 0, kDesignWidthTwips, 255);
    Label6->setObjectName(QStringLiteral("Label6"));
    Text4 = Place(new QLineEdit(Picture2), 0, 240, 1095, 285);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setReadOnly(true);
    Scroll1 = Place(new QScrollBar(Qt::Horizontal, Picture2), 1080, 240, 9615, 285);
    Scroll1->setObjectName(QStringLiteral("Scroll1"));
    // The view follows the thumb when it is let go, not while it is dragged.
    Scroll1->setTracking(false);
    Text5 = Place(new QLineEdit(Picture2), 10680, 240, 1095, 285);
    Text5->setObjectName(QStringLiteral("Text5"));
    Text5->setReadOnly(true);
    // A held button shows sample numbers until it is let go: no menu may take the release.
    for (QLineEdit* box : {Text4, Text5}) box->setContextMenuPolicy(Qt::NoContextMenu);

    layout->addWidget(Picture1);
    layout->addWidget(mdiArea, 1);
    layout->addWidget(Picture2);
    setCentralWidget(central);

    // Zoom list: a choice by the user or from code applies the zoom, once per choice.
    // Qt reports a changed choice twice (index changed, then activated); the
    // flag lets the second report of the same choice pass by.
    auto changedNow = std::make_shared<bool>(false);
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this, changedNow](int index) {
        if (index < 0) return;  // the list was emptied: nothing chosen
        *changedNow = true;
        QTimer::singleShot(0, this, [changedNow] { *changedNow = false; });
        Combo1_Click();
    });
    connect(Combo1, &QComboBox::activated, this, [this, changedNow](int) {
        if (*changedNow) {
            *changedNow = false;
            return;
        }
        Combo1_Click();
    });

    // Scroll bar: a change from a click, a key, code or the thumb let go redraws;
    // dragging the thumb only updates the read-outs.
    connect(Scroll1, &QScrollBar::valueChanged, this, [this](int) {
        if (!Scroll1->isSliderDown()) Scroll1_Change();
    });
    connect(Scroll1, &QScrollBar::sliderMoved, this, [this](int) { Scroll1_Scroll(); });

    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this] { FollowActiveWindow(); });

    // Key releases on every control of the tool bars go to the window capture.
    for (QWidget* watched : std::initializer_list<QWidget*>{Check1, Combo1, Command1, Picture1, Picture2, Scroll1,
                                                             Text2, Text3, Text4, Text5, Text6, Text8})
        watched->installEventFilter(this);
    FitToolBarTexts();
    FitTimeBoxes();
}

void MDIForm1::FitToolBarTexts()
{
    // Each control at least as wide as its widest text; the controls after a widened
    // one move along, so none covers its neighbour.
    auto needed = [this](QWidget* control) -> int {
        if (control == Check1) return Check1->sizeHint().width();
        if (control == Label3) return Label3->sizeHint().width();
        if (control == Combo1) {
            QStyleOptionComboBox option;
            option.initFrom(Combo1);
            // Three-digit percentages, or a long record's finer items ("0.005 %") once listed.
            int widest = Combo1->fontMetrics().horizontalAdvance(QStringLiteral("888 %"));
            for (int k = 0; k < Combo1->count(); ++k)
                widest = std::max(widest, Combo1->fontMetrics().horizontalAdvance(Combo1->itemText(k)));
            const QSize text(widest, Combo1->height());
            return Combo1->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, Combo1).width() + 4;
        }
        if (control == Command1) {
            const QString caption = Command1->text();
            Command1->setText(QStringLiteral("Markers: OFF"));
            const int off = Command1->sizeHint().width();
            Command1->setText(QStringLiteral("Markers: ON"));
            const int on = Command1->sizeHint().width();
            Command1->setText(caption);
            return std::max(off, on);
        }
        if (control == Frame1 || control == Frame2) {
            // The widest read-outs: a long delta t, a high or an infinite inverse.
            const QLineEdit* box = control == Frame1 ? Text2 : Text3;
            int widest = 0;
            for (const char* text : {"t :  9999.000000 s", "t :  99999.0000 1/s", "t :  --infinite-- 1/s"})
                widest = std::max(widest, LineEditWidthFor(*box, QString::fromLatin1(text)));
            return box->x() + widest + 4;
        }
        return control->width();
    };
    const std::vector<QWidget*> row{Label1, Text6, Text8, Check1, Label3, Combo1, Command1, Frame1, Frame2};
    int shift = 0;
    for (QWidget* control : row) {
        control->move(control->x() + shift, control->y());
        const int grow = needed(control) - control->width();
        if (grow <= 0) continue;
        control->resize(control->width() + grow, control->height());
        shift += grow;
    }
    Image1->move(Image1->x() + shift, Image1->y());
    // The read-out boxes fill their frames, as when they were made.
    for (QLineEdit* box : {Text2, Text3}) box->resize(box->parentWidget()->width() - box->x() - 3, box->height());
}

void MDIForm1::FitTimeBoxes()
{
    // Six integer digits at least, and the longest time of the loaded record; the end
    // box reaches a few pixels past the window's edge, so it keeps that much in hand.
    constexpr int kOverhang = 4;
    QString longest = QStringLiteral("999999.000 ms");
    const RecordingModel& m = state_.model;
    if (m.lngSampleRate > 0 && m.lngLastSample > 0) {
        const QString end = QString::fromStdString(EndReadout(1, m.lngLastSample, m.lngLastSample, m.lngSampleRate));
        if (Text4->fontMetrics().horizontalAdvance(end) > Text4->fontMetrics().horizontalAdvance(longest))
            longest = end;
    }
    const int width = std::max(Px(1095), LineEditWidthFor(*Text4, longest) + kOverhang);
    if (width == Text4->width() && width == Text5->width()) return;
    Text4->resize(width, Text4->height());
    Text5->resize(width, Text5->height());
    MDIForm_Resize();
}

void MDIForm1::SetScaleLabel(const QString& name)
{
    if (name.isEmpty()) {
        Label1->setText(QStringLiteral("Scale:"));
        Label1->setToolTip(QString());
        return;
    }
    // A name too long for the label loses its middle; the tool tip has all of it.
    const QString suffix = QStringLiteral("  Scale:");
    const QFontMetrics metrics = Label1->fontMetrics();
    const int room = Label1->contentsRect().width() - metrics.horizontalAdvance(suffix);
    const bool fits = metrics.horizontalAdvance(name) <= room;
    Label1->setText((fits ? name : metrics.elidedText(name, Qt::ElideMiddle, std::max(room, 0))) + suffix);
    Label1->setToolTip(fits ? QString() : name);
}

}  // namespace sevrana
