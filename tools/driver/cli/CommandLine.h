// The arguments of driver.exe, platform-free: which action on which window.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driver::cli {

enum class Verb {
    Wait,        // wait TITLE [TIMEOUT_MS]            prints the process id
    WaitClosed,  // wait-closed TITLE [TIMEOUT_MS]
    Text,        // text TITLE ID                      prints the text
    Set,         // set TITLE ID TEXT
    Click,       // click TITLE ID
    Check,       // check TITLE ID                     prints 1 or 0
    SetCheck,    // set-check TITLE ID 0|1
    Combo,       // combo TITLE ID                     prints one item a line
    Selected,    // selected TITLE ID                  prints the index
    Select,      // select TITLE ID INDEX [--no-wait]
    BoxText,     // box-text [TIMEOUT_MS] [--title T]  prints the text
    Answer,      // answer BUTTON [TIMEOUT_MS] [--title T]
    Command,     // command TITLE ID
    Tray,        // tray TITLE MOUSE_MESSAGE
    Menu,        // menu TITLE POSITION               choose in the open popup menu
    MenuClose,   // menu-close TITLE
    Screenshot,  // screenshot PATH [TITLE]
};

// Caption of the program's own message boxes, the default of --title.
inline constexpr wchar_t kDefaultBoxTitle[] = L"Corvane";
inline constexpr std::chrono::milliseconds kDefaultWindowTimeout{10000};
inline constexpr std::chrono::milliseconds kDefaultBoxTimeout{5000};

struct Command {
    Verb verb = Verb::Wait;
    std::wstring title;  // the window's whole title; the box caption for box-text and answer
    int id = 0;          // control or command id
    int number = 0;      // index, check state, button id or mouse message
    std::wstring text;   // new text, or the screenshot's path
    std::chrono::milliseconds timeout{kDefaultWindowTimeout};
    bool wait = true;    // select: send the notification (false: post it)

    bool operator==(const Command&) const = default;
};

struct ParseResult {
    std::optional<Command> command;
    std::string error;  // set when command is empty
};

ParseResult ParseCommandLine(const std::vector<std::wstring>& args);

// Decimal, or hexadecimal after "0x"; an optional leading minus. Nothing for
// anything else, including numbers out of the int range.
std::optional<int> ParseInteger(std::wstring_view text);

// IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDCLOSE, or a number.
std::optional<int> ParseButton(std::wstring_view text);

// WM_MOUSEMOVE, WM_LBUTTONDOWN ... WM_MBUTTONDBLCLK, or a number.
std::optional<int> ParseMouseMessage(std::wstring_view text);

std::string UsageText();

}  // namespace driver::cli
