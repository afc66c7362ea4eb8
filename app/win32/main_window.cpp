#include "app/win32/main_window.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "app/win32/resource.h"
#include "platform/viewer.h"

namespace tavo_win32 {

namespace {

constexpr const char* kClassName = "TForm1";
constexpr UINT kFormShow = WM_APP + 1;
constexpr int kDesignDpi = 96;
constexpr int kDesignClientWidth = 372;
constexpr int kDesignClientHeight = 186;
constexpr int kDesignOuterWidth = 380;
constexpr int kDesignOuterHeight = 240;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// What the input box shows and, after OK, what was typed.
struct InputBoxState {
    const std::string* Caption;
    const std::string* Prompt;
    std::string Text;
};

void CentreOverOwner(HWND box);

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputBoxState*>(lp);
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            SetWindowTextA(dlg, state->Caption->c_str());
            SetDlgItemTextA(dlg, IDC_INPUT_PROMPT, state->Prompt->c_str());
            SendDlgItemMessageA(dlg, IDC_INPUT_EDIT, EM_LIMITTEXT, 255, 0);
            SetDlgItemTextA(dlg, IDC_INPUT_EDIT, state->Text.c_str());
            SendDlgItemMessageA(dlg, IDC_INPUT_EDIT, EM_SETSEL, 0, -1);
            CentreOverOwner(dlg);
            return TRUE;  // the edit, first in tab order, gets the focus
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrA(dlg, DWLP_USER));
                HWND edit = GetDlgItem(dlg, IDC_INPUT_EDIT);
                std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
                int got = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
                text.resize(static_cast<std::size_t>(std::max(got, 0)));
                state->Text = std::move(text);
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            break;
        default: break;
    }
    return FALSE;
}

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM faces) {
    reinterpret_cast<std::vector<std::string>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

// The installed Japanese proportional Gothic: MS PGothic where Windows ships it,
// else the IPA face that Linux systems running Wine usually have.
std::string GothicFace(HDC dc) {
    std::vector<std::string> faces;
    LOGFONTA wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExA(dc, &wanted, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
    for (const char* face : {"MS PGothic", "IPAPGothic", "IPAexGothic", "VL PGothic"}) {
        if (std::find(faces.begin(), faces.end(), face) != faces.end()) return face;
    }
    return "MS PGothic";  // the font mapper then picks the nearest Shift-JIS face
}

// A short message makes a box narrower than its caption with the title
// buttons, and the caption is then cut: the box is widened, once, as it is
// activated, and its OK button kept in the middle.
HHOOK messageBoxHook = nullptr;

void WidenToCaption(HWND box) {
    char caption[256];
    const int length = GetWindowTextA(box, caption, sizeof caption);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, caption, length, &extent);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    DeleteObject(font);

    const int wanted = extent.cx + 3 * GetSystemMetrics(SM_CXSIZE) + GetSystemMetrics(SM_CXSMICON) +
                       4 * GetSystemMetrics(SM_CXFRAME) + 2 * GetSystemMetrics(SM_CXSIZE);
    RECT r;
    GetWindowRect(box, &r);
    const int width = r.right - r.left;
    if (width >= wanted) return;
    const int grow = wanted - width;
    SetWindowPos(box, nullptr, r.left - grow / 2, r.top, wanted, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (HWND ok = GetDlgItem(box, IDOK)) {
        RECT b;
        GetWindowRect(ok, &b);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&b), 2);
        RECT client;
        GetClientRect(box, &client);
        SetWindowPos(ok, nullptr, (client.right - (b.right - b.left)) / 2, b.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// A message or input box opens centred on the screen; it belongs over its
// window, kept on the window's monitor.
void CentreOverOwner(HWND box) {
    HWND owner = GetWindow(box, GW_OWNER);
    if (owner == nullptr || IsIconic(owner)) return;
    RECT o, b;
    GetWindowRect(owner, &o);
    GetWindowRect(box, &b);
    const int w = b.right - b.left, h = b.bottom - b.top;
    int left = (o.left + o.right - w) / 2, top = (o.top + o.bottom - h) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        left =
            std::max(static_cast<int>(work.left), std::min(left, static_cast<int>(work.right) - w));
        top =
            std::max(static_cast<int>(work.top), std::min(top, static_cast<int>(work.bottom) - h));
    }
    SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MessageBoxHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wp);
        char cls[16];
        if (GetClassNameA(box, cls, sizeof cls) > 0 && std::string(cls) == "#32770") {
            WidenToCaption(box);
            CentreOverOwner(box);
            UnhookWindowsHookEx(messageBoxHook);
            messageBoxHook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(messageBoxHook, code, wp, lp);
}

}  // namespace

std::string OpenDialogFilter(const std::vector<u_main::TFileFilter>& Filters) {
    std::string out;
    for (const u_main::TFileFilter& filter : Filters) {
        out += filter.Name;
        out += '\0';
        const char* separator = "";
        for (const std::string& pattern : filter.Patterns) {
            out += separator;
            out += pattern;
            separator = ";";
        }
        out += '\0';
    }
    return out;  // with the string's own terminator, the list ends in two NULs
}

MainWindow::MainWindow(std::string SettingsFileName) : form_(*this, std::move(SettingsFileName)) {}

MainWindow::~MainWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (font_ != nullptr) DeleteObject(font_);
}

