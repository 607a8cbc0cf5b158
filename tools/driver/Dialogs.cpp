#include "Dialogs.h"

#include "Controls.h"
#include "TopLevelWindows.h"
#include "Win32Error.h"

namespace driver {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

struct TextSearch {
    const std::wstring* piece;
    bool found;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM context)
{
    auto& search = *reinterpret_cast<TextSearch*>(context);
    search.found = GetText(child).find(*search.piece) != std::wstring::npos;
    return !search.found;
}

bool HasControlContaining(HWND dialog, const std::wstring& piece)
{
    TextSearch search{&piece, false};
    EnumChildWindows(dialog, VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct DialogSearch {
    const DialogQuery* query;
    HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<DialogSearch*>(context);
    const DialogQuery& query = *search.query;
    if (!IsWindowVisible(window) || WindowClass(window) != kDialogClass)
        return TRUE;
    if (query.processId != 0 && ProcessIdOf(window) != query.processId)
        return TRUE;
    if (!query.title.empty() && WindowTitle(window) != query.title)
        return TRUE;
    if (!query.containing.empty() && !HasControlContaining(window, query.containing))
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindDialog(const DialogQuery& query, milliseconds timeout)
{
    DialogSearch search{&query, nullptr};
    WaitUntil([&] {
        EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeout);
    return search.found;
}

std::wstring MessageBoxText(HWND box)
{
    return GetText(box, kMessageBoxTextId);
}

bool Answer(HWND box, int buttonId, milliseconds timeout)
{
    // The button itself is optional: a dialog ends on IDCANCEL without one.
    const auto button = reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId));
    if (!PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), button))
        ThrowLastError("answer " + std::to_string(buttonId));
    return WaitUntilClosed(box, timeout);
}

}  // namespace driver
