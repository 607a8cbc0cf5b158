#include "browsers/WarningText.h"

#include <string_view>

#include "browsers/BrowserMatch.h"
#include "catalogue/Catalogue.h"
#include "framework/TextFormat.h"

namespace {

// "\n\r" (line feed, then carriage return) is the break these dialogs have
// always shown; the exit warning uses a bare line feed.
constexpr std::wstring_view kBrowserMiddle = L"will close the following open browser windows: \n\r";
constexpr std::wstring_view kBrowserTail = L".\n\rSelect OK to continue.";
constexpr std::wstring_view kExitBody =
    L"Your IP address is still hidden.  Closing the application will reset your IP address";
constexpr std::wstring_view kExitBrowserPart = L"\nand will close the following open browser windows: \n\r";
constexpr std::wstring_view kExitTail = L".\nSelect OK to continue.";
constexpr std::wstring_view kSwitchQuestion =
    L"Do you wish to disconnect from the %s server and connect to the %s server?";

std::wstring_view BrowserList(uint32_t browsers)
{
    switch (browsers & (BROWSER_IE | BROWSER_FIREFOX)) {
    case BROWSER_IE:
        return L"IE";
    case BROWSER_FIREFOX:
        return L"Firefox";
    case BROWSER_IE | BROWSER_FIREFOX:
        return L"IE and Firefox";
    default:
        return L"";
    }
}

}  // namespace

std::wstring ComposeBrowserWarning(bool connected, uint32_t browsers, bool switching)
{
    std::wstring text = switching ? L"Switching servers " : connected ? L"Deactivating Corvane " : L"Activating Corvane ";
    text += kBrowserMiddle;
    text += BrowserList(browsers);
    text += kBrowserTail;
    return text;
}

std::wstring ComposeExitWarning(uint32_t browsers)
{
    if (browsers == 0)
        return std::wstring(L"\n").append(kExitBody).append(kExitTail);
    return std::wstring(kExitBody).append(kExitBrowserPart).append(BrowserList(browsers)).append(kExitTail);
}

std::wstring SwitchServerQuestion(int fromRow, int toRow)
{
    return FormatText(kSwitchQuestion, {ServerDisplayName(fromRow), ServerDisplayName(toRow)});
}
