// The demo account of a real-chain run: run-chain-tests.sh passes its name
// and its password (new on every run) in CORVANE_DEMO_USER and
// CORVANE_DEMO_PASSWORD. An unset value fails the test and reads as empty.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

inline std::wstring DemoAccount(const wchar_t* variable)
{
    wchar_t value[128] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, value, 128);
    if (length == 0 || length >= 128)
        ADD_FAILURE() << testing::PrintToString(std::wstring(variable)) << " is not set; tools/testbench/run-chain-tests.sh sets it";
    return length < 128 ? value : L"";
}

inline std::wstring DemoUser() { return DemoAccount(L"CORVANE_DEMO_USER"); }
inline std::wstring DemoPassword() { return DemoAccount(L"CORVANE_DEMO_PASSWORD"); }
