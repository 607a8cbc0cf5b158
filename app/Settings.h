// The settings store: the values of the profile section "Corvane" with their
// defaults, read and written through the application object at the moment
// the user changes them.
#pragma once

#include <string>

namespace settings {

inline constexpr const wchar_t* kSection = L"Corvane";

inline constexpr const wchar_t* kUsername = L"Username";
inline constexpr const wchar_t* kPassword = L"Password";  // EncodePassword of the password
inline constexpr const wchar_t* kRemember = L"Remember";
inline constexpr const wchar_t* kCurrentLocation = L"CurrentLocation";
inline constexpr const wchar_t* kExitMessage = L"ExitMessage";
inline constexpr const wchar_t* kBrowserMessage = L"BrowserMessage";
inline constexpr const wchar_t* kEnableBrowserMessage = L"EnableBrowserMessage";
inline constexpr const wchar_t* kEnableSwitchSrvrMessage = L"EnableSwitchSrvrMessage";
inline constexpr const wchar_t* kX = L"X";
inline constexpr const wchar_t* kY = L"Y";
inline constexpr const wchar_t* kLastUpdateAsk = L"LastUpdateAsk";
inline constexpr const wchar_t* kLastUpdateCheck = L"LastUpdateCheck";

inline constexpr int kDefaultRemember = 0;
inline constexpr int kDefaultLocation = 200;
inline constexpr int kDefaultMessageFlag = 1;
inline constexpr int kDefaultX = 300;
inline constexpr int kDefaultY = 200;
inline constexpr int kDefaultLastUpdateAsk = 0;

// The INI file beside the executable holds the customer id.
inline constexpr const wchar_t* kIniFileName = L"Corvane.ini";
inline constexpr const wchar_t* kIniSection = L"STATISTICS";
inline constexpr const wchar_t* kIniCustomerId = L"C_ID";
inline constexpr unsigned kCustomerIdBuffer = 256;

unsigned GetInt(const wchar_t* name, int defaultValue);
std::wstring GetString(const wchar_t* name);
void WriteInt(const wchar_t* name, int value);
void WriteString(const wchar_t* name, const std::wstring& value);

// The customer id of the INI file, empty when the file or the key is missing.
std::wstring ReadCustomerId(const std::wstring& iniPath);

}  // namespace settings
