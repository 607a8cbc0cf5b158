#include "web/UpdateCheck.h"

bool CheckForUpdates(CWnd*)
{
    return false;
}
