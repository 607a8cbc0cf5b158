// Entry of the in-process Windows tests.
#include "TestSupport.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <objbase.h>

int wmain(int argc, wchar_t** argv)
{
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);
    TheTestApp();
    // A test never meets a real message box, modal dialog or browser: each
    // that no test script answers fails the test and is declined.
    seams::messageBox = [](const MessageBoxRequest& request) {
        ADD_FAILURE() << "unexpected message box: " << testing::PrintToString(request.text);
        return IDCANCEL;
    };
    seams::modalDialog = [](CDialog& dialog) {
        ADD_FAILURE() << "unexpected modal dialog " << dialog.GetTemplateId();
        return static_cast<INT_PTR>(IDCANCEL);
    };
    seams::openUrl = [](const std::wstring& url) { ADD_FAILURE() << "unexpected URL " << testing::PrintToString(url); };
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
