// Ids and texts of driver_selftest.exe, shared by its resource script, the
// program and the driver's tests.
#pragma once

#define IDD_SELFTEST          100

#define IDC_EDIT              1001  // an edit; EN_CHANGE copies it into IDC_ECHO
#define IDC_ECHO              1002
#define IDC_ASK_OK_CANCEL     1003  // opens an OK/Cancel message box
#define IDC_ASK_YES_NO        1004  // opens a Yes/No message box
#define IDC_ANSWER            1005  // "answer <id>" after a box was answered
#define IDC_CHOICES           1008  // a ComboBoxEx with the items below
#define IDC_CHOICE            1009  // "selected <index>" after each CBN_SELCHANGE

#define ID_END_COMMAND        32823 // ends the dialog; the process exits with SELFTEST_EXIT_CODE
#define SELFTEST_EXIT_CODE    3

#ifndef RC_INVOKED
namespace selftest {

inline constexpr wchar_t kTitle[] = L"Driver Selftest";
inline constexpr wchar_t kQuestionCaption[] = L"Selftest question";
inline constexpr wchar_t kQuestionText[] = L"Go on with the test?\n\rSecond line.";
// A hidden window of the class that Corvane's tray icon reports to.
inline constexpr wchar_t kTrayWindowClass[] = L"CorvaneTrayWnd";

struct Choice {
    const wchar_t* text;
    long long data;
};

inline constexpr Choice kChoices[] = {
    {L"Alpha", 100},
    {L"Beta", 200},
    {L"\u03A9mega \u00FCber", -5},
};

}  // namespace selftest
#endif
