#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnAbout() {}
