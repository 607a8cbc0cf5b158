#include "proxy/JournalText.h"

#include <string>

namespace {

void AppendEscaped(std::wstring& out, std::wstring_view field)
{
    for (wchar_t c : field) {
        switch (c) {
        case L'\\': out += L"\\\\"; break;
        case L'\t': out += L"\\t"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\0': out += L"\\0"; break;
        default: out += c; break;
        }
    }
}

std::optional<std::wstring> Unescaped(std::wstring_view field)
{
    std::wstring out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != L'\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field[i]) {
        case L'\\': out += L'\\'; break;
        case L't': out += L'\t'; break;
        case L'n': out += L'\n'; break;
        case L'r': out += L'\r'; break;
        case L'0': out += L'\0'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::wstring JoinJournalRecords(const std::vector<std::vector<std::wstring>>& records)
{
    std::wstring text(kJournalHeader);
    text += L'\n';
    for (const std::vector<std::wstring>& record : records) {
        for (size_t i = 0; i < record.size(); ++i) {
            if (i > 0)
                text += L'\t';
            AppendEscaped(text, record[i]);
        }
        text += L'\n';
    }
    return text;
}

std::optional<std::vector<std::vector<std::wstring>>> SplitJournalRecords(std::wstring_view text)
{
    const size_t headerEnd = text.find(L'\n');
    if (headerEnd == std::wstring_view::npos || text.substr(0, headerEnd) != kJournalHeader)
        return std::nullopt;
    text.remove_prefix(headerEnd + 1);

    std::vector<std::vector<std::wstring>> records;
    while (!text.empty()) {
        const size_t lineEnd = text.find(L'\n');
        if (lineEnd == std::wstring_view::npos)
            return std::nullopt;  // cut short: the last record lost its end
        std::wstring_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + 1);
        std::vector<std::wstring> fields;
        for (;;) {
            const size_t tab = line.find(L'\t');
            std::optional<std::wstring> field = Unescaped(line.substr(0, tab));
            if (!field)
                return std::nullopt;
            fields.push_back(std::move(*field));
            if (tab == std::wstring_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
        records.push_back(std::move(fields));
    }
    return records;
}

std::optional<std::uint32_t> ParseJournalNumber(std::wstring_view field)
{
    if (field.empty() || field.size() > 10)
        return std::nullopt;
    // Ten digits overflow 32 bits (unsigned long has only 32 on Windows).
    std::uint64_t value = 0;
    for (wchar_t c : field) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}
