// What the tunnel benchmark runs in: an application object with a profile key
// of its own, the real main dialog created modeless with its own temporary
// folder and INI path, a Firefox profile for the user.js rewrite and
// bounded waits that keep the dialog's messages flowing.
#pragma once

#include "framework/App.h"
#include "ui/CorvaneDlg.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// Its profile lives under HKCU\Software\CorvaneTunnelBench\Corvane, removed
// again when the benchmark ends.
class BenchApp : public CWinApp {
public:
    BenchApp();
    ~BenchApp() override;
};

// Handles the waiting messages, then waits at most `ms` for the next one.
void PumpMessagesFor(DWORD ms);
// Pumps messages until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// A fresh folder under the temporary directory, removed with its content.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The user's Firefox profile, so every connect and stop rewrites a real
// user.js. Made (and removed afterwards) only when the user has none.
class FirefoxProfile {
public:
    FirefoxProfile();
    ~FirefoxProfile();
    FirefoxProfile(const FirefoxProfile&) = delete;
    FirefoxProfile& operator=(const FirefoxProfile&) = delete;
    // Whether the user.js holds the lines of a direct connection.
    bool UserJsDirect() const;
    std::filesystem::path Folder() const { return m_userJs.parent_path(); }

private:
    std::filesystem::path m_firefoxFolder;
    std::filesystem::path m_userJs;
    std::filesystem::path m_createdFolder;
};

// Whether the system proxy of the default connection is off.
bool SystemProxyDirect();

// The main dialog as the product creates it, modeless, with its own folder.
class BenchDialog {
public:
    explicit BenchDialog(BenchApp& app);
    ~BenchDialog();
    BenchDialog(const BenchDialog&) = delete;
    BenchDialog& operator=(const BenchDialog&) = delete;
    CCorvaneDlg* operator->() { return m_dialog.get(); }

private:
    BenchApp& m_app;
    TempFolder m_temp;
    std::unique_ptr<CCorvaneDlg> m_dialog;
};
