// driver.exe: the window driver for scripts. One action per run; results on
// stdout (UTF-8), failures on stderr with exit code 1, bad arguments exit 2.
#include "CommandLine.h"
#include "WindowDriver.h"

#include <cstdio>
#include <string>

namespace {

using driver::cli::Command;
using driver::cli::Verb;

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;
// How long an action waits for the window it names to exist.
constexpr driver::milliseconds kFindTimeout{5000};

void Print(const std::wstring& line)
{
    const std::string text = driver::ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The window named by its title; hidden windows count, because a program in
// the tray still takes commands.
HWND Window(const std::wstring& title)
{
    HWND window = driver::WaitForWindow(driver::WindowQuery{title, {}, 0, true}, kFindTimeout);
    if (!window)
        window = driver::FindTopLevelWindow(driver::WindowQuery{title, {}, 0, false});
    if (!window)
        throw driver::DriverError("no window titled \"" + driver::ToUtf8(title) + "\"");
    return window;
}

HWND Box(const Command& command)
{
    HWND box = driver::FindDialog(driver::DialogQuery{0, command.title, {}}, command.timeout);
    if (!box)
        throw driver::DriverError("no message box titled \"" + driver::ToUtf8(command.title) + "\"");
    return box;
}

int Run(const Command& command)
{
    switch (command.verb) {
    case Verb::Wait: {
        HWND window = driver::WaitForWindow(command.title, command.timeout);
        if (!window)
            throw driver::DriverError("no visible window titled \"" + driver::ToUtf8(command.title) + "\" appeared");
        Print(std::to_wstring(driver::ProcessIdOf(window)));
        return 0;
    }
    case Verb::WaitClosed:
        if (!driver::WaitUntil([&] { return !driver::FindTopLevelWindow({command.title, {}, 0, true}); },
                               command.timeout))
            throw driver::DriverError("a window titled \"" + driver::ToUtf8(command.title) + "\" is still visible");
        return 0;
    case Verb::Text:
        Print(driver::GetText(Window(command.title), command.id));
        return 0;
    case Verb::Set:
        driver::SetEditText(Window(command.title), command.id, command.text);
        return 0;
    case Verb::Click:
        driver::Click(Window(command.title), command.id);
        return 0;
    case Verb::Check:
        Print(driver::GetCheck(Window(command.title), command.id) ? L"1" : L"0");
        return 0;
    case Verb::SetCheck:
        driver::SetCheck(Window(command.title), command.id, command.number != 0);
        return 0;
    case Verb::Combo: {
        int index = 0;
        for (const auto& item : driver::ComboItems(Window(command.title), command.id))
            Print(std::to_wstring(index++) + L"\t" + std::to_wstring(item.data) + L"\t" +
                  std::to_wstring(item.image) + L"\t" + std::to_wstring(item.selectedImage) + L"\t" + item.text);
        return 0;
    }
    case Verb::Selected:
        Print(std::to_wstring(driver::ComboSelection(Window(command.title), command.id)));
        return 0;
    case Verb::Select:
        driver::Select(Window(command.title), command.id, command.number,
                       command.wait ? driver::Delivery::Send : driver::Delivery::Post);
        return 0;
    case Verb::BoxText:
        Print(driver::MessageBoxText(Box(command)));
        return 0;
    case Verb::Answer:
        if (!driver::Answer(Box(command), command.number))
            throw driver::DriverError("the box is still open after the answer");
        return 0;
    case Verb::Command:
        driver::SendCommand(Window(command.title), command.id);
        return 0;
    case Verb::Tray:
        driver::SendTrayCallback(driver::ProcessIdOf(Window(command.title)), static_cast<UINT>(command.number));
        return 0;
    case Verb::Menu:
    case Verb::MenuClose: {
        HWND menu = driver::WaitForPopupMenu(driver::ProcessIdOf(Window(command.title)), kFindTimeout);
        if (!menu)
            throw driver::DriverError("no popup menu is open");
        if (command.verb == Verb::Menu)
            driver::ChoosePopupMenuItem(menu, command.number);
        else
            driver::DismissPopupMenu(menu);
        return 0;
    }
    case Verb::Screenshot:
        if (command.title.empty())
            driver::SaveScreenshot(command.text);
        else
            driver::SaveWindowScreenshot(command.text, Window(command.title));
        return 0;
    }
    return kFailed;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const auto parsed = driver::cli::ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!parsed.command) {
        std::fprintf(stderr, "driver: %s\n%s", parsed.error.c_str(), driver::cli::UsageText().c_str());
        return kBadArguments;
    }
    try {
        return Run(*parsed.command);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "driver: %s\n", error.what());
        return kFailed;
    }
}
