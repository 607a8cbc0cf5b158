// Firefox's proxy preferences in the user.js of its first profile.
#pragma once

// Points Firefox at the tunnel (enable) or at no proxy. Never reports anything.
void SetFirefoxProxy(bool enable);
