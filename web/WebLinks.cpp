#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnManageMyAccount() {}
void CCorvaneDlg::OnHelp() {}
void CCorvaneDlg::OnVerifyMyConnection() {}
void CCorvaneDlg::OnSignUp() {}
void CCorvaneDlg::OnCheckForUpdates() {}
