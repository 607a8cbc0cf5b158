// The application object: single instance, command line, start-up resets and
// the main dialog's modal run.
#pragma once

#include "app/Product.h"
#include "framework/App.h"

#include <string>

class CCorvaneDlg;

class CCorvaneApp : public CWinApp {
public:
    BOOL InitInstance() override;
    bool OnCommand(UINT id) override;

    // The folder of the running executable, without a trailing backslash.
    std::wstring GetProgramDirectory() const;

    void OnRestoreSystemDefaults();

    std::wstring m_strProgramDir;
    // The running main dialog, whose warning switches the restore turns back on.
    CCorvaneDlg* m_pDialog = nullptr;

private:
    // Start-up once this copy holds the single-instance mutex.
    BOOL StartFirstCopy();
};

// Whether a switch such as L" -s" stands anywhere in the whole command line
// (case-sensitive substring).
bool CommandLineHasSwitch(const std::wstring& commandLine, const wchar_t* option);

inline constexpr const wchar_t* kInstanceMutexName = L"Quenmoor.Corvane.6";
inline constexpr const wchar_t* kRegistryCompany = L"Quenmoor";
