// The start-up update check.
#pragma once

#include "web/PageDownload.h"

#include <string>

class CWnd;

// At most every 30 days: asks, downloads the update page and offers it when
// it came whole and holds the marker. True only when the user chose to open
// the page. Tests pass shorter limits.
bool CheckForUpdates(CWnd* owner, const PageLimits& limits = {});

// Downloads an http page as text, each read of at most 1024 bytes converted
// from the ANSI code page on its own. Connecting, each send and each receive
// are bounded by 5000 ms (or the deadline, when shorter), the page by the cap,
// and the caller's wait by the deadline: the download runs on a thread of its
// own. True only for a whole page with status 200 (see PageCameWhole);
// otherwise the text may be partial.
bool DownloadPageText(const std::wstring& url, std::wstring& text, const PageLimits& limits = {});
