// What the in-process Windows tests share: a private profile key, the seams
// answered by script, temporary folders, bounded waits, registry and file
// readers, the main dialog, and acting on a window from a helper thread.
#pragma once

#include "framework/App.h"
#include "framework/Seams.h"
#include "ui/CorvaneDlg.h"

#include "../common/FileBytes.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <thread>
#include <type_traits>

// The test run's application object, recording the commands routed to it.
// Its profile lives under HKCU\Software\CorvaneTests\<name>, never under the product's key.
struct TestApp : CWinApp {
    TestApp() { m_strAppName = L"Corvane"; SetRegistryKey(L"CorvaneTests"); }
    bool OnCommand(UINT id) override { m_routedCommands.push_back(id); return CWinApp::OnCommand(id); }
    std::vector<UINT> m_routedCommands;
};
TestApp& TheTestApp();

// Empties the test profile before and after a test.
struct ScopedTestProfile { ScopedTestProfile() { Clear(); } ~ScopedTestProfile() { Clear(); } static void Clear(); };

// Answers message boxes from a queue (IDOK once it is empty) and records them.
struct MessageBoxScript {
    explicit MessageBoxScript(std::deque<int> answers = {}) : m_answers(std::move(answers)) {}
    const std::vector<MessageBoxRequest>& Shown() const { return m_shown; }
    std::deque<int> m_answers;
    std::vector<MessageBoxRequest> m_shown;
    ScopedSeam<MessageBoxHandler> m_seam{seams::messageBox, [this](const MessageBoxRequest& request) {
        m_shown.push_back(request);
        return m_shown.size() > m_answers.size() ? IDOK : m_answers[m_shown.size() - 1];
    }};
};

// Answers modal dialogs with a function of the dialog and records each one's template id.
struct ModalScript {
    explicit ModalScript(std::function<INT_PTR(CDialog&)> answer) : m_answer(std::move(answer)) {}
    const std::vector<UINT>& Shown() const { return m_shown; }
    std::function<INT_PTR(CDialog&)> m_answer;
    std::vector<UINT> m_shown;
    ScopedSeam<ModalDialogHandler> m_seam{seams::modalDialog, [this](CDialog& dialog) {
        m_shown.push_back(dialog.GetTemplateId());
        return m_answer(dialog);
    }};
};

struct UrlRecorder {
    const std::vector<std::wstring>& Opened() const { return m_opened; }
    std::vector<std::wstring> m_opened;
    ScopedSeam<OpenUrlHandler> m_seam{seams::openUrl, [this](const std::wstring& url) { m_opened.push_back(url); }};
};

// A fresh folder under the temporary directory, removed with its content.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& Path() const { return m_path; }
    std::wstring WinPath() const { return m_path.wstring(); }
    std::filesystem::path m_path;
};

// Handles the messages waiting for this thread.
void PumpMessages();
// Pumps messages until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
bool ProcessRuns(DWORD processId);
inline bool ProcessEndsWithin(HANDLE process, DWORD timeoutMs) { return !::WaitForSingleObject(process, timeoutMs); }
// The folder of the test executable, where the test programs are built.
std::filesystem::path TestProgramFolder();


// Values under HKCU; none when absent or of another type.
inline constexpr const wchar_t* kInternetSettingsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
std::optional<std::wstring> ReadRegString(const std::wstring& keyPath, const wchar_t* name);
std::optional<DWORD> ReadRegDword(const std::wstring& keyPath, const wchar_t* name);
// The system proxy server string of the default connection; empty when cleared.
std::wstring SystemProxyServer();

// The main dialog created modeless, as the product creates it, with its own temporary folder and INI path.
struct MainDialogHarness {
    explicit MainDialogHarness(UINT templateId = 149);
    ~MainDialogHarness();
    CCorvaneDlg& Dialog() { return *m_dialog; }
    CCorvaneDlg* operator->() { return m_dialog.get(); }
    const TempFolder& Temp() const { return m_temp; }
    // Sends a WM_COMMAND as a click or a menu choice would.
    void Command(UINT id, UINT code = 0);
    TempFolder m_temp;
    std::unique_ptr<CCorvaneDlg> m_dialog;
};

// A window destroyed with the object: UniqueWindow window(::CreateWindowExW(...), ::DestroyWindow).
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)>;

// Acts on the visible top-level window of this process with that title (and
// class) from a helper thread, while the test thread runs the modal loop that
// shows it. A window the act leaves open is cancelled, so the test ends.
struct ActOnWindow {
    ActOnWindow(std::wstring title, std::function<void(HWND)> act, std::wstring className = {});
    ~ActOnWindow() { Found(); }
    // Waits for the helper; whether the window appeared.
    bool Found() { if (m_thread.joinable()) m_thread.join(); return m_found; }
    bool m_found = false;
    std::thread m_thread;
};
