// Exit: warn while connected, stop the tunnel and restore the system, remove
// the tray icon, then end the dialog.
#include "browsers/Warnings.h"
#include "framework/WaitCursor.h"
#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnClose()
{
    if (ConfirmExit())
        EndDialog(IDOK);
}

bool CCorvaneDlg::ConfirmExit()
{
    CWaitCursor wait;
    if (m_bConnected) {
        if (!ConfirmExitWarning(m_warnings, m_bConnected))
            return false;
        StopTunnel();
    }
    m_trayIcon.DeleteIcon(kTrayIconId);
    return true;
}

void CCorvaneDlg::EndWithoutExitFlow(INT_PTR result)
{
    // Escape, IDOK and command 32823 (sent by an installer or uninstaller)
    // end the dialog without asking, but never leave the tunnel running with
    // the system pointed at it.
    if (m_bConnected || m_tunnel.Started())
        StopTunnel();
    EndDialog(result);
}

void CCorvaneDlg::OnOK()
{
    // Enter presses Connect; with Connect disabled it presses nothing.
    if (m_bEndRequested)
        EndWithoutExitFlow(IDOK);
}

void CCorvaneDlg::OnCancel()
{
    EndWithoutExitFlow(IDCANCEL);
}
