// tavow for Windows: the window of Tavo. Its settings file lies beside the program.
#include <windows.h>

#include "app/win32/main_window.h"
#include "platform/program_path.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    tavo_win32::MainWindow window(tavo::WindowSettingsFileName());
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
