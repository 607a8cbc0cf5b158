// plink's host-key check as seen from outside: which question it asks for the
// cached value, and what the answer in standard input does. Platform-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plink_double {

enum class HostKeyQuestion {
    None,     // the cache holds exactly the server's key
    Absent,   // no key cached for this server
    Changed,  // the cache holds another key
};

HostKeyQuestion AskFor(const std::optional<std::string>& cachedKey, std::string_view serverKey);

enum class HostKeyAnswer {
    Cached,       // no question was asked
    Stored,       // "y": the key goes into the cache, the connection goes on
    AcceptedOnce, // any other byte: the connection goes on, nothing stored
    Abandoned,    // nothing, NUL, CR, LF, "q": "Connection abandoned."
};

// plink reads its answer in chunks of up to 31 bytes and looks at the first
// byte of each; "i" asks for more information and makes it read again.
HostKeyAnswer Answer(HostKeyQuestion question, std::string_view standardInput);

std::string_view AnswerName(HostKeyAnswer answer);

// The question as plink writes it to standard error, CR LF line ends.
std::string QuestionText(HostKeyQuestion question, std::string_view host, int port);

inline constexpr std::string_view kAbandonedText = "Connection abandoned.\r\n";

}  // namespace plink_double
