// The connection monitor's decisions once the tunnel process has ended, free of
// timers, processes and message boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A process that ends after more than this many one-second ticks dropped an
// established connection and is restarted without asking.
inline constexpr int kLoginGraceTicks = 90;

bool EndedAfterLoginGrace(int ticks, int graceTicks);

enum class TunnelFailure { LoginRefused, ServerClosed, Other };

// "Access denied" wins; a server-side close is reported by older plink as
// "Server unexpectedly closed" and by current plink as "Remote side
// unexpectedly closed".
TunnelFailure ClassifyTunnelError(std::wstring_view errorText);

struct MonitorStep {
    enum class Action {
        ShowLoginRefused,  // message 155, then give up
        ShowServerClosed,  // message 156, then give up
        ShowNetworkLost,   // message 157 (the closing process was a relaunch), then give up
        RelaunchSilently,  // relaunch on the second server entry
        AskRetry,          // message 154: Retry relaunches on the first entry, Cancel gives up
    } action;
    bool retryPromptArmedAfter;
};

// Other failures alternate between a silent relaunch and the Retry question;
// the messages leave the alternation to the give-up, which resets it.
MonitorStep DecideAfterFailure(std::wstring_view errorText, bool reconnecting, bool retryPromptArmed);

// At most this much of the error file is kept: a runaway file cannot exhaust
// memory or fill a message box.
inline constexpr size_t kMaxErrorTextBytes = 64 * 1024;

struct ProcessErrors {
    std::wstring text;
    bool hostKeyQuestion;  // plink asked about an unknown host key (`enter "y"`)
};

// Each byte of the error file becomes one character. An empty file gives the
// unexpected-error text (string 153); a host-key question gives an empty text.
ProcessErrors InterpretProcessErrors(std::string_view errorFileBytes, std::wstring_view unexpectedErrorText);

enum class PortListener {
    NoneYet,  // nothing listens on the SOCKS port yet: look again next tick
    Ours,     // the child's, or one whose owner the system does not name
    Foreign,  // another process's: the proxies would hand it the user's traffic
};

// Judges the listeners on the SOCKS port against the tunnel process. An owner
// id of 0 is unknown (Wine reports 0 for every owner) and never counts as
// foreign, so the check cannot stop a good tunnel.
PortListener JudgePortListeners(const std::vector<uint32_t>& owners, uint32_t childProcessId);
