// driver_selftest.exe: a small dialog that the window driver's tests operate.
// Every control reports what reached the dialog in a static beside it, so a
// test can read back that its action arrived the way a user's would.
#include "SelftestIds.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

void Report(HWND dialog, int id, const std::wstring& text)
{
    SetDlgItemTextW(dialog, id, text.c_str());
}

void FillChoices(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_CHOICES);
    int index = 0;
    for (const auto& choice : selftest::kChoices) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_LPARAM;
        item.iItem = index++;
        item.pszText = const_cast<wchar_t*>(choice.text);
        item.lParam = static_cast<LPARAM>(choice.data);
        SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void Ask(HWND dialog, UINT buttons)
{
    const int answer = MessageBoxW(dialog, selftest::kQuestionText, selftest::kQuestionCaption,
                                   buttons | MB_ICONQUESTION);
    Report(dialog, IDC_ANSWER, L"answer " + std::to_wstring(answer));
}

void OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_EDIT:
        if (code == EN_CHANGE) {
            wchar_t text[256] = {};
            GetDlgItemTextW(dialog, IDC_EDIT, text, 256);
            Report(dialog, IDC_ECHO, std::wstring(L"echo ") + text);
        }
        break;
    case IDC_ASK_OK_CANCEL:
        Ask(dialog, MB_OKCANCEL);
        break;
    case IDC_ASK_YES_NO:
        Ask(dialog, MB_YESNO);
        break;
    case IDC_CHOICES:
        if (code == CBN_SELCHANGE)
            Report(dialog, IDC_CHOICE,
                   L"selected " + std::to_wstring(SendDlgItemMessageW(dialog, IDC_CHOICES, CB_GETCURSEL, 0, 0)));
        break;
    case ID_END_COMMAND:
        EndDialog(dialog, SELFTEST_EXIT_CODE);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillChoices(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    // The hidden window that a tray icon's callbacks would reach.
    WNDCLASSW trayClass{};
    trayClass.lpfnWndProc = DefWindowProcW;
    trayClass.hInstance = instance;
    trayClass.lpszClassName = selftest::kTrayWindowClass;
    RegisterClassW(&trayClass);
    HWND tray = CreateWindowExW(0, selftest::kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
    const auto result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SELFTEST), nullptr, DialogProc, 0);
    DestroyWindow(tray);
    return static_cast<int>(result);
}
