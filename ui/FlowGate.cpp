// One flow at a time. A command (a click, a menu or tray choice, an
// accelerator, a list selection), WM_CLOSE and a monitor tick each start a
// flow, and a flow may wait in a message box or warning dialog. That box's
// message loop would run whatever arrives next inside the waiting flow, which
// then acts on a state changed under it (a Retry that restarts the tunnel
// after a Disconnect, an OK that connects after 32823 ended the dialog). So
// while a flow runs, arriving commands and WM_CLOSE are held and posted again,
// in order, once it has ended; a monitor tick is dropped, since its timer
// keeps running and ticks again. 32823 marks the end as requested at once, so
// the waiting flow leaves the system alone after its box. Everything else
// (painting, an edit's changes, the end of the session) is handled as it comes.
#include "res/resource.h"
#include "ui/CorvaneDlg.h"

#include <utility>

namespace {

bool StartsFlow(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_COMMAND:
        // 0: a click or a menu choice; 1: an accelerator or a list selection.
        return HIWORD(wParam) == 0 || HIWORD(wParam) == 1;
    case WM_CLOSE:
        return true;
    case WM_TIMER:
        return wParam == IDT_TUNNEL_MONITOR;
    default:
        return false;
    }
}

}  // namespace

// Marks the dialog as in a flow; at the end releases what arrived meanwhile,
// also when a handler left by an exception.
class CCorvaneDlg::FlowScope {
public:
    explicit FlowScope(CCorvaneDlg& dialog) : m_dialog(dialog) { m_dialog.m_bInFlow = true; }
    FlowScope(const FlowScope&) = delete;
    FlowScope& operator=(const FlowScope&) = delete;
    ~FlowScope()
    {
        m_dialog.m_bInFlow = false;
        // A dialog that the flow ended takes nothing more.
        for (const HeldMessage& held : std::exchange(m_dialog.m_heldMessages, {}))
            if (m_dialog.GetSafeHwnd())
                m_dialog.PostMessage(held.message, held.wParam, held.lParam);
    }

private:
    CCorvaneDlg& m_dialog;
};

bool CCorvaneDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!StartsFlow(message, wParam))
        return CDialogWithTable::HandleMessage(message, wParam, lParam, result);
    if (m_bInFlow) {
        if (message == WM_COMMAND && LOWORD(wParam) == ID_END_DIALOG)
            m_bEndRequested = true;
        if (message != WM_TIMER)
            m_heldMessages.push_back({message, wParam, lParam});
        return true;
    }
    FlowScope flow(*this);
    return CDialogWithTable::HandleMessage(message, wParam, lParam, result);
}
