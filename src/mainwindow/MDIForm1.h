#pragma once
// The main window: menus, the two tool bars, the area holding the channel
// windows, and the commands that open, navigate and arrange a recording.
// Implementation is split by concern: MDIForm1.cpp (construction, menus, tool
// bars, layout), MDIForm1_Files.cpp (start-up, settings, open, load, close),
// MDIForm1_Navigation.cpp (scroll, zoom, read-outs, scale entry, activation
// watch), MDIForm1_Draw.cpp (renderer, arrangement, channel-window events).

#include <QMainWindow>
#include <QString>
#include <memory>
#include <vector>

#include "Loader.h"
#include "Platform.h"
#include "Pohja.h"
#include "SharedState.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
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
    void Exit_Click();
    void Cont_Click();
    /// Opens a recording: removes the old windows, pairs the data file, checks both exist, loads.
    void OpenRecording(const QString& configPath);
    /// Loads the opened recording (configuration, data, channel windows).
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
    bool IsZoomInList(int percent) const;
    /// Writes the start and end read-outs for the scroll bar's position.
    void WriteReadOuts();
    /// First visible sample that the scroll bar shows (value / factor, rounded).
    std::int32_t ScrollFirstSample() const;
    /// Rebuilds the zoom list for the loaded recording and selects "100 %".
    void FillZoomList();

    // --- Drawing and arrangement (MDIForm1_Draw.cpp) ---
    void DrawSignal();
    void Hor_Click();
    void Til_Click();
    void Cas_Click();
    void Ico_Click();
    void MDIForm_Resize();

    // PohjaHost
    void Pohja_Resize(Pohja& window) override;
    void Pohja_GotFocus(Pohja& window) override;
    bool Pohja_MayUnload(Pohja& window) override;
    void Pohja_DrawGrid(Pohja& window) override;
    void Pohja_DrawSignal(Pohja& window) override;

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
    QAction* Filinfo = nullptr;
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
    /// Designed inner size in twips.
    static constexpr int kDesignWidthTwips = 11715;
    static constexpr int kDesignHeightTwips = 8715;

    /// The settings file path used when the program's folder cannot be written.
    QString FallbackIniFile() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBars();
    /// Enables or disables the commands that need a recording.
    void SetRecordingCommandsEnabled(bool enabled);

    Platform& platform_;
    SharedState state_;
    std::vector<Pohja*> arrChannelWindows_;  // 1-based: element 0 unused
    Pohja* template_ = nullptr;
    QString lastOpenName_;
    LineReader cfgReader_, datReader_;  // the opened recording's two files, read and closed by the loader
    bool text4Held_ = false;
    bool text5Held_ = false;
    bool closing_ = false;

    friend class MDIForm1Test;
};

}  // namespace sevrana
