#include "browsers/BrowserMatch.h"

#include <string>

namespace {

std::wstring UpperCaseAscii(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& unit : upper) {
        if (unit >= L'a' && unit <= L'z')
            unit = static_cast<wchar_t>(unit - L'a' + L'A');
    }
    return upper;
}

}  // namespace

uint32_t BrowserBitsOfImageName(std::wstring_view imageName)
{
    const std::wstring upper = UpperCaseAscii(imageName);
    uint32_t browsers = 0;
    if (upper.find(L"IEXPLORE.EXE") != std::wstring::npos)
        browsers |= BROWSER_IE;
    if (upper.find(L"FIREFOX.EXE") != std::wstring::npos)
        browsers |= BROWSER_FIREFOX;
    return browsers;
}
