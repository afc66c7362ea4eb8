// tavow for Windows: the window of Tavo. Its settings file lies beside the program.
#include <windows.h>

#include "app/win32/main_window.h"
#include "platform/program_path.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // The window scales its design for 96 dpi itself; without this, Windows
    // would stretch its bitmap and blur the text.
    SetProcessDPIAware();
    tavo_win32::MainWindow window(tavo::WindowSettingsFileName());
    // "tavow LOG", as Explorer's "Open with" and a drop on the program start it.
    if (__argc > 1) {
        char full[MAX_PATH];
        DWORD length = GetFullPathNameA(__argv[1], sizeof full, full, nullptr);
        window.OpenWhenShown(length > 0 && length < sizeof full ? full : __argv[1]);
    }
    if (!window.Create(instance, show)) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Tab moves between the buttons and Alt+C presses the Exit button.
        if (window.Handle() != nullptr && IsDialogMessageA(window.Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
