#include "ui/CorvaneDlg.h"

bool CCorvaneDlg::LaunchTunnel() { return false; }
std::wstring CCorvaneDlg::GetServerHost() const { return {}; }
bool CCorvaneDlg::CreateProcessInputFile() { return false; }
