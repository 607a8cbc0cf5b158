// The start-up update check.
#pragma once

#include <string>

class CWnd;

// At most every 30 days: asks, downloads the update page and offers it when
// it holds the marker. True only when the user chose to open the page.
bool CheckForUpdates(CWnd* owner);

// Downloads an http page as text, each read of at most 1024 bytes converted
// from the ANSI code page on its own. Every send and receive is bounded by
// 5000 ms. False when the page could not be had (the text may be partial).
bool DownloadPageText(const std::wstring& url, std::wstring& text);
