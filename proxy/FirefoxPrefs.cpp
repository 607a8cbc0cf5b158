#include "proxy/FirefoxPrefs.h"

#include "proxy/JournalText.h"
#include "tunnel/SocksPort.h"

#include <cctype>
#include <utility>
#include <vector>

namespace {

constexpr std::wstring_view kPrefTag = L"pref";
constexpr std::array<std::string_view, kProxyPrefNames.size()> kTunnelValues = {"\"localhost\"", kSocksPortText, "1",
                                                                                 "true"};
constexpr std::array<std::string_view, kProxyPrefNames.size()> kDefaultValues = {"\"\"", "0", "5", "false"};

constexpr std::string_view kUserPref = "user_pref(";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
}

// A string literal with its quotes (backslash escapes taken as they stand).
std::optional<std::string_view> TakeString(std::string_view& text)
{
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"') {
            const std::string_view literal = text.substr(0, i + 1);
            text.remove_prefix(i + 1);
            return literal;
        }
    }
    return std::nullopt;
}

// A number or true/false.
std::optional<std::string_view> TakeWord(std::string_view& text)
{
    size_t length = 0;
    while (length < text.size() && (std::isalnum(static_cast<unsigned char>(text[length])) || text[length] == '-' ||
                                    text[length] == '+'))
        ++length;
    const std::string_view word = text.substr(0, length);
    const bool number = !word.empty() && word.find_first_not_of("+-0123456789") == std::string_view::npos &&
                        word.find_first_of("0123456789") != std::string_view::npos;
    if (!number && word != "true" && word != "false")
        return std::nullopt;
    text.remove_prefix(length);
    return word;
}

// One `"name", value)` after "user_pref(": the name and the value's text.
std::optional<std::pair<std::string_view, std::string_view>> ParsePref(std::string_view text)
{
    SkipBlanks(text);
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    const auto name = TakeString(text);
    if (!name)
        return std::nullopt;
    SkipBlanks(text);
    if (text.empty() || text.front() != ',')
        return std::nullopt;
    text.remove_prefix(1);
    SkipBlanks(text);
    const auto value = !text.empty() && text.front() == '"' ? TakeString(text) : TakeWord(text);
    if (!value)
        return std::nullopt;
    SkipBlanks(text);
    if (text.empty() || text.front() != ')')
        return std::nullopt;
    return std::pair{name->substr(1, name->size() - 2), *value};
}

void ReadLine(std::string_view line, ProxyPrefValues& prefs)
{
    SkipBlanks(line);
    if (line.starts_with("//") || line.starts_with("/*") || line.starts_with("*"))
        return;
    for (size_t at = line.find(kUserPref); at != std::string_view::npos; at = line.find(kUserPref, at + 1)) {
        const auto pref = ParsePref(line.substr(at + kUserPref.size()));
        if (!pref)
            continue;
        for (size_t i = 0; i < kProxyPrefNames.size(); ++i) {
            if (pref->first == kProxyPrefNames[i])
                prefs.values[i] = std::string(pref->second);
        }
    }
}

std::string PrefLine(size_t index, std::string_view value)
{
    return "user_pref(\"" + std::string(kProxyPrefNames[index]) + "\", " + std::string(value) + ");\r\n";
}

}  // namespace

ProxyPrefValues ReadProxyPrefs(std::string_view text)
{
    ProxyPrefValues prefs;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        ReadLine(text.substr(0, end), prefs);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return prefs;
}

ProxyPrefValues PriorProxyPrefs(std::string_view userJs, std::string_view prefsJs)
{
    ProxyPrefValues prior = ReadProxyPrefs(userJs);
    const ProxyPrefValues stored = ReadProxyPrefs(prefsJs);
    for (size_t i = 0; i < prior.values.size(); ++i) {
        if (!prior.values[i])
            prior.values[i] = stored.values[i];
    }
    if (PointsAtTheTunnel(prior)) {
        for (size_t i = 0; i < prior.values.size(); ++i) {
            if (prior.values[i] == kTunnelValues[i])
                prior.values[i].reset();
        }
    }
    return prior;
}

bool PointsAtTheTunnel(const ProxyPrefValues& prefs)
{
    return prefs.values[0] == kTunnelValues[0] && prefs.values[1] == kTunnelValues[1];
}

std::string TunnelPrefLines()
{
    std::string lines;
    for (size_t i = 0; i < kProxyPrefNames.size(); ++i)
        lines += PrefLine(i, kTunnelValues[i]);
    return lines;
}

std::string RestoredPrefLines(const ProxyPrefValues* prior, const ProxyPrefValues& current)
{
    std::string lines;
    for (size_t i = 0; i < kProxyPrefNames.size(); ++i) {
        const std::optional<std::string>& now = current.values[i];
        if (now && *now != kTunnelValues[i])
            lines += PrefLine(i, *now);
        else if (prior && prior->values[i])
            lines += PrefLine(i, *prior->values[i]);
        else
            lines += PrefLine(i, kDefaultValues[i]);
    }
    return lines;
}

std::wstring SerializeProxyPrefs(const ProxyPrefValues& prefs)
{
    std::vector<std::vector<std::wstring>> records;
    for (size_t i = 0; i < kProxyPrefNames.size(); ++i) {
        // Preference files are single-byte text: each byte becomes one character.
        const std::string& value = prefs.values[i].value_or("");
        records.push_back({std::wstring(kPrefTag), std::wstring(kProxyPrefNames[i].begin(), kProxyPrefNames[i].end()),
                           prefs.values[i] ? L"1" : L"0",
                           std::wstring(reinterpret_cast<const unsigned char*>(value.data()),
                                        reinterpret_cast<const unsigned char*>(value.data()) + value.size())});
    }
    return JoinJournalRecords(records);
}

std::optional<ProxyPrefValues> ParseProxyPrefs(std::wstring_view text)
{
    const auto records = SplitJournalRecords(text);
    if (!records || records->size() != kProxyPrefNames.size())
        return std::nullopt;
    ProxyPrefValues prefs;
    for (size_t i = 0; i < kProxyPrefNames.size(); ++i) {
        const std::vector<std::wstring>& r = (*records)[i];
        const std::wstring name(kProxyPrefNames[i].begin(), kProxyPrefNames[i].end());
        if (r.size() != 4 || r[0] != kPrefTag || r[1] != name || (r[2] != L"0" && r[2] != L"1"))
            return std::nullopt;
        std::string value;
        for (wchar_t c : r[3]) {
            if (c > 0xFF)
                return std::nullopt;
            value += static_cast<char>(c);
        }
        if (r[2] == L"1")
            prefs.values[i] = std::move(value);
        else if (!value.empty())
            return std::nullopt;
    }
    return prefs;
}
