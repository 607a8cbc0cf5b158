#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnClose() { EndDialog(IDOK); }
bool CCorvaneDlg::ConfirmExit() { return true; }
void CCorvaneDlg::EndWithoutExitFlow(INT_PTR result) { EndDialog(result); }
void CCorvaneDlg::OnOK() { EndWithoutExitFlow(IDOK); }
void CCorvaneDlg::OnCancel() { EndWithoutExitFlow(IDCANCEL); }
