#include "TestSupport.h"

#include "framework/Handles.h"

#include <fstream>
#include <iterator>

namespace {
constexpr const wchar_t* kTestCompany = L"CorvaneTests";
}

TestApp::TestApp()
{
    m_strAppName = L"Corvane";
    SetRegistryKey(kTestCompany);
}

bool TestApp::OnCommand(UINT id)
{
    m_routedCommands.push_back(id);
    return CWinApp::OnCommand(id);
}

TestApp& TheTestApp()
{
    static TestApp app;
    return app;
}

ScopedTestProfile::ScopedTestProfile()
{
    Clear();
}

ScopedTestProfile::~ScopedTestProfile()
{
    Clear();
}

void ScopedTestProfile::Clear()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kTestCompany).c_str());
}

MessageBoxScript::MessageBoxScript(std::deque<int> answers)
    : m_answers(std::move(answers)),
      m_seam(seams::messageBox, [this](const MessageBoxRequest& request) {
          m_shown.push_back(request);
          if (m_answers.empty())
              return IDOK;
          int answer = m_answers.front();
          m_answers.pop_front();
          return answer;
      })
{
}

ModalScript::ModalScript(std::function<INT_PTR(CDialog&)> answer)
    : m_answer(std::move(answer)), m_seam(seams::modalDialog, [this](CDialog& dialog) {
          m_shown.push_back(dialog.GetTemplateId());
          return m_answer(dialog);
      })
{
}

UrlRecorder::UrlRecorder()
    : m_seam(seams::openUrl, [this](const std::wstring& url) { m_opened.push_back(url); })
{
}

TempFolder::TempFolder()
{
    static unsigned counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             (L"corvane-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::wstring SystemProxyServer()
{
    wchar_t server[256] = {};
    DWORD size = sizeof(server);
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                   L"ProxyServer", RRF_RT_REG_SZ, nullptr, server, &size);
    return server;
}

bool ProcessRuns(DWORD processId)
{
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

MainDialogHarness::MainDialogHarness(UINT templateId) : m_dialog(std::make_unique<CCorvaneDlg>(templateId))
{
    m_dialog->m_strTempDir = m_temp.WinPath();
    m_dialog->m_strIniPath = (m_temp.Path() / L"Corvane.ini").wstring();
    TheTestApp().m_pMainWnd = m_dialog.get();
    m_dialog->CreateModeless();
    PumpMessages();
}

MainDialogHarness::~MainDialogHarness()
{
    m_dialog->DestroyWindow();
    PumpMessages();
    TheTestApp().m_pMainWnd = nullptr;
}

void MainDialogHarness::Command(UINT id, UINT code)
{
    HWND control = m_dialog->GetDlgItem(static_cast<int>(id));
    ::SendMessageW(m_dialog->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    PumpMessages();
}

// Windows and boxes

#include "TopLevelWindows.h"

ActOnWindow::ActOnWindow(std::wstring title, std::function<void(HWND)> act, std::wstring className)
    : m_thread([this, query = driver::WindowQuery{std::move(title), std::move(className), ::GetCurrentProcessId()},
                act = std::move(act)] {
          HWND window = driver::WaitForWindow(query, std::chrono::milliseconds(5000));
          m_found = window != nullptr;
          if (!window)
              return;
          act(window);
          if (!driver::WaitUntilClosed(window, std::chrono::milliseconds(3000)))
              ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      })
{
}
