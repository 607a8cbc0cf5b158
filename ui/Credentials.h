// Which credentials the program refuses: the characters that the service's
// accounts cannot hold (string resource 170) and what plink would misread.
#pragma once

#include <string_view>

// True when any unit of the text is in the forbidden set; an empty text passes.
bool HasForbiddenCharacter(std::wstring_view text, std::wstring_view forbidden);

// A credential goes onto plink's command line, so beyond the forbidden set it
// may hold no control character (a tab would split it into further options)
// and may not start with '-' (it would be read as an option itself).
bool IsRefusedCredential(std::wstring_view text, std::wstring_view forbidden);
