#include "proxy/FirefoxProxy.h"

void SetFirefoxProxy(bool) {}
