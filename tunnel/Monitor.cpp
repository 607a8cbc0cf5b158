#include "ui/CorvaneDlg.h"

LRESULT CCorvaneDlg::OnTimer(WPARAM, LPARAM) { return Default(); }
void CCorvaneDlg::MonitorTick() {}
void CCorvaneDlg::GiveUpTunnel() {}
bool CCorvaneDlg::RelaunchTunnel() { return false; }
std::wstring CCorvaneDlg::ReadProcessErrors() { return {}; }
