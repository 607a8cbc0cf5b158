// The text form of Corvane's journal of replaced settings: a version line,
// then one record per line, its fields separated by tabs. Fields may hold
// any character; tab, line breaks, NUL and the backslash are escaped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The first line of every journal text; a journal of another version is not read.
inline constexpr std::wstring_view kJournalHeader = L"Corvane journal 1";

// Header line, then each record as one line of escaped fields.
std::wstring JoinJournalRecords(const std::vector<std::vector<std::wstring>>& records);

// The records of a journal text, unescaped; nothing when the header is not
// this version's or an escape is malformed.
std::optional<std::vector<std::vector<std::wstring>>> SplitJournalRecords(std::wstring_view text);

// Unsigned 32-bit decimal field; nothing when it is not one.
std::optional<std::uint32_t> ParseJournalNumber(std::wstring_view field);
