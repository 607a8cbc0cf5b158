#include "HostKeyQuestion.h"

namespace plink_double {

HostKeyQuestion AskFor(const std::optional<std::string>& cachedKey, std::string_view serverKey)
{
    if (!cachedKey)
        return HostKeyQuestion::Absent;
    return *cachedKey == serverKey ? HostKeyQuestion::None : HostKeyQuestion::Changed;
}

HostKeyAnswer Answer(HostKeyQuestion question, std::string_view standardInput)
{
    if (question == HostKeyQuestion::None)
        return HostKeyAnswer::Cached;
    constexpr std::size_t readSize = 31;
    auto chunk = standardInput.substr(0, readSize);
    while (!chunk.empty() && (chunk.front() == 'i' || chunk.front() == 'I')) {
        standardInput.remove_prefix(chunk.size());
        chunk = standardInput.substr(0, readSize);
    }
    const char first = chunk.empty() ? '\0' : chunk.front();
    switch (first) {
    case '\0': case '\r': case '\n': case 'q': case 'Q':
        return HostKeyAnswer::Abandoned;
    case 'y': case 'Y':
        return HostKeyAnswer::Stored;
    default:
        return HostKeyAnswer::AcceptedOnce;
    }
}

std::string_view AnswerName(HostKeyAnswer answer)
{
    switch (answer) {
    case HostKeyAnswer::Cached: return "cached";
    case HostKeyAnswer::Stored: return "stored";
    case HostKeyAnswer::AcceptedOnce: return "accepted-once";
    case HostKeyAnswer::Abandoned: return "abandoned";
    }
    return "unknown";
}

std::string QuestionText(HostKeyQuestion question, std::string_view host, int port)
{
    const std::string server = "  " + std::string(host) + " (port " + std::to_string(port) + ")\r\n";
    const std::string fingerprint = "  ssh-rsa 1024 SHA256:(fingerprint not computed by the test double)\r\n";
    if (question == HostKeyQuestion::Absent)
        return "The host key is not cached for this server:\r\n" + server +
               "You have no guarantee that the server is the computer you\r\n"
               "think it is.\r\n"
               "The server's rsa2 key fingerprint is:\r\n" + fingerprint +
               "If you trust this host, enter \"y\" to add the key to Plink's\r\n"
               "cache and carry on connecting.\r\n"
               "If you want to carry on connecting just once, without adding\r\n"
               "the key to the cache, enter \"n\".\r\n"
               "If you do not trust this host, press Return to abandon the\r\n"
               "connection.\r\n"
               "Store key in cache? (y/n, Return cancels connection, i for more info) ";
    return "WARNING - POTENTIAL SECURITY BREACH!\r\n"
           "The host key does not match the one Plink has cached for\r\n"
           "this server:\r\n" + server +
           "This means that either the server administrator has changed\r\n"
           "the host key, or you have actually connected to another\r\n"
           "computer pretending to be the server.\r\n"
           "The new rsa2 key fingerprint is:\r\n" + fingerprint +
           "If you were expecting this change and trust the new key,\r\n"
           "enter \"y\" to update Plink's cache and carry on connecting.\r\n"
           "If you want to carry on connecting but without updating the\r\n"
           "cache, enter \"n\".\r\n"
           "If you want to abandon the connection completely, press\r\n"
           "Return to cancel. Pressing Return is the ONLY guaranteed\r\n"
           "safe choice.\r\n"
           "Update cached key? (y/n, Return cancels connection, i for more info) ";
}

}  // namespace plink_double
