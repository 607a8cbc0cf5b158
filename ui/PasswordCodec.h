// The reversible character substitution under which a remembered password is
// kept in the profile. Not encryption: it only keeps the password from being
// read at a glance.
#pragma once

#include <string>
#include <string_view>

// Texts are UTF-16 code units. Both functions work in a buffer of 64 units as
// the stored format always has: at most 63 units are taken, the rest counts as
// absent, and a U+0000 (read or produced) ends the text as in a C string.
std::wstring EncodePassword(std::wstring_view plain);
std::wstring DecodePassword(std::wstring_view encoded);
