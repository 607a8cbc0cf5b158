// driver_selftest.exe: a small dialog that the window driver's tests operate.
// Every control reports what reached the dialog in a static beside it, so a
// test can read back that its action arrived the way a user's would.
#include "SelftestIds.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

constexpr int kImageSize = 16;
constexpr COLORREF kImageColours[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200), RGB(220, 180, 0)};

HWND g_dialog = nullptr;

class ImageList {
public:
    ImageList() : list_(ImageList_Create(kImageSize, kImageSize, ILC_COLOR24, 4, 0))
    {
        HDC screen = GetDC(nullptr);
        for (COLORREF colour : kImageColours) {
            HBITMAP bitmap = CreateCompatibleBitmap(screen, kImageSize, kImageSize);
            HDC dc = CreateCompatibleDC(screen);
            HGDIOBJ previous = SelectObject(dc, bitmap);
            HBRUSH brush = CreateSolidBrush(colour);
            const RECT all{0, 0, kImageSize, kImageSize};
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            SelectObject(dc, previous);
            DeleteDC(dc);
            ImageList_Add(list_, bitmap, nullptr);
            DeleteObject(bitmap);
        }
        ReleaseDC(nullptr, screen);
    }
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList() { ImageList_Destroy(list_); }
    HIMAGELIST get() const { return list_; }

private:
    HIMAGELIST list_;
};

void Report(int id, const std::wstring& text)
{
    SetDlgItemTextW(g_dialog, id, text.c_str());
}

void FillChoices(HWND dialog, HIMAGELIST images)
{
    HWND combo = GetDlgItem(dialog, IDC_CHOICES);
    SendMessageW(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    int index = 0;
    for (const auto& choice : selftest::kChoices) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_LPARAM | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = index++;
        item.pszText = const_cast<wchar_t*>(choice.text);
        item.lParam = static_cast<LPARAM>(choice.data);
        item.iImage = choice.image;
        item.iSelectedImage = choice.selectedImage;
        item.iIndent = choice.indent;
        SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void Ask(HWND dialog, UINT buttons)
{
    const int answer = MessageBoxW(dialog, selftest::kQuestionText, selftest::kQuestionCaption,
                                   buttons | MB_ICONQUESTION);
    Report(IDC_ANSWER, L"answer " + std::to_wstring(answer));
}

void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_EDIT:
        if (code == EN_CHANGE) {
            wchar_t text[256] = {};
            GetDlgItemTextW(dialog, IDC_EDIT, text, 256);
            Report(IDC_ECHO, std::wstring(L"echo ") + text);
        }
        break;
    case IDC_ASK_OK_CANCEL:
        Ask(dialog, MB_OKCANCEL);
        break;
    case IDC_ASK_YES_NO:
        Ask(dialog, MB_YESNO);
        break;
    case IDC_OPTION:
        if (code == BN_CLICKED)
            Report(IDC_OPTION_STATE, L"option " + std::to_wstring(IsDlgButtonChecked(dialog, IDC_OPTION)));
        break;
    case IDC_CHOICES:
        if (code == CBN_SELCHANGE)
            Report(IDC_CHOICE, L"selected " + std::to_wstring(SendDlgItemMessageW(dialog, IDC_CHOICES, CB_GETCURSEL, 0, 0)));
        break;
    case ID_END_COMMAND:
        EndDialog(dialog, SELFTEST_EXIT_CODE);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_dialog = dialog;
        FillChoices(dialog, reinterpret_cast<HIMAGELIST>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// The tray icon's popup menu; the chosen command (0: none) lands in IDC_TRAY_STATE.
void ShowTrayMenu(HWND owner)
{
    HMENU menu = CreatePopupMenu();
    for (const auto& item : selftest::kMenuItems)
        AppendMenuW(menu, MF_STRING, item.command, item.text);
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(owner);
    const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    DestroyMenu(menu);
    Report(IDC_TRAY_STATE, L"menu " + std::to_wstring(chosen));
}

// The hidden window that a tray icon's callbacks would reach.
LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 1 && lParam == WM_RBUTTONUP) {
        ShowTrayMenu(window);
        return 0;
    }
    if (message == WM_USER + 1) {
        wchar_t text[64];
        wsprintfW(text, L"tray %u 0x%X", static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        Report(IDC_TRAY_STATE, text);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTrayWindow(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TrayProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = selftest::kTrayWindowClass;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, selftest::kTrayWindowClass, L"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    HWND tray = CreateTrayWindow(instance);
    const ImageList images;
    const auto result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SELFTEST), nullptr, DialogProc,
                                        reinterpret_cast<LPARAM>(images.get()));
    DestroyWindow(tray);
    return static_cast<int>(result);
}
