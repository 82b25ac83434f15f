#pragma once
// The main window: menus, the two tool bars, the area holding the channel
// windows, and the commands that open, navigate and arrange a recording.
// Implementation is split by concern: MDIForm1.cpp (construction, layout,
// event routing), MDIForm1_Bars.cpp (menus and tool bars), MDIForm1_Files.cpp
// (start-up, settings, open, load, close), MDIForm1_Navigation.cpp (scroll,
// zoom, read-outs, scale entry, activation watch), MDIForm1_Markers.cpp
// (markers, their menu and cursors, the jumps), MDIForm1_Scaling.cpp
// (auto-scaling, title bars), MDIForm1_Windows.cpp (the channel windows and
// their arrangements), MDIForm1_Dialogs.cpp (channel selection, file
// information, About), MDIForm1_Print.cpp (printing and the window capture),
// MDIForm1_Draw.cpp (the renderer and what the channel windows ask of the
// main window).

#include <QMainWindow>
#include <QString>
#include <exception>
#include <memory>
#include <vector>

#include "AnyRevision.h"
#include "Loader.h"
#include "Platform.h"
#include "Pohja.h"
#include "SharedState.h"
#include "TraceColumns.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;
class QWidget;

namespace sevrana {

class DigitalEventsWindow;
class Measurements;
class Printer;

class MDIForm1 : public QMainWindow, public PohjaHost, public LoadObserver {
    Q_OBJECT
public:
    explicit MDIForm1(Platform& platform, QWidget* parent = nullptr);
    ~MDIForm1() override;

    SharedState& State() { return state_; }
    Platform& platformRef() { return platform_; }

    // --- Start-up, files, settings (MDIForm1_Files.cpp) ---
    /// Start-up: restores geometry, shows the window, opens the recording named on the command line.
    void Form_Load(const QString& commandLine);
    void Open_Click();
    /// File > Open with options...: the open dialog, then how to read the recording (rate, values, code page).
    void OpenWithOptions_Click();
    void Exit_Click();
    void Cont_Click();
    /// Opens a recording of any revision (a .cfg file or a combined .cff file): what the 1991 loader
    /// takes through it, the rest through the newer reader, which asks for a rate when the recording
    /// needs one (a cancel keeps the recording on screen); then the channel set-up. Its texts are
    /// read in codePage when one is given, else in the code page judged from them.
    void OpenRecording(const QString& configPath, const CodePage* codePage = nullptr, const ReadChoice& choice = {});
    /// File > Reopen with encoding: the current recording again, read in codePage (nullptr: judged again).
    void ReopenWithEncoding(const CodePage* codePage);
    /// Ticks chosen's item in File > Reopen with encoding ("Automatic" for nullptr: the code page was judged).
    void TickReadIn(const CodePage* chosen);
    /// Sets up the channel windows of the recording just read.
    void LoadData();
    /// Saves geometry and closes the channel windows (the close procedure).
    void SaveAndUnloadAll();
    /// Closes channel windows 1..n of the current recording (and the template when asked).
    void UnloadChannelWindows(bool includingTemplate);
    /// Disables the commands that need a recording; caption "Sevrana".
    void EnterNoRecordingState();

    // LoadObserver
    void SetCaption(const std::string& caption) override;
    void ShowMessage(const std::string& text) override;

    // --- Printing (MDIForm1_Print.cpp) ---
    /// File > Print: every shown channel window, or the active one, page by page and copy by copy.
    void PrintActive_Click();
    /// One page of channel window index on the printer's current page; a failure is
    /// reported and leaves blnPrintError set.
    void ToPrinter(Printer& printer, std::int16_t index);
    /// Key releases of the tool bar and the channel windows: Alt + Print Screen puts the
    /// main window's picture on the clipboard and offers to print it.
    void PrintScreen(int keyCode, int shift) override;

    // --- Navigation (MDIForm1_Navigation.cpp) ---
    void Combo1_Click();
    void Scroll1_Change();
    void Scroll1_Scroll();
    void Text4_MouseDown(int button);
    void Text4_MouseUp(int button);
    void Text5_MouseDown(int button);
    void Text5_MouseUp(int button);
    /// Key filter of the scale box: returns the character to insert, or 0 to drop it.
    int Text6_KeyPress(int keyAscii);
    void Text6_KeyDown(int keyCode);
    void Timer1_Timer();
    /// True when some zoom list item's number equals the percentage.
    bool IsZoomInList(double percent) const override;
    void ZoomKeeping(int index, double sample, double fraction) override;
    /// Writes the start and end read-outs for the scroll bar's position.
    void WriteReadOuts();
    /// First visible sample that the scroll bar shows (value / factor, rounded).
    std::int32_t ScrollFirstSample() const;
    /// Rebuilds the zoom list for the loaded recording and selects "100 %".
    void FillZoomList();

