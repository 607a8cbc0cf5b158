#include "tunnel/MonitorDecision.h"

#include <utility>

#include "framework/TextFormat.h"

namespace {

bool Contains(std::wstring_view text, std::wstring_view part)
{
    return text.find(part) != std::wstring_view::npos;
}

}  // namespace

bool EndedAfterLoginGrace(int ticks, int graceTicks)
{
    return ticks > graceTicks;
}

TunnelFailure ClassifyTunnelError(std::wstring_view errorText)
{
    if (Contains(errorText, L"Access denied"))
        return TunnelFailure::LoginRefused;
    if (Contains(errorText, L"Server unexpectedly closed") || Contains(errorText, L"Remote side unexpectedly closed"))
        return TunnelFailure::ServerClosed;
    return TunnelFailure::Other;
}

MonitorStep DecideAfterFailure(std::wstring_view errorText, bool reconnecting, bool retryPromptArmed)
{
    using Action = MonitorStep::Action;
    switch (ClassifyTunnelError(errorText)) {
    case TunnelFailure::LoginRefused:
        return {Action::ShowLoginRefused, retryPromptArmed};
    case TunnelFailure::ServerClosed:
        return {reconnecting ? Action::ShowNetworkLost : Action::ShowServerClosed, retryPromptArmed};
    case TunnelFailure::Other:
        break;
    }
    if (!retryPromptArmed)
        return {Action::RelaunchSilently, true};
    return {Action::AskRetry, false};
}

ProcessErrors InterpretProcessErrors(std::string_view errorFileBytes, std::wstring_view unexpectedErrorText)
{
    std::wstring text = WidenBytes(errorFileBytes.substr(0, kMaxErrorTextBytes));
    if (text.empty())
        return {std::wstring(unexpectedErrorText), false};
    if (Contains(text, L"enter \"y\""))
        return {std::wstring(), true};
    return {std::move(text), false};
}

PortListener JudgePortListeners(const std::vector<uint32_t>& owners, uint32_t childProcessId)
{
    if (owners.empty())
        return PortListener::NoneYet;
    for (const uint32_t owner : owners)
        if (owner != 0 && owner != childProcessId)
            return PortListener::Foreign;
    return PortListener::Ours;
}
