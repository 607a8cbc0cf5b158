// plink.exe, the test double of PuTTY's plink: honours the tunnel client
// contract and plays the scenario named by the start of the user name (see
// README.md). Every start appends one line to plink-double.log beside the exe.
#include "CallRecord.h"
#include "ForwardPort.h"
#include "HostKeyCache.h"
#include "HostKeyQuestion.h"
#include "Invocation.h"
#include "Win32Text.h"

#include <windows.h>

#include <optional>
#include <string>
#include <variant>

using namespace plink_double;

namespace {

// The key that the double's server shows: the demo service's pinned key, or
// for "otherkey" the same text with its last digit changed.
std::string ServerKey(ScenarioKind kind)
{
    std::string key = PLINK_DOUBLE_SERVER_KEY;
    if (kind == ScenarioKind::OtherKey)
        key.back() = key.back() == '0' ? '1' : '0';
    return key;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// All of a redirected file or pipe, up to 64 KiB; nothing from a console or
// a character device, which would block.
std::string ReadStandardInput()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const DWORD type = input ? GetFileType(input) : FILE_TYPE_UNKNOWN;
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (bytes.size() < 65536 && ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}

// The first line of the -pwfile, as plink reads it; none when it cannot be
// opened. A pipe that Corvane serves holds the password and a LF.
std::optional<std::string> ReadPasswordFile(const std::string& path)
{
    const Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (line.size() < 4096 && ReadFile(file.Get(), &c, 1, &read, nullptr) && read == 1 && c != '\n')
        line += c;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void WriteError(std::string_view text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

void AppendToLog(const CallRecord& record)
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    path.erase(path.find_last_of(L'\\') + 1);
    path += L"plink-double.log";
    const Handle log(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto line = FormatRecord(record);
    DWORD written = 0;
    WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

constexpr std::string_view kClosedText =
    "FATAL ERROR: Remote side unexpectedly closed network connection\r\n";

int Play(const Scenario& scenario, const Invocation& invocation)
{
    if (scenario.kind == ScenarioKind::Silent)
        return 1;
    WriteError("Using username \"" + invocation.user + "\".\r\n");
    switch (scenario.kind) {
    case ScenarioKind::Deny:
        WriteError("Access denied\r\nFATAL ERROR: Configured password was not accepted\r\n");
        return 1;
    case ScenarioKind::Closed:
        WriteError(kClosedText);
        return 1;
    case ScenarioKind::OldClosed:
        WriteError("FATAL ERROR: Server unexpectedly closed network connection\r\n");
        return 1;
    case ScenarioKind::ExitAfter: {
        const ForwardPort forward(invocation.socksPort);
        Sleep(static_cast<DWORD>(scenario.seconds) * 1000);
        WriteError(kClosedText);
        return 1;
    }
    default: {
        const ForwardPort forward(invocation.socksPort);
        Sleep(INFINITE);
        return 0;
    }
    }
}

}  // namespace

int wmain()
{
    CallRecord record;
    // First: a tunnel that runs one instruction outside Corvane's job could
    // outlive Corvane.
    BOOL inJob = FALSE;
    record.inJob = IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) && inJob;
    record.processId = GetCurrentProcessId();
    record.commandLine = Utf8(GetCommandLineW());
    record.standardInput = ReadStandardInput();

    const auto parsed = ParseCommandLine(record.commandLine);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        record.hostKeyAnswer = "bad-command-line";
        AppendToLog(record);
        WriteError("plink test double: " + error->message + "\r\n");
        return 2;
    }
    const auto& invocation = std::get<Invocation>(parsed);
    // plink reads the password file while it reads its arguments, before it connects.
    record.password = ReadPasswordFile(invocation.passwordFile);
    const auto scenario = ChooseScenario(invocation.user);
    const auto serverKey = ServerKey(scenario.kind);

    if (!record.password) {
        record.hostKeyAnswer = "no-password";
        AppendToLog(record);
        WriteError("FATAL ERROR: unable to open password file\r\n");
        return 1;
    }
    record.cachedKey = ReadCachedHostKey(invocation.sshPort, invocation.host);
    const auto question = AskFor(record.cachedKey, serverKey);
    const auto answer = Answer(question, record.standardInput);
    record.hostKeyAnswer = AnswerName(answer);
    AppendToLog(record);

    if (question != HostKeyQuestion::None)
        WriteError(QuestionText(question, invocation.host, invocation.sshPort));
    if (answer == HostKeyAnswer::Abandoned) {
        WriteError(kAbandonedText);
        return 0;
    }
    if (answer == HostKeyAnswer::Stored)
        StoreHostKey(invocation.sshPort, invocation.host, serverKey);
    return Play(scenario, invocation);
}
