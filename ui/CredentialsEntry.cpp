#include "ui/CorvaneDlg.h"

bool CCorvaneDlg::ValidateUsername(const std::wstring&) { return true; }
bool CCorvaneDlg::ValidatePassword(const std::wstring&) { return true; }
void CCorvaneDlg::OnChangeUsername() {}
void CCorvaneDlg::OnChangePassword() {}
void CCorvaneDlg::OnRememberClicked() {}
