#include "ui/CorvaneDlg.h"

void CCorvaneDlg::StopTunnel() {}
void CCorvaneDlg::DeleteProcessFiles() {}
void CCorvaneDlg::CloseProcessFiles() {}
LRESULT CCorvaneDlg::OnEndSession(WPARAM, LPARAM) { return Default(); }
