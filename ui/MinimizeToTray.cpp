#include "ui/CorvaneDlg.h"

LRESULT CCorvaneDlg::OnSysCommand(WPARAM, LPARAM)
{
    return Default();
}
