#include "framework/Strings.h"

HINSTANCE ResourceModule()
{
    return ::GetModuleHandleW(nullptr);
}

std::wstring LoadStringResource(UINT id)
{
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself, so texts of any length come back whole.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring GetWindowTextString(HWND window)
{
    // WM_GETTEXT rather than GetWindowTextW: it also reads the text of a
    // control that belongs to another process.
    LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}
