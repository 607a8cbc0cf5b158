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
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
