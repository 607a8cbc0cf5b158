#include "CommandLine.h"

#include <climits>
#include <span>
#include <utility>

namespace driver::cli {
namespace {

struct Name {
    std::wstring_view name;
    int value;
};

// Dialog-box command ids of Windows.
constexpr Name kButtons[] = {
    {L"IDOK", 1}, {L"IDCANCEL", 2}, {L"IDABORT", 3}, {L"IDRETRY", 4},
    {L"IDIGNORE", 5}, {L"IDYES", 6}, {L"IDNO", 7}, {L"IDCLOSE", 8},
};

// Mouse messages that the shell passes to a tray icon's callback.
constexpr Name kMouseMessages[] = {
    {L"WM_MOUSEMOVE", 0x200}, {L"WM_LBUTTONDOWN", 0x201}, {L"WM_LBUTTONUP", 0x202},
    {L"WM_LBUTTONDBLCLK", 0x203}, {L"WM_RBUTTONDOWN", 0x204}, {L"WM_RBUTTONUP", 0x205},
    {L"WM_RBUTTONDBLCLK", 0x206}, {L"WM_MBUTTONDOWN", 0x207}, {L"WM_MBUTTONUP", 0x208},
    {L"WM_MBUTTONDBLCLK", 0x209},
};

struct VerbForm {
    std::wstring_view name;
    Verb verb;
    std::size_t required;  // positional arguments after the verb
    std::size_t optional;
};

constexpr VerbForm kVerbs[] = {
    {L"wait", Verb::Wait, 1, 1},        {L"wait-closed", Verb::WaitClosed, 1, 1},
    {L"text", Verb::Text, 2, 0},        {L"set", Verb::Set, 3, 0},
    {L"click", Verb::Click, 2, 0},      {L"check", Verb::Check, 2, 0},
    {L"set-check", Verb::SetCheck, 3, 0}, {L"combo", Verb::Combo, 2, 0},
    {L"selected", Verb::Selected, 2, 0}, {L"select", Verb::Select, 3, 0},
    {L"box-text", Verb::BoxText, 0, 1}, {L"answer", Verb::Answer, 1, 1},
    {L"command", Verb::Command, 2, 0},  {L"tray", Verb::Tray, 2, 0},
    {L"menu", Verb::Menu, 2, 0},        {L"menu-close", Verb::MenuClose, 1, 0},
    {L"screenshot", Verb::Screenshot, 1, 1},
};

std::optional<int> Lookup(std::wstring_view text, std::span<const Name> names)
{
    for (const auto& entry : names)
        if (entry.name == text)
            return entry.value;
    return ParseInteger(text);
}

std::string Narrow(std::wstring_view text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

ParseResult Fail(std::string error)
{
    return ParseResult{std::nullopt, std::move(error)};
}

// Fills the command from the positional arguments of its verb; an error text or empty.
std::string Fill(Command& command, const std::vector<std::wstring>& args)
{
    auto integer = [&](std::size_t at, int& into, const char* what) -> std::string {
        const auto value = ParseInteger(args[at]);
        if (!value)
            return std::string("not a number for ") + what + ": " + Narrow(args[at]);
        into = *value;
        return {};
    };
    auto timeout = [&](std::size_t at) -> std::string {
        int ms = 0;
        if (auto error = integer(at, ms, "the time-out"); !error.empty())
            return error;
        if (ms < 0)
            return "negative time-out: " + Narrow(args[at]);
        command.timeout = std::chrono::milliseconds(ms);
        return {};
    };

    switch (command.verb) {
    case Verb::Wait:
    case Verb::WaitClosed:
        command.title = args[0];
        return args.size() > 1 ? timeout(1) : std::string{};
    case Verb::BoxText:
        command.timeout = kDefaultBoxTimeout;
        return args.empty() ? std::string{} : timeout(0);
    case Verb::Answer: {
        command.timeout = kDefaultBoxTimeout;
        const auto button = ParseButton(args[0]);
        if (!button)
            return "unknown button: " + Narrow(args[0]);
        command.number = *button;
        return args.size() > 1 ? timeout(1) : std::string{};
    }
    case Verb::Screenshot:
        command.text = args[0];
        command.title = args.size() > 1 ? args[1] : std::wstring{};
        return {};
    case Verb::MenuClose:
        command.title = args[0];
        return {};
    case Verb::Menu: {
        command.title = args[0];
        if (auto error = integer(1, command.number, "the position"); !error.empty())
            return error;
        return command.number < 0 ? "negative position: " + Narrow(args[1]) : std::string{};
    }
    case Verb::Tray: {
        command.title = args[0];
        const auto message = ParseMouseMessage(args[1]);
        if (!message)
            return "unknown mouse message: " + Narrow(args[1]);
        command.number = *message;
        return {};
    }
    default:
        break;
    }

    // The verbs that address a control or command of a window: TITLE ID [...]
    command.title = args[0];
    if (auto error = integer(1, command.id, "the id"); !error.empty())
        return error;
    switch (command.verb) {
    case Verb::Set:
        command.text = args[2];
        return {};
    case Verb::SetCheck:
        if (args[2] != L"0" && args[2] != L"1")
            return "check state must be 0 or 1: " + Narrow(args[2]);
        command.number = args[2] == L"1";
        return {};
    case Verb::Select:
        if (auto error = integer(2, command.number, "the index"); !error.empty())
            return error;
        return command.number < 0 ? "negative index: " + Narrow(args[2]) : std::string{};
    default:
        return {};
    }
}

}  // namespace

std::optional<int> ParseInteger(std::wstring_view text)
{
    const bool negative = !text.empty() && text.front() == L'-';
    if (negative)
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (wchar_t c : text) {
        int digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> ParseButton(std::wstring_view text)
{
    return Lookup(text, kButtons);
}

std::optional<int> ParseMouseMessage(std::wstring_view text)
{
    return Lookup(text, kMouseMessages);
}

ParseResult ParseCommandLine(const std::vector<std::wstring>& args)
{
    if (args.empty())
        return Fail("no action given");

    Command command;
    std::vector<std::wstring> positional;
    std::optional<std::wstring> boxTitle;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == L"--title") {
            if (++i == args.size())
                return Fail("--title needs a caption");
            boxTitle = args[i];
        } else if (args[i] == L"--no-wait") {
            command.wait = false;
        } else {
            positional.push_back(args[i]);
        }
    }

    const VerbForm* form = nullptr;
    for (const auto& candidate : kVerbs)
        if (candidate.name == args[0])
            form = &candidate;
    if (!form)
        return Fail("unknown action: " + Narrow(args[0]));
    command.verb = form->verb;

    const bool takesBoxTitle = command.verb == Verb::BoxText || command.verb == Verb::Answer;
    if (boxTitle && !takesBoxTitle)
        return Fail("--title applies to box-text and answer only");
    if (!command.wait && command.verb != Verb::Select)
        return Fail("--no-wait applies to select only");
    if (positional.size() < form->required || positional.size() > form->required + form->optional)
        return Fail("wrong number of arguments for " + Narrow(form->name));

    if (auto error = Fill(command, positional); !error.empty())
        return Fail(error);
    if (takesBoxTitle)
        command.title = boxTitle.value_or(kDefaultBoxTitle);
    return ParseResult{command, {}};
}

std::string UsageText()
{
    return "usage: driver ACTION ARGUMENTS\n"
           "  wait TITLE [TIMEOUT_MS]          wait for a visible window; prints its process id\n"
           "  wait-closed TITLE [TIMEOUT_MS]   wait until no visible window has that title\n"
           "  text TITLE ID                    print a control's text\n"
           "  set TITLE ID TEXT                set an edit's text\n"
           "  click TITLE ID                   click a button\n"
           "  check TITLE ID                   print 1 if a check box is checked, else 0\n"
           "  set-check TITLE ID 0|1           check or uncheck a check box\n"
           "  combo TITLE ID                   print an extended combo box's items:\n"
           "                                   index, item data, image, selected image, text\n"
           "  selected TITLE ID                print the selected index (-1: none)\n"
           "  select TITLE ID INDEX [--no-wait] select an item and notify the dialog\n"
           "  box-text [TIMEOUT_MS] [--title T] print the text of a message box\n"
           "  answer BUTTON [TIMEOUT_MS] [--title T]  press IDOK, IDCANCEL, IDYES, IDNO, ...\n"
           "  command TITLE ID                 post a menu command to the window\n"
           "  tray TITLE MOUSE_MESSAGE         post a tray callback (WM_RBUTTONUP, ...) to the\n"
           "                                   tray window of the program that owns TITLE\n"
           "  menu TITLE POSITION              choose an item of the popup menu open in the\n"
           "                                   program that owns TITLE (0: first; separators do\n"
           "                                   not count)\n"
           "  menu-close TITLE                 close that popup menu without a choice\n"
           "  screenshot PATH [TITLE]          save the screen (or that window) as a 24-bit BMP\n"
           "Message boxes are found by their caption, \"Corvane\" unless --title says otherwise.\n"
           "Ids are decimal or 0x hexadecimal. Exit code 0: done; 1: failed; 2: bad arguments.\n";
}

}  // namespace driver::cli