    // --- Markers and the trigger point (MDIForm1_Markers.cpp) ---
    void Command1_Click();
    void Mark1_Click();
    void Mark2_Click();
    void gotom1_Click();
    void gotom2_Click();
    void TrPoint_Click();
    /// Markers on, marker 1 (the one the mouse moves) on the sample, and the view centred on it.
    void MarkSample(std::int32_t sample);
    /// Scrolls so that sample k stands in the middle of the view (or as near as the record allows).
    void CentreViewOn(double sample);
    /// Gives every channel window, in index order, the cursor 101, 102 or 103.
    void SetChannelCursors(int cursorId);

    // --- Scaling commands and title bars (MDIForm1_Scaling.cpp) ---
    /// The auto-scale check box changed (by the user or by code).
    void Check1_Click();
    /// Sets the check box from code; its handler runs when the state changes.
    void SetCheck1(bool checked);
    void Autoscaleall_Click();
    void Disautoscaleall_Click();
    /// A recording just opened: every analog channel auto-scaled when View > Auto-scale new recordings is on.
    void AutoScaleNewRecording();
    void Titles_Click();

    // --- Dialogs (MDIForm1_Dialogs.cpp) ---
    /// Channel selection, then the horizontal arrangement of what is still shown.
    void SelChs_Click();
    /// The file information report.
    void Filinfo_Click();
    void About_Click();
    /// The measurements window: made on first use, shown and brought to the front.
    void Measure_Click();
    /// The measurements window (null before it was first opened).
    Measurements* MeasurementsWindow() const { return measurements_; }
    /// View > Digital events: the window made on first use, shown and brought to the front.
    void Events_Click();
    /// The digital events window (null before it was first opened).
    DigitalEventsWindow* EventsWindow() const { return events_; }

    // --- Drawing (MDIForm1_Draw.cpp) ---
    void DrawSignal() override;
    void MDIForm_Resize();

    // --- Channel windows and their arrangement (MDIForm1_Windows.cpp) ---
    void Hor_Click();
    void Til_Click();
    void Cas_Click();
    void Ico_Click();

    // PohjaHost
    SharedState& Shared() override { return state_; }
    bool IsTemplate(const Pohja& window) const override { return &window == template_; }
    void DrawGridOf(Pohja& window) override;
    void DrawSignalOf(Pohja& window) override;
    void ShowChannelInToolBar(Pohja& window) override;
    QComboBox& ZoomList() override { return *Combo1; }
    QScrollBar& ScrollBar() override { return *Scroll1; }
    int ActiveMarker() const override;
    void ShowMarkerMenu(const QPoint& globalPosition) override;
    void StartActivationWatch() override;
    void ReportFailure(std::exception_ptr failure) override;

    /// Channel window of index i (1..nA + intHasDigital), or null.
    Pohja* ChannelWindow(long i) const;
    /// Number of open channel windows (not counting the template).
    long OpenChannelWindows() const;
    /// The active channel window, or null.
    Pohja* ActiveChannelWindow() const;
    /// Creates channel window i (hidden) inside the area.
    Pohja* CreateChannelWindow(long index);
    Pohja* TemplateWindow() const { return template_; }
    /// Client area of the main window (channel windows live in it), in pixels.
    QSize ClientSize() const;

    bool TitlesOn() const;
    /// Caption of analog window i as the title-bar switch and auto-scaling write it: "IA Scale: -10 A...10 A".
    QString AnalogCaption(long i) const;
    /// Caption of analog window i as the loader and the scale box write it: "IA, Scale: -10 A...10 A".
    QString ScaleCaption(long i) const;
    /// Sets the redraw requests, has every window drawn, and clears both requests.
    void RedrawWith(bool traces, bool markers);
    /// Index of the channel window whose channel the tool bar shows (0 for none).
    long ToolBarWindow() const { return toolBarWindow_; }

    // Controls, named as in the rest of the program (public for tests and handlers).
    QMdiArea* mdiArea = nullptr;
    QWidget* Picture1 = nullptr;  // upper tool bar
    QWidget* Picture2 = nullptr;  // lower tool bar
    QFrame* Line7 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text8 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QFrame* Frame2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text4 = nullptr;
    QScrollBar* Scroll1 = nullptr;
    QLineEdit* Text5 = nullptr;
    QTimer* Timer1 = nullptr;

