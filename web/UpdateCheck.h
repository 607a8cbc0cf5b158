// The start-up update check and the "Check for Updates" command.
#pragma once

class CWnd;

// At most every 30 days: asks, downloads the update page and offers it when
// it holds the marker. True only when the user chose to open the page.
bool CheckForUpdates(CWnd* owner);
