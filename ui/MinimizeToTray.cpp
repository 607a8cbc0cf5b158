#include "ui/CorvaneDlg.h"

#include "tunnel/TunnelText.h"

// Minimising goes to the tray: the default processing minimises the window,
// OnActivate then hides it, and the balloon tells the user where it went.
LRESULT CCorvaneDlg::OnSysCommand(WPARAM command, LPARAM)
{
    const LRESULT result = Default();
    if (command != SC_MINIMIZE)
        return result;
    HICON icon = m_bConnected ? m_hIconConnected : m_hIconDisconnected;
    m_trayIcon.SetIcon(icon);
    m_trayIcon.ShowIcon();
    m_trayIcon.ShowBalloon(AppendTrayHint(L"Corvane has been minimized to the System Tray."), icon);
    return result;
}
