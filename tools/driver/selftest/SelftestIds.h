// Ids and texts of driver_selftest.exe, shared by its resource script, the
// program and the driver's tests.
#pragma once

#define IDD_SELFTEST          100

#define IDC_EDIT              1001  // an edit; EN_CHANGE copies it into IDC_ECHO
#define IDC_ECHO              1002
#define IDC_ASK_OK_CANCEL     1003  // opens an OK/Cancel message box
#define IDC_ASK_YES_NO        1004  // opens a Yes/No message box
#define IDC_ANSWER            1005  // "answer <id>" after a box was answered
#define IDC_OPTION            1006  // an auto check box
#define IDC_OPTION_STATE      1007  // "option <0|1>" after each BN_CLICKED of IDC_OPTION
#define IDC_CHOICES           1008  // a ComboBoxEx with the items below
#define IDC_CHOICE            1009  // "selected <index>" after each CBN_SELCHANGE
#define IDC_TRAY_STATE        1010  // "tray <wParam> <lParam>" after each tray callback,
                                    // "menu <command>" after the tray menu closed

#define ID_END_COMMAND        32823 // ends the dialog; the process exits with SELFTEST_EXIT_CODE
#define SELFTEST_EXIT_CODE    3

#ifndef RC_INVOKED
namespace selftest {

inline constexpr wchar_t kTitle[] = L"Driver Selftest";
inline constexpr wchar_t kQuestionCaption[] = L"Selftest question";
inline constexpr wchar_t kQuestionText[] = L"Go on with the test?\n\rSecond line.";
inline constexpr wchar_t kTrayWindowClass[] = L"CorvaneTrayWnd";

struct Choice {
    const wchar_t* text;
    long long data;
    int image;
    int selectedImage;
    int indent;
};

inline constexpr Choice kChoices[] = {
    {L"Alpha", 100, 0, 1, 0},
    {L"Beta", 200, 1, 1, 1},
    {L"Gamma", 300, 2, 2, 0},
    {L"\u03A9mega \u00FCber", -5, 3, 0, 2},
};

struct MenuItem {
    const wchar_t* text;
    unsigned command;
};

// The tray menu that a WM_RBUTTONUP callback opens.
inline constexpr MenuItem kMenuItems[] = {
    {L"First", 40001},
    {L"Second", 40002},
    {L"Third", 40003},
};

}  // namespace selftest
#endif
