// Characters that the service's accounts cannot hold (string resource 170).
#pragma once

#include <string_view>

// The 33 code units of string 170 in their order: 29 distinct characters, the
// quotation mark three times and '<' and '>' twice each.
inline constexpr std::wstring_view kForbiddenCharacters = L"\" ~`!@#$%&*()<>{}[]\"'?<>,:;+=/\\.\"";

// True when any unit of the text is in the forbidden set; an empty text passes.
bool HasForbiddenCharacter(std::wstring_view text, std::wstring_view forbidden = kForbiddenCharacters);

// A credential goes onto plink's command line, so beyond the forbidden set it
// may hold no control character (a tab would split it into further options)
// and may not start with '-' (it would be read as an option itself).
bool IsRefusedCredential(std::wstring_view text, std::wstring_view forbidden = kForbiddenCharacters);
