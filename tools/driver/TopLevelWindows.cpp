#include "TopLevelWindows.h"

namespace driver {
namespace {

struct Search {
    const WindowQuery* query;
    HWND found;
};

bool Matches(HWND window, const WindowQuery& query)
{
    if (query.visibleOnly && !IsWindowVisible(window))
        return false;
    if (query.processId != 0 && ProcessIdOf(window) != query.processId)
        return false;
    if (!query.className.empty() && WindowClass(window) != query.className)
        return false;
    return query.title.empty() || WindowTitle(window) == query.title;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<Search*>(context);
    if (!Matches(window, *search.query))
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindTopLevelWindow(const WindowQuery& query)
{
    Search search{&query, nullptr};
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const WindowQuery& query, milliseconds timeout)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(query)) != nullptr; }, timeout);
    return found;
}

HWND WaitForWindow(const std::wstring& title, milliseconds timeout, bool visibleOnly, DWORD processId)
{
    return WaitForWindow(WindowQuery{title, {}, processId, visibleOnly}, timeout);
}

bool WaitUntilClosed(HWND window, milliseconds timeout)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

bool IsVisible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

bool IsEnabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

DWORD ProcessIdOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// The title that the window manager holds: read without a message to the
// window, so a busy program cannot stall the search.
std::wstring WindowTitle(HWND window)
{
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

std::wstring WindowClass(HWND window)
{
    wchar_t name[256] = {};
    return std::wstring(name, static_cast<size_t>(GetClassNameW(window, name, 256)));
}

}  // namespace driver
