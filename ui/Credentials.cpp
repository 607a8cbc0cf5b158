#include "ui/Credentials.h"

#include <algorithm>

bool HasForbiddenCharacter(std::wstring_view text, std::wstring_view forbidden)
{
    return text.find_first_of(forbidden) != std::wstring_view::npos;
}

bool IsRefusedCredential(std::wstring_view text, std::wstring_view forbidden)
{
    const auto isControl = [](wchar_t unit) { return unit < 0x20 || unit == 0x7F; };
    return HasForbiddenCharacter(text, forbidden) || std::ranges::any_of(text, isControl) || text.starts_with(L'-');
}
