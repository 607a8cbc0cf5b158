#include "tunnel/TunnelText.h"

#include "framework/TextFormat.h"

namespace {

constexpr std::wstring_view kProcessPrefix = L"Process";
constexpr size_t kGuidLength = 36;

void AppendHex(std::wstring& text, uint32_t value, int digits, bool upperCase)
{
    const wchar_t* const alphabet = upperCase ? L"0123456789ABCDEF" : L"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += alphabet[(value >> shift) & 0xF];
}

bool IsHexDigit(wchar_t unit)
{
    return (unit >= L'0' && unit <= L'9') || (unit >= L'a' && unit <= L'f') || (unit >= L'A' && unit <= L'F');
}

bool IsGuidText(std::wstring_view text)
{
    if (text.size() != kGuidLength)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dashPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (dashPlace ? text[i] != L'-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](wchar_t unit) { return unit >= L'A' && unit <= L'Z' ? unit - L'A' + L'a' : unit; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::wstring> TunnelArguments(std::wstring_view user, std::wstring_view passwordFile,
                                          std::wstring_view host)
{
    return {L"plink",   L"-ssh", L"-load", L"Corvane-Tunnel",        L"-noagent",
            L"-D",      DecimalText(kSocksPort), L"-P", L"4962", L"-l", std::wstring(user),
            L"-pwfile", std::wstring(passwordFile), FormatText(L"%s@%s", {user, host})};
}

std::wstring TunnelCommandLine(std::wstring_view user, std::wstring_view passwordFile, std::wstring_view host)
{
    std::wstring line;
    for (const std::wstring& argument : TunnelArguments(user, passwordFile, host)) {
        if (!line.empty())
            line += L' ';
        line += argument;
    }
    return line;
}

std::wstring PasswordPipeName(std::wstring_view guid)
{
    return std::wstring(L"\\\\.\\pipe\\Corvane-").append(guid);
}

std::wstring GuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8])
{
    std::wstring text;
    text.reserve(kGuidLength);
    AppendHex(text, data1, 8, true);
    text += L'-';
    AppendHex(text, data2, 4, true);
    text += L'-';
    AppendHex(text, data3, 4, false);
    text += L'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            text += L'-';
        AppendHex(text, data4[i], 2, true);
    }
    return text;
}

std::wstring ProcessFilePath(std::wstring_view dir, std::wstring_view guid, std::wstring_view ext)
{
    return FormatText(L"%s\\Process%s.%s", {dir, guid, ext});
}

bool IsProcessFileName(std::wstring_view fileName)
{
    if (!fileName.starts_with(kProcessPrefix))
        return false;
    fileName.remove_prefix(kProcessPrefix.size());
    if (fileName.size() <= kGuidLength || !IsGuidText(fileName.substr(0, kGuidLength)))
        return false;
    const std::wstring_view extension = fileName.substr(kGuidLength);
    return EqualsIgnoringAsciiCase(extension, L".in") || EqualsIgnoringAsciiCase(extension, L".out") ||
           EqualsIgnoringAsciiCase(extension, L".err");
}

std::wstring AppendTrayHint(std::wstring_view text)
{
    return std::wstring(text).append(L"\nClick on the icon for more options.");
}

std::wstring HostKeyValueName(std::wstring_view host)
{
    return std::wstring(L"rsa2@4962:").append(host);
}
