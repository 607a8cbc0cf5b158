#include "framework/Seams.h"

#include "framework/Dialog.h"

#include <shellapi.h>

namespace seams {
MessageBoxHandler messageBox;
ModalDialogHandler modalDialog;
OpenUrlHandler openUrl;
}  // namespace seams

namespace {
int g_openModalBoxes = 0;

// Counts a box as open for as long as it runs.
class OpenBoxCount {
public:
    OpenBoxCount() { ++g_openModalBoxes; }
    ~OpenBoxCount() { --g_openModalBoxes; }
    OpenBoxCount(const OpenBoxCount&) = delete;
    OpenBoxCount& operator=(const OpenBoxCount&) = delete;
};
}  // namespace

bool ModalBoxOpen()
{
    return g_openModalBoxes > 0;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)
{
    OpenBoxCount open;
    if (seams::messageBox)
        return seams::messageBox({owner, text, caption, flags});
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

INT_PTR RunModalDialog(CDialog& dialog)
{
    OpenBoxCount open;
    if (seams::modalDialog)
        return seams::modalDialog(dialog);
    return dialog.RunModalLoop();
}

void OpenUrl(const std::wstring& url)
{
    if (seams::openUrl) {
        seams::openUrl(url);
        return;
    }
    ::ShellExecuteW(nullptr, L"open", url.c_str(), L"", L"", SW_SHOWNORMAL);
}
