// Turns a static control into a link: blue, underlined while hovered, a hand
// cursor, and its click reported to the parent as WM_COMMAND STN_CLICKED.
// All state lives in window properties of the static and its parent, and
// both windows put everything back when they are destroyed.
#pragma once

#include <windows.h>

inline constexpr COLORREF kHyperlinkColour = 0xC00000;  // red 0, green 0, blue 192

inline constexpr const wchar_t* kHyperlinkOriginalProcProp = L"_Hyperlink_Original_Proc_";
inline constexpr const wchar_t* kHyperlinkFromStaticProp = L"_Hyperlink_From_Static_";
inline constexpr const wchar_t* kHyperlinkOriginalFontProp = L"_Hyperlink_Original_Font_";
inline constexpr const wchar_t* kHyperlinkUnderlineFontProp = L"_Hyperlink_Underline_Font_";

// Subclasses the static (and its parent, once however many links it holds).
BOOL ConvertStaticToHyperlink(HWND staticControl);

// Installed on the parent: colours the links' text.
LRESULT CALLBACK HyperlinkParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Installed on the static: hand cursor and underline while hovered.
LRESULT CALLBACK HyperlinkStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
