// The product's name and version, and the main window title built from them,
// by which a second copy finds the first.
#pragma once

inline constexpr const wchar_t* kProductName = L"Corvane";
inline constexpr const wchar_t* kVersionText = L"3.00";
inline constexpr const wchar_t* kMainWindowTitle = L"Corvane v.3.00";  // "%s v.%s" of the two
