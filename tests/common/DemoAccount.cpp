#include "DemoAccount.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>

namespace {

std::wstring DemoAccount(const wchar_t* variable)
{
    wchar_t value[128] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, value, 128);
    if (length == 0 || length >= 128) {
        ADD_FAILURE() << std::string(variable, variable + std::wcslen(variable))
                      << " is not set; tools/testbench/run-chain-tests.sh sets it";
        return {};
    }
    return value;
}

}  // namespace

std::wstring DemoUser()
{
    return DemoAccount(L"CORVANE_DEMO_USER");
}

std::wstring DemoPassword()
{
    return DemoAccount(L"CORVANE_DEMO_PASSWORD");
}
