#include "Invocation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace plink_double {
namespace {

std::string_view SkipProgramWord(std::string_view line)
{
    if (line.starts_with('"')) {
        const auto close = line.find('"', 1);
        return close == std::string_view::npos ? std::string_view{} : line.substr(close + 1);
    }
    const auto blank = line.find(' ');
    return blank == std::string_view::npos ? std::string_view{} : line.substr(blank);
}

std::vector<std::string_view> SplitOnBlanks(std::string_view text)
{
    std::vector<std::string_view> words;
    for (;;) {
        const auto blank = text.find(' ');
        words.push_back(text.substr(0, blank));
        if (blank == std::string_view::npos)
            return words;
        text.remove_prefix(blank + 1);
    }
}

bool ParsePort(std::string_view word, int& port)
{
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), port);
    return error == std::errc{} && end == word.data() + word.size() && port > 0 && port < 65536;
}

bool IsUserNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '_' || c == '^' || c == '|';
}

UsageError Usage(std::string reason)
{
    return {reason + "; expected: plink -ssh -load Corvane-Tunnel -noagent -D <port> -P <port> -l <user> -pwfile <file> "
                     "<user>@<host>"};
}

}  // namespace

std::variant<Invocation, UsageError> ParseCommandLine(std::string_view commandLine)
{
    const auto rest = SkipProgramWord(commandLine);
    if (!rest.starts_with(' '))
        return Usage("no arguments");
    const auto words = SplitOnBlanks(rest.substr(1));
    if (words.size() != 13)
        return Usage("expected 13 arguments separated by single blanks, got " +
                     std::to_string(words.size()));
    constexpr std::array<std::pair<std::size_t, std::string_view>, 8> fixedWords{{{0, "-ssh"},
                                                                                 {1, "-load"},
                                                                                 {2, "Corvane-Tunnel"},
                                                                                 {3, "-noagent"},
                                                                                 {4, "-D"},
                                                                                 {6, "-P"},
                                                                                 {8, "-l"},
                                                                                 {10, "-pwfile"}}};
    for (const auto& [index, expected] : fixedWords)
        if (words[index] != expected)
            return Usage("argument " + std::to_string(index + 1) + " is \"" +
                         std::string(words[index]) + "\", not \"" + std::string(expected) + "\"");

    Invocation invocation;
    if (!ParsePort(words[5], invocation.socksPort))
        return Usage("bad -D port \"" + std::string(words[5]) + "\"");
    if (!ParsePort(words[7], invocation.sshPort))
        return Usage("bad -P port \"" + std::string(words[7]) + "\"");
    invocation.user = words[9];
    invocation.passwordFile = words[11];
    if (invocation.user.empty() || !std::ranges::all_of(invocation.user, IsUserNameCharacter))
        return Usage("bad user name \"" + invocation.user + "\"");
    if (invocation.passwordFile.empty())
        return Usage("empty password file");

    const auto target = words[12];
    const auto at = target.find('@');
    if (at == std::string_view::npos || target.substr(0, at) != invocation.user)
        return Usage("target \"" + std::string(target) + "\" is not <user>@<host> with the -l user");
    invocation.host = target.substr(at + 1);
    if (invocation.host.empty())
        return Usage("empty host name");
    return invocation;
}

Scenario ChooseScenario(std::string_view user)
{
    constexpr std::array<std::pair<std::string_view, ScenarioKind>, 5> named{{
        {"oldclosed", ScenarioKind::OldClosed},
        {"closed", ScenarioKind::Closed},
        {"deny", ScenarioKind::Deny},
        {"silent", ScenarioKind::Silent},
        {"otherkey", ScenarioKind::OtherKey},
    }};
    for (const auto& [prefix, kind] : named)
        if (user.starts_with(prefix))
            return {kind};

    constexpr std::string_view exitAfter = "exitafter";
    if (user.starts_with(exitAfter)) {
        Scenario scenario{ScenarioKind::ExitAfter};
        const auto digits = user.substr(exitAfter.size());
        std::from_chars(digits.data(), digits.data() + digits.size(), scenario.seconds);
        return scenario;
    }
    return {};
}

}  // namespace plink_double
