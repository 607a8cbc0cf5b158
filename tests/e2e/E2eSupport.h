// The real Corvane.exe, installed into a folder of the test's own under a
// name of its own (so its settings live under a registry key of their own),
// started and driven from outside.
#pragma once

#include "WindowDriver.h"

#include <filesystem>
#include <optional>
#include <string>

inline constexpr const wchar_t* kMainTitle = L"Corvane v.3.00";
inline constexpr auto kStartTimeout = std::chrono::milliseconds(20000);

class CorvaneInstall {
public:
    // Copies Corvane.exe as <name>.exe and the plink double beside it.
    explicit CorvaneInstall(const std::wstring& name = L"CorvaneE2E");
    ~CorvaneInstall();
    CorvaneInstall(const CorvaneInstall&) = delete;
    CorvaneInstall& operator=(const CorvaneInstall&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path Exe() const { return m_folder / (m_name + L".exe"); }
    driver::Program Start(const std::wstring& arguments = {}) const;

    // The profile section "Corvane" of this installation.
    void WriteInt(const std::wstring& value, DWORD data) const;
    std::optional<DWORD> ReadInt(const std::wstring& value) const;
    void WriteString(const std::wstring& value, const std::wstring& data) const;
    void ClearProfile() const;

private:
    std::wstring ProfilePath() const;
    std::wstring m_name;
    std::filesystem::path m_folder;
};

// The system proxy of the default connection as Internet Settings holds it.
struct SystemProxyState {
    DWORD proxyEnable = 0;
    std::wstring proxyServer;
};
SystemProxyState ReadSystemProxy();
void WriteSystemProxy(const SystemProxyState& state);

// The main window of a started copy, visible or not.
HWND WaitForMainWindow(const driver::Program& program, bool visibleOnly = true);