    // Menus and items.
    QMenu* File = nullptr;
    QAction* Open = nullptr;
    QAction* OpenWithOptions = nullptr;
    QMenu* Reopen = nullptr;  // "Automatic" and one item per known code page
    QAction* PrintActive = nullptr;
    QAction* Exit = nullptr;
    QMenu* View = nullptr;
    QAction* SelChs = nullptr;
    QAction* TrPoint = nullptr;
    QAction* gotom1 = nullptr;
    QAction* gotom2 = nullptr;
    QAction* Titles = nullptr;
    QAction* Autoscaleall = nullptr;
    QAction* Disautoscaleall = nullptr;
    QAction* AutoScaleNew = nullptr;
    QAction* Filinfo = nullptr;
    QAction* Measure = nullptr;
    QAction* Events = nullptr;
    QMenu* Win = nullptr;
    QMenu* Arr = nullptr;
    QAction* Hor = nullptr;
    QAction* Til = nullptr;
    QAction* Cas = nullptr;
    QAction* Ico = nullptr;
    QMenu* Pop = nullptr;
    QAction* Mark1 = nullptr;
    QAction* Mark2 = nullptr;
    QMenu* Help = nullptr;
    QAction* Cont = nullptr;
    QAction* About = nullptr;

    /// Twips per pixel on this display (15 at 96 dots per inch).
    static constexpr int kTwipsPerPixel = 15;
    /// Twips to whole pixels (positions of the designed controls).
    static int Px(int twips);
    /// Designed inner size in twips.
    static constexpr int kDesignWidthTwips = 11715;
    static constexpr int kDesignHeightTwips = 8715;

    /// The settings file path used when the program's folder cannot be written.
    QString FallbackIniFile() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    /// True when the key is the shortcut of one of the menus' items.
    bool IsMenuShortcut(const QKeyEvent& key) const;
    void BuildToolBars();
    /// Widens the tool bars' controls whose texts would not fit, moving the ones after them along.
    void FitToolBarTexts();
    /// Label1: the channel's name and "  Scale:", the name shortened in its middle when it does not fit.
    void SetScaleLabel(const QString& name);
    /// Start and end boxes wide enough for the longest time the loaded record can show.
    void FitTimeBoxes();
    /// Enables or disables the commands that need a recording.
    void SetRecordingCommandsEnabled(bool enabled);
    /// Markers off in every control that shows them (button, menus, read-outs, cursors).
    void ShowMarkersOff();
    /// The tool bar follows the active channel window when it shows another one.
    void FollowActiveWindow();
    /// Without title bars, a minimized window gets one (with its channel's name) and loses it again when restored.
    void ShowIconTitle(Pohja& window);
    /// Lines up the minimized windows' icons in rows along the bottom of the area (only works
    /// out where when place is false); returns the top of the highest row, or the area's height.
    int ArrangeIcons(bool place);
    /// Places the shown channel windows by a rule that gives each its rectangle, in index order.
    template <class Place>
    void ArrangeShown(Place place);
    /// The stages of LoadData: the channel set-up.
    void LoadStages();
    /// Enabled again after a dialog, with the focus.
    void GiveBackFocus();
    /// The end of every print command: markers repainted, the windows drawn, enabled with the focus.
    void EndPrinting();
    /// The measurements window, when shown, measures at the markers or the trigger as they are now.
    void FollowInMeasurements();
    /// A window of its own opened for the first time: beside the main window, or over its right side.
    void PlaceBeside(QWidget& window) const;

    Platform& platform_;
    SharedState state_;
    TraceColumnCache columns_;  // per-column trace values shared by the analog windows of a redraw
    std::vector<Pohja*> arrChannelWindows_;  // 1-based: element 0 unused
    Pohja* template_ = nullptr;
    QString lastOpenName_;
    ReadChoice readChoice_;  // how the recording on screen was read: a reopen reads it so again
    bool text4Held_ = false;
    bool text5Held_ = false;
    bool closing_ = false;
    bool loading_ = false;         // inside LoadData
    bool closeRequested_ = false;  // the window was closed while loading
    long toolBarWindow_ = 0;
    Measurements* measurements_ = nullptr;  // owned by this window as its child
    DigitalEventsWindow* events_ = nullptr;  // owned by this window as its child

    friend class MDIForm1Test;
};

}  // namespace sevrana
