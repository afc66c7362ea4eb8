// The main window: its state, its controls as plain data and every command
// flow. A front end (Qt, later Win32) draws the controls and forwards events;
// all it offers the window is the small TToolkit below.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tavo_version.h"

namespace u_main {

inline constexpr const char* ApplicationTitle = "Tavo for Windows";
inline constexpr const char* AboutText = "Tavo for Windows Ver " TAVO_VERSION "\r\n" TAVO_MAKER;

// What the window needs from the toolkit and the system; tests put a
// scripted stand-in here.
class TToolkit {
public:
    virtual ~TToolkit() = default;
    // A modal box with the text, one OK button, no icon, captioned with the title.
    virtual void ShowMessage(const std::string& Text) = 0;
    // A modal one-line input of at most 255 characters; Cancel gives Default.
    virtual std::string InputBox(const std::string& Caption, const std::string& Prompt,
                                 const std::string& Default) = 0;
    // The open dialog: the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> OpenDialog() = 0;
    // Closes the window the ordinary way, so FormClose runs and the program ends.
    virtual void Close() = 0;
    // Starts the viewer on the file without waiting; false when it could not.
    virtual bool StartViewer(const std::string& ViewerName, const std::string& FileName) = 0;
    // Opens the page in the desktop's browser without waiting; false when it could not.
    virtual bool StartBrowser(const std::string& FileName) = 0;
};

// One entry of the open dialog's list: its description and its patterns.
struct TFileFilter {
    std::string Name;
    std::vector<std::string> Patterns;
};

// The open dialog's list: "ALL(zlog)" first, each further format that is
// read, and "ALL" with every file last.
std::vector<TFileFilter> OpenDialogFilters();

// The messages when a program to show a file cannot be started.
std::string CannotStartViewerText(const std::string& ViewerName, const std::string& FileName);
std::string CannotStartBrowserText(const std::string& FileName);

// Pixels of the client area at 96 dpi.
struct TBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TLabel {
    TBounds Bounds;
    std::string Caption;
};

// Buttons and menu items alike: a caption and whether it takes clicks.
struct TCommand {
    TBounds Bounds;  // zero for menu items
    std::string Caption;
    bool Enabled = true;
};

class TForm1 {
public:
    TForm1(TToolkit& Toolkit, std::string SettingsFileName);

    // Window state.
    std::string DataFileName;
    std::string LogFileName;
    std::string ViewerName;
    // Execute writes the page beside the report unless the settings say no.
    bool WritePage = true;
    // Outer bounds of the window in screen pixels, as the settings keep them.
    int Left = 0, Top = 0, Width = 380, Height = 240;

    // Controls. Bevel1 spans the top edge and stretches with the width.
    TBounds Bevel1{0, 0, 373, 1};
    TLabel Label1{{32, 16, 78, 12}, "LOG File Name"};
    TLabel LabelFile{{24, 32, 329, 17}, ""};
    TLabel LabelEnv{{24, 72, 329, 17}, ""};
    TCommand ButtonOpen{{24, 128, 89, 41}, "Open", true};
    TCommand ButtonExe{{152, 128, 81, 41}, "Execute", false};
    TCommand BitBtn1{{272, 128, 81, 41}, "Exit(&C)", true};

    TCommand MenuOpen{{}, "Open", true};
    TCommand MenuExe{{}, "Execute", false};
    TCommand MenuExit{{}, "Exit", true};
    TCommand MenuData{{}, "Data", true};
    TCommand MenuTest{{}, "TEST", true};
    TCommand MenuLog{{}, "LOG", false};
    TCommand MenuTavo{{}, "TAVO", false};
    TCommand MenuPage{{}, "PAGE", false};
    TCommand MenuSet{{}, "Set", true};
    TCommand MenuVer{{}, "Ver.", true};

    // Events.
    void FormCreate();
    void FormShow();
    void FormClose();
    void MenuOpenClick();
    void ButtonOpenClick();
    void MenuExeClick();
    void ButtonExeClick();
    void MenuExitClick();
    void MenuDataClick();
    void MenuTestClick();
    void MenuLogClick();
    void MenuTavoClick();
    void MenuPageClick();
    void MenuSetClick();
    void MenuVerClick();

    // A log handed over by the desktop, taken as if chosen with Open.
    void OpenFile(const std::string& FileName);

    // The application's general error display: runs one event handler, and an
    // error escaping it is shown in a message box with its text while the
    // window stays open. Front ends deliver every event through here.
    using THandler = void (TForm1::*)();
    void Perform(THandler Handler);
    void Perform(const std::function<void()>& Action);

private:
    TToolkit& toolkit_;
    std::string settingsFileName_;
};

}  // namespace u_main
