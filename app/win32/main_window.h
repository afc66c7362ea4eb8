// The Win32 skin of TForm1: a window class, the controls at their design
// places, the menu bar, and the system's own dialogs for TForm1's toolkit.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/u_main.h"

namespace tavo_win32 {

// The open dialog's list as the dialog wants it: description and patterns
// (separated by ";"), each followed by a NUL, the list closed by two.
std::string OpenDialogFilter(const std::vector<u_main::TFileFilter>& Filters);

class MainWindow : public u_main::TToolkit {
public:
    explicit MainWindow(std::string SettingsFileName);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window (FormCreate applies the settings first) and shows it;
    // FormShow follows once the message loop runs.
    bool Create(HINSTANCE Instance, int ShowCommand);
    HWND Handle() const { return hwnd_; }
    u_main::TForm1& Form() { return form_; }

    // Delivers one event through TForm1's error display and redraws the state.
    void Perform(u_main::TForm1::THandler Handler);

    // TToolkit.
    void ShowMessage(const std::string& Text) override;
    std::string InputBox(const std::string& Caption, const std::string& Prompt,
                         const std::string& Default) override;
    std::optional<std::string> OpenDialog() override;
    void Close() override;
    bool StartViewer(const std::string& ViewerName, const std::string& FileName) override;
    bool StartBrowser(const std::string& FileName) override;

    // A log named on the command line ("Open with"), opened as if chosen with
    // Open once FormShow has run.
    void OpenWhenShown(std::string FileName);

    // Control identifiers, also the menu items' command numbers.
    enum Id : int {
        IdButtonOpen = 101,
        IdButtonExe,
        IdBitBtn1,
        IdLabel1,
        IdLabelFile,
        IdLabelEnv,
        IdBevel1,
        IdMenuOpen = 201,
        IdMenuExe,
        IdMenuExit,
        IdMenuData,
        IdMenuTest,
        IdMenuLog,
        IdMenuTavo,
        IdMenuSet,
        IdMenuVer,
        IdMenuPage,
    };

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void BuildControls();
    void BuildMenu();
    void OnCommand(int id);
    void OnClose();
    void OnDropFiles(HDROP Drop);
    void OpenFile(const std::string& FileName);
    void StretchBevel(int clientWidth);
    void SyncControls();
    int Scale(int pixels) const;
    void DrawCloseButton(const DRAWITEMSTRUCT& item) const;

    u_main::TForm1 form_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HMENU menu_ = nullptr;
    int dpi_ = 96;
    bool shown_ = false;
    std::string openWhenShown_;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left
    struct MenuItem {
        int Id;
        u_main::TCommand* Item;
    };
    std::vector<MenuItem> menuItems_;
};

}  // namespace tavo_win32
