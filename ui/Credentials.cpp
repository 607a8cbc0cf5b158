#include "ui/Credentials.h"

bool HasForbiddenCharacter(std::wstring_view text, std::wstring_view forbidden)
{
    return text.find_first_of(forbidden) != std::wstring_view::npos;
}
