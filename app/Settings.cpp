#include "app/Settings.h"

#include "framework/App.h"

#include <windows.h>

namespace settings {

unsigned GetInt(const wchar_t* name, int defaultValue)
{
    return AfxGetApp()->GetProfileInt(kSection, name, defaultValue);
}

std::wstring GetString(const wchar_t* name)
{
    return AfxGetApp()->GetProfileString(kSection, name, L"");
}

void WriteInt(const wchar_t* name, int value)
{
    AfxGetApp()->WriteProfileInt(kSection, name, value);
}

void WriteString(const wchar_t* name, const std::wstring& value)
{
    AfxGetApp()->WriteProfileString(kSection, name, value);
}

std::wstring ReadCustomerId(const std::wstring& iniPath)
{
    wchar_t buffer[kCustomerIdBuffer] = {};
    ::GetPrivateProfileStringW(kIniSection, kIniCustomerId, L"", buffer, kCustomerIdBuffer, iniPath.c_str());
    return buffer;
}

}  // namespace settings
