// The three things a test cannot answer on screen go through one function
// each: a message box, a modal dialog and opening a web address. The product
// wires them to the real calls; a test installs a handler that answers them
// and records what they showed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CDialog;

struct MessageBoxRequest {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
using ModalDialogHandler = std::function<INT_PTR(CDialog&)>;
using OpenUrlHandler = std::function<void(const std::wstring& url)>;

// Shows a message box (MessageBoxW) and returns the button chosen.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

// Runs a dialog modally and returns its result.
INT_PTR RunModalDialog(CDialog& dialog);

// Whether a message box or modal dialog shown through the two functions
// above is open now (including one a test answers).
bool ModalBoxOpen();

// Opens an address in the default browser: ShellExecuteW "open", no owner,
// empty parameters and directory, SW_SHOWNORMAL.
void OpenUrl(const std::wstring& url);

// Installs a test's handler for the lifetime of the object and puts the
// previous one back afterwards.
template <class Handler>
class ScopedSeam {
public:
    ScopedSeam(Handler& slot, Handler replacement) : m_slot(slot), m_previous(std::move(slot))
    {
        m_slot = std::move(replacement);
    }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;
    ~ScopedSeam() { m_slot = std::move(m_previous); }

private:
    Handler& m_slot;
    Handler m_previous;
};

namespace seams {
// Empty means the real call.
extern MessageBoxHandler messageBox;
extern ModalDialogHandler modalDialog;
extern OpenUrlHandler openUrl;
}  // namespace seams
