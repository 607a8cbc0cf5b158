#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnConnect() {}
bool CCorvaneDlg::SwitchServer() { return false; }
int CCorvaneDlg::ConfirmServerSwitch(int, int) { return IDNO; }
