// The tunnel client's command line as Corvane builds it, and the scenario the
// double plays for it. Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace plink_double {

struct Invocation {
    int socksPort = 0;
    int sshPort = 0;
    std::string user;
    std::string passwordFile;  // -pwfile: plink reads the password's first line from it
    std::string host;
};

// A command line that breaks the contract, with the reason in words.
struct UsageError {
    std::string message;
};

// Accepts exactly "<program> -ssh -load Corvane-Tunnel -noagent -D <port>
// -P <port> -l <user> -pwfile <file> <user>@<host>", words joined by single blanks; a password on the command
// line (-pw) is refused. The program word may be quoted
// and may be a path; it is not looked at.
std::variant<Invocation, UsageError> ParseCommandLine(std::string_view commandLine);

enum class ScenarioKind {
    Stay,       // up until terminated, SOCKS on the -D port
    Deny,       // the server refuses the password
    Closed,     // the server closes the connection after the login
    OldClosed,  // the same, worded as older plink releases did
    Silent,     // ends with exit code 1 and nothing on stderr
    ExitAfter,  // up for a number of seconds, then closed like Closed
    OtherKey,   // the server presents a host key other than the pinned one
};

struct Scenario {
    ScenarioKind kind = ScenarioKind::Stay;
    int seconds = 0;  // ExitAfter only
};

// The scenario is named by the start of the user name: "deny", "closed",
// "oldclosed", "silent", "exitafter<N>", "otherkey"; anything else stays up.
Scenario ChooseScenario(std::string_view user);

}  // namespace plink_double
