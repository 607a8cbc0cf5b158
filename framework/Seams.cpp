#include "framework/Seams.h"

#include "framework/Dialog.h"

#include <shellapi.h>

namespace seams {
MessageBoxHandler messageBox;
ModalDialogHandler modalDialog;
OpenUrlHandler openUrl;
}  // namespace seams

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)
{
    if (seams::messageBox)
        return seams::messageBox({owner, text, caption, flags});
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

INT_PTR RunModalDialog(CDialog& dialog)
{
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
