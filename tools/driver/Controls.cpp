#include "Controls.h"

#include "Win32Error.h"

namespace driver {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

std::string Describe(HWND dialog, int id)
{
    return "control " + std::to_string(id) + " of window " +
           std::to_string(reinterpret_cast<uintptr_t>(dialog));
}

}  // namespace

HWND Control(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        throw DriverError("no " + Describe(dialog, id));
    return control;
}

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        ThrowLastError("message " + std::to_string(message) + " to window " +
                       std::to_string(reinterpret_cast<uintptr_t>(window)) + " was not answered");
    return static_cast<LRESULT>(result);
}

std::wstring GetText(HWND window)
{
    const auto length = static_cast<size_t>(SendOrThrow(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<size_t>(
        SendOrThrow(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied < length ? copied : length);
    return text;
}

std::wstring GetText(HWND dialog, int id)
{
    return GetText(Control(dialog, id));
}

void SetEditText(HWND dialog, int id, const std::wstring& text)
{
    if (!SendOrThrow(Control(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
        throw DriverError("the text of " + Describe(dialog, id) + " was not set");
}

void Click(HWND dialog, int id)
{
    HWND button = Control(dialog, id);
    if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        ThrowLastError("click on " + Describe(dialog, id));
}

bool GetCheck(HWND dialog, int id)
{
    return SendOrThrow(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SendCommand(HWND window, int commandId)
{
    if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0))
        ThrowLastError("command " + std::to_string(commandId));
}

}  // namespace driver
