// COM on the calling thread for the lifetime of the object.
#pragma once

#include <objbase.h>

class ScopedCom {
public:
    ScopedCom() : m_initialized(SUCCEEDED(::CoInitialize(nullptr))) {}
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;
    ~ScopedCom()
    {
        if (m_initialized)
            ::CoUninitialize();
    }

private:
    bool m_initialized;
};
