#include "proxy/ProxyJournal.h"

#include "framework/App.h"
#include "framework/Handles.h"
#include "proxy/ConnectionRestore.h"
#include "proxy/FirefoxProxy.h"
#include "proxy/SystemProxy.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const wchar_t* kRunOncePath = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

const wchar_t* PartName(JournalPart part)
{
    return part == JournalPart::System ? L"System" : L"Firefox";
}

// Empty when the application has no profile key.
std::wstring JournalKeyPath()
{
    CWinApp* app = AfxGetApp();
    if (!app || app->m_strAppName.empty())
        return {};
    // Without a company the path has an empty step: there is no profile key.
    const std::wstring profile = app->ProfileKeyPath();
    return profile.find(L"\\\\") != std::wstring::npos ? std::wstring() : profile + L"\\ProxyJournal";
}

UniqueRegKey OpenJournalKey(REGSAM access, bool create)
{
    const std::wstring path = JournalKeyPath();
    if (path.empty())
        return {};
    HKEY key = nullptr;
    const LSTATUS status =
        create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                   nullptr, &key, nullptr)
               : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key);
    return UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

bool HasValue(HKEY key, const wchar_t* name)
{
    return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& text)
{
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The value's name is the program's, so that each installed copy has its own.
void SetRunOnce()
{
    wchar_t program[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunOncePath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const UniqueRegKey runOnce(key);
    if (WriteString(runOnce.Get(), AfxGetApp()->m_strAppName.c_str(), L"\"" + std::wstring(program) + L"\" -r"))
        ::RegFlushKey(runOnce.Get());
}

void RemoveRunOnce()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunOncePath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    const UniqueRegKey runOnce(key);
    ::RegDeleteValueW(runOnce.Get(), AfxGetApp()->m_strAppName.c_str());
}

}  // namespace

bool RecordJournalPart(JournalPart part, const std::wstring& text)
{
    const UniqueRegKey key = OpenJournalKey(KEY_QUERY_VALUE | KEY_SET_VALUE, true);
    if (!key)
        return false;
    if (HasValue(key.Get(), PartName(part)))
        return true;
    // On disk before anything it records is changed.
    return WriteString(key.Get(), PartName(part), text) && ::RegFlushKey(key.Get()) == ERROR_SUCCESS;
}

bool RecordProxyJournal()
{
    bool recorded = true;
    if (!ReadJournalPart(JournalPart::System)) {
        const std::vector<ConnectionOptions> connections = QueryConnections();
        recorded = !connections.empty() &&
                   RecordJournalPart(JournalPart::System, SerializeConnections(JournalOfConnections(connections)));
    }
    recorded = RecordFirefoxPrior() && recorded;
    SetRunOnce();
    return recorded;
}

void AbandonProxyJournal()
{
    PutBackSystemProxy();
    if (!FirefoxPointsAtTunnel())
        RemoveJournalPart(JournalPart::Firefox);
}

std::optional<std::wstring> ReadJournalPart(JournalPart part)
{
    const UniqueRegKey key = OpenJournalKey(KEY_QUERY_VALUE, false);
    DWORD type = 0;
    DWORD size = 0;
    if (!key || ::RegQueryValueExW(key.Get(), PartName(part), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), PartName(part), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

void RemoveJournalPart(JournalPart part)
{
    const UniqueRegKey key = OpenJournalKey(KEY_QUERY_VALUE | KEY_SET_VALUE, false);
    if (!key)
        return;
    ::RegDeleteValueW(key.Get(), PartName(part));
    ::RegFlushKey(key.Get());
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        values > 0)
        return;
    RemoveRunOnce();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, JournalKeyPath().c_str());
}
