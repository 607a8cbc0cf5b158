// The application object: process entry, main window, the registry profile
// and the commands that no window handled.
#pragma once

#include "framework/Wnd.h"

#include <string>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs InitInstance; the process ends when it returns.
    int Run();
    virtual BOOL InitInstance() { return FALSE; }

    // Commands that reach the application after the windows declined them.
    virtual bool OnCommand(UINT id);

    // From now on the profile lives under HKCU\Software\<company>\<application name>.
    void SetRegistryKey(const std::wstring& company);

    // Values under HKCU\Software\<company>\<application name>\<section>: integers
    // as REG_DWORD, strings as REG_SZ. A missing value, or one of another type,
    // reads as the default.
    UINT GetProfileInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const;
    std::wstring GetProfileString(const std::wstring& section, const std::wstring& entry,
                                  const std::wstring& defaultValue = {}) const;
    bool WriteProfileInt(const std::wstring& section, const std::wstring& entry, int value) const;
    bool WriteProfileString(const std::wstring& section, const std::wstring& entry,
                            const std::wstring& value) const;

    // The registry path of the profile, "Software\<company>\<application name>".
    std::wstring ProfileKeyPath() const;

    // The executable's base name; the profile key is named after it.
    std::wstring m_strAppName;
    CWnd* m_pMainWnd = nullptr;

private:
    std::wstring m_strRegistryKey;
    // The application that was current before this one (a test run's, when a
    // test makes the product's): current again once this one is gone.
    CWinApp* m_previousApp;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// A message box owned by the main window, captioned with the application name.
int AfxMessageBox(const std::wstring& text, UINT flags = MB_OK);

// The executable's file name without folder and extension.
std::wstring ExecutableBaseName();