bool MainWindow::Create(HINSTANCE Instance, int ShowCommand) {
    Perform(&u_main::TForm1::FormCreate);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainWindow::WindowProc;
    wc.hInstance = Instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (RegisterClassExA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    // The settings hold the outer bounds, which is what CreateWindow takes. The
    // design size is for 96 dpi: on a denser screen the default size grows with
    // the controls, so that none of them lies outside the window.
    int width = form_.Width, height = form_.Height;
    if (dpi_ != kDesignDpi && width == kDesignOuterWidth && height == kDesignOuterHeight) {
        RECT outer{0, 0, Scale(kDesignClientWidth), Scale(kDesignClientHeight)};
        AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, TRUE, 0);
        width = std::max(Scale(kDesignOuterWidth), static_cast<int>(outer.right - outer.left));
        height = std::max(Scale(kDesignOuterHeight), static_cast<int>(outer.bottom - outer.top));
    }
    hwnd_ = CreateWindowExA(0, kClassName, u_main::ApplicationTitle,
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, form_.Left, form_.Top, width,
                            height, nullptr, nullptr, Instance, this);
    if (hwnd_ == nullptr) return false;

    HDC dc = GetDC(hwnd_);
    const std::string face = GothicFace(dc);
    ReleaseDC(hwnd_, dc);
    font_ = CreateFontA(-Scale(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        VARIABLE_PITCH | FF_SWISS, face.c_str());
    BuildMenu();
    BuildControls();
    SyncControls();
    RECT client;
    GetClientRect(hwnd_, &client);
    StretchBevel(client.right);

    // A log dropped from Explorer is opened as if chosen with Open.
    DragAcceptFiles(hwnd_, TRUE);
    ShowWindow(hwnd_, ShowCommand);
    // The first control in tab order takes the keyboard, as in a dialog.
    focus_ = GetDlgItem(hwnd_, IdButtonOpen);
    SetFocus(focus_);
    UpdateWindow(hwnd_);
    // FormShow runs from the message loop, so its message box and a close
    // after it meet a finished window.
    PostMessageA(hwnd_, kFormShow, 0, 0);
    return true;
}

int MainWindow::Scale(int pixels) const { return MulDiv(pixels, dpi_, kDesignDpi); }

void MainWindow::BuildControls() {
    auto child = [this](const char* cls, const std::string& text, DWORD style,
                        const u_main::TBounds& b, int id) {
        HWND h =
            CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scale(b.Left),
                            Scale(b.Top), Scale(b.Width), Scale(b.Height), hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return h;
    };

    // An etched line shows its shadow and its light edge: two pixels at least.
    u_main::TBounds bevel = form_.Bevel1;
    child("STATIC", "", SS_ETCHEDHORZ, bevel, IdBevel1);
    SetWindowPos(GetDlgItem(hwnd_, IdBevel1), nullptr, 0, 0, Scale(bevel.Width),
                 std::max(Scale(bevel.Height), 2), SWP_NOMOVE | SWP_NOZORDER);

    // Label1 is sized to its text in the window's font.
    u_main::TBounds label1 = form_.Label1.Bounds;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE extent{};
    GetTextExtentPoint32A(dc, form_.Label1.Caption.c_str(),
                          static_cast<int>(form_.Label1.Caption.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    HWND l1 = child("STATIC", form_.Label1.Caption, SS_LEFT | SS_NOPREFIX, label1, IdLabel1);
    SetWindowPos(l1, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER);

    const DWORD status = SS_LEFTNOWORDWRAP | SS_NOPREFIX;  // one line; "&" in a name is a name
    child("STATIC", form_.LabelFile.Caption, status, form_.LabelFile.Bounds, IdLabelFile);
    child("STATIC", form_.LabelEnv.Caption, status, form_.LabelEnv.Bounds, IdLabelEnv);

    // Created in tab order.
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    child("BUTTON", form_.ButtonOpen.Caption, button, form_.ButtonOpen.Bounds, IdButtonOpen);
    child("BUTTON", form_.ButtonExe.Caption, button, form_.ButtonExe.Bounds, IdButtonExe);
    // The close button draws its glyph beside its caption itself.
    child("BUTTON", form_.BitBtn1.Caption, BS_OWNERDRAW | WS_TABSTOP, form_.BitBtn1.Bounds,
          IdBitBtn1);
}

void MainWindow::BuildMenu() {
    menu_ = CreateMenu();
    auto popup = [this](const char* caption, std::initializer_list<MenuItem> items) {
        HMENU sub = CreatePopupMenu();
        for (const MenuItem& item : items) {
            AppendMenuA(sub, MF_STRING, static_cast<UINT_PTR>(item.Id), item.Item->Caption.c_str());
            menuItems_.push_back(item);
        }
        AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption);
    };
    popup("File", {{IdMenuOpen, &form_.MenuOpen},
                   {IdMenuExe, &form_.MenuExe},
                   {IdMenuExit, &form_.MenuExit}});
    popup("INFO", {{IdMenuData, &form_.MenuData}, {IdMenuTest, &form_.MenuTest}});
    popup("View", {{IdMenuLog, &form_.MenuLog},
                   {IdMenuTavo, &form_.MenuTavo},
                   {IdMenuPage, &form_.MenuPage},
                   {IdMenuSet, &form_.MenuSet}});
    popup("Help", {{IdMenuVer, &form_.MenuVer}});
    SetMenu(hwnd_, menu_);
}

// The bevel is anchored left and right: it keeps its design overhang of the
// client width.
void MainWindow::StretchBevel(int clientWidth) {
    HWND bevel = GetDlgItem(hwnd_, IdBevel1);
    if (bevel == nullptr) return;
    RECT r;
    GetWindowRect(bevel, &r);
    int width = Scale(form_.Bevel1.Width) + clientWidth - Scale(kDesignClientWidth);
    SetWindowPos(bevel, nullptr, 0, 0, std::max(width, 0), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

// A push button with the close glyph, a red cross, to the left of "Exit(&C)";
// the access key is underlined as in any button.
void MainWindow::DrawCloseButton(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const int shift = pushed ? 1 : 0;

    HGDIOBJ oldFont = SelectObject(dc, font_);
    const std::string& caption = form_.BitBtn1.Caption;
    RECT measure{0, 0, 0, 0};
    DrawTextA(dc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
    const int glyph = Scale(11), gap = Scale(4);
    const int total = glyph + gap + (measure.right - measure.left);
    const int left = (r.left + r.right - total) / 2 + shift;
    const int middle = (r.top + r.bottom) / 2 + shift;

    HPEN pen = CreatePen(PS_SOLID, std::max(Scale(2), 2),
                         disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(192, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int top = middle - glyph / 2;
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, left + glyph, top + glyph);
    MoveToEx(dc, left + glyph, top, nullptr);
    LineTo(dc, left, top + glyph);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    RECT text{left + glyph + gap, r.top + shift, r.right, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, oldFont);

    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        InflateRect(&focus, -Scale(4), -Scale(4));
        DrawFocusRect(dc, &focus);
    }
}

void MainWindow::SyncControls() {
    if (hwnd_ == nullptr) return;
    auto setText = [this](int id, const std::string& text) {
        HWND h = GetDlgItem(hwnd_, id);
        char now[1024];
        GetWindowTextA(h, now, sizeof now);
        if (text != now) SetWindowTextA(h, text.c_str());
    };
    setText(IdLabelFile, form_.LabelFile.Caption);
    setText(IdLabelEnv, form_.LabelEnv.Caption);
    EnableWindow(GetDlgItem(hwnd_, IdButtonOpen), form_.ButtonOpen.Enabled);
    EnableWindow(GetDlgItem(hwnd_, IdButtonExe), form_.ButtonExe.Enabled);
    EnableWindow(GetDlgItem(hwnd_, IdBitBtn1), form_.BitBtn1.Enabled);
    for (const MenuItem& item : menuItems_) {
        EnableMenuItem(menu_, static_cast<UINT>(item.Id),
                       MF_BYCOMMAND | (item.Item->Enabled ? MF_ENABLED : MF_GRAYED));
    }
    DrawMenuBar(hwnd_);
}

void MainWindow::Perform(u_main::TForm1::THandler Handler) {
    form_.Perform(Handler);
    SyncControls();
}

void MainWindow::OnCommand(int id) {
    using F = u_main::TForm1;
    switch (id) {
        case IdButtonOpen: Perform(&F::ButtonOpenClick); break;
        case IdButtonExe: Perform(&F::ButtonExeClick); break;
        case IdBitBtn1: Close(); break;  // no handler: the button closes the window
        case IdMenuOpen: Perform(&F::MenuOpenClick); break;
        case IdMenuExe: Perform(&F::MenuExeClick); break;
        case IdMenuExit: Perform(&F::MenuExitClick); break;
        case IdMenuData: Perform(&F::MenuDataClick); break;
        case IdMenuTest: Perform(&F::MenuTestClick); break;
        case IdMenuLog: Perform(&F::MenuLogClick); break;
        case IdMenuTavo: Perform(&F::MenuTavoClick); break;
        case IdMenuPage: Perform(&F::MenuPageClick); break;
        case IdMenuSet: Perform(&F::MenuSetClick); break;
        case IdMenuVer: Perform(&F::MenuVerClick); break;
        default: break;
    }
}

// A settings file that cannot be written is reported, and the window still
// closes: the user must always be able to leave.
void MainWindow::OnClose() {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    form_.Left = outer.left;
    form_.Top = outer.top;
    form_.Width = outer.right - outer.left;
    form_.Height = outer.bottom - outer.top;
    Perform(&u_main::TForm1::FormClose);
    DestroyWindow(hwnd_);
}

void MainWindow::OpenFile(const std::string& FileName) {
    form_.Perform([this, &FileName] { form_.OpenFile(FileName); });
    SyncControls();
}

// The first of the dropped files; a log is analysed one at a time.
void MainWindow::OnDropFiles(HDROP Drop) {
    char name[MAX_PATH] = "";
    const bool got = DragQueryFileA(Drop, 0, name, sizeof name) > 0;
    DragFinish(Drop);
    if (!got) return;
    SetForegroundWindow(hwnd_);
    OpenFile(name);
}

void MainWindow::OpenWhenShown(std::string FileName) { openWhenShown_ = std::move(FileName); }

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
    return self->Handle(msg, wp, lp);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: OnCommand(LOWORD(wp)); return 0;
        case kFormShow:
            if (!shown_) {
                shown_ = true;
                Perform(&u_main::TForm1::FormShow);
                if (!openWhenShown_.empty() && hwnd_ != nullptr) OpenFile(openWhenShown_);
            }
            return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_SIZE: StretchBevel(LOWORD(lp)); return 0;
        case WM_CTLCOLORSTATIC: {
            // The status labels stand out in the button-highlight colour.
            int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
            int colour = id == IdLabelFile || id == IdLabelEnv ? COLOR_BTNHIGHLIGHT : COLOR_BTNFACE;
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(colour));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item->CtlID != IdBitBtn1) break;
            DrawCloseButton(*item);
            return TRUE;
        }
        case WM_ACTIVATE:
            // Coming back to the window gives the keyboard back to the control
            // that had it, Open at first.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND now = GetFocus();
                if (now != nullptr && IsChild(hwnd_, now)) focus_ = now;
            } else if (focus_ != nullptr && IsWindowEnabled(focus_)) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY:
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void MainWindow::ShowMessage(const std::string& Text) {
    SyncControls();
    messageBoxHook = SetWindowsHookExA(WH_CBT, MessageBoxHook, nullptr, GetCurrentThreadId());
    MessageBoxA(hwnd_, Text.c_str(), u_main::ApplicationTitle, MB_OK);
    if (messageBoxHook != nullptr) {
        UnhookWindowsHookEx(messageBoxHook);
        messageBoxHook = nullptr;
    }
}

std::string MainWindow::InputBox(const std::string& Caption, const std::string& Prompt,
                                 const std::string& Default) {
    SyncControls();
    InputBoxState state{&Caption, &Prompt, Default};
    INT_PTR answer = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_INPUT_BOX), hwnd_,
                                     InputBoxProc, reinterpret_cast<LPARAM>(&state));
    return answer == IDOK ? state.Text : Default;
}

// No title, folder or default extension of its own; a typed name of a file
// that does not exist is taken like any other.
std::optional<std::string> MainWindow::OpenDialog() {
    SyncControls();
    const std::string filter = OpenDialogFilter(u_main::OpenDialogFilters());
    std::string file(4096, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    if (!GetOpenFileNameA(&ofn)) return std::nullopt;
    return std::string(file.c_str());
}

void MainWindow::Close() {
    if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

bool MainWindow::StartViewer(const std::string& ViewerName, const std::string& FileName) {
    return tavo::StartViewer(ViewerName, FileName);
}

bool MainWindow::StartBrowser(const std::string& FileName) { return tavo::StartBrowser(FileName); }

}  // namespace tavo_win32
