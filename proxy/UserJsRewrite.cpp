#include "proxy/UserJsRewrite.h"

#include <cstring>
#include <utility>

namespace {

// Every owned text starts with this prefix; the suffixes tell them apart.
constexpr std::string_view kOwnedPrefix = "user_pref(\"network.proxy.";
constexpr std::string_view kOwnedSuffixes[] = {"socks\",", "socks_port\",", "type\",", "socks_remote_dns\","};

bool HoldsOwnedText(std::string_view chunk)
{
    for (size_t at = chunk.find(kOwnedPrefix); at != std::string_view::npos;
         at = chunk.find(kOwnedPrefix, at + 1)) {
        const std::string_view rest = chunk.substr(at + kOwnedPrefix.size());
        for (std::string_view suffix : kOwnedSuffixes) {
            if (rest.starts_with(suffix))
                return true;
        }
    }
    return false;
}

// Length of the chunk that starts the text, or 0 when the text ends before the
// chunk does (no line feed within `room` bytes and fewer than `room` bytes).
size_t CompleteChunkLength(std::string_view text, size_t room)
{
    const size_t span = text.size() < room ? text.size() : room;
    if (const void* lineFeed = std::memchr(text.data(), '\n', span))
        return static_cast<size_t>(static_cast<const char*>(lineFeed) - text.data()) + 1;
    return span == room ? room : 0;
}

}  // namespace

UserJsRewriter::UserJsRewriter(std::function<bool(std::string_view)> sink) : sink_(std::move(sink))
{
    pending_.reserve(kChunkLimit);
}

bool UserJsRewriter::Emit(std::string_view bytes)
{
    if (bytes.empty() || failed_)
        return !failed_;
    if (!sink_(bytes)) {
        failed_ = true;
        return false;
    }
    keptAny_ = true;
    lastKept_ = bytes.back();
    return true;
}

bool UserJsRewriter::EmitChunk(std::string_view chunk)
{
    return HoldsOwnedText(chunk) || Emit(chunk);
}

// Extends the carried-over chunk start with the first bytes of the input and
// returns how many bytes it took.
size_t UserJsRewriter::CompletePending(std::string_view bytes)
{
    const size_t room = kChunkLimit - pending_.size();
    const size_t length = CompleteChunkLength(bytes, room);
    if (length == 0) {
        pending_.append(bytes);
        return bytes.size();
    }
    pending_.append(bytes.substr(0, length));
    EmitChunk(pending_);
    pending_.clear();
    return length;
}

// Cuts the input into chunks in place; consecutive kept chunks go to the sink
// as one piece.
bool UserJsRewriter::FeedWhole(std::string_view bytes)
{
    size_t runStart = 0;
    size_t at = 0;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        const size_t length = CompleteChunkLength(rest, kChunkLimit);
        if (length == 0) {
            pending_.assign(rest);
            break;
        }
        if (HoldsOwnedText(rest.substr(0, length))) {
            if (!Emit(bytes.substr(runStart, at - runStart)))
                return false;
            runStart = at + length;
        }
        at += length;
    }
    return Emit(bytes.substr(runStart, at - runStart));
}

bool UserJsRewriter::Feed(std::string_view bytes)
{
    if (failed_)
        return false;
    if (!pending_.empty())
        bytes.remove_prefix(CompletePending(bytes));
    return FeedWhole(bytes);
}

bool UserJsRewriter::Finish(std::string_view lines)
{
    if (!pending_.empty()) {
        EmitChunk(pending_);
        pending_.clear();
    }
    if (keptAny_ && lastKept_ != '\n')
        Emit("\r\n");
    return Emit(lines);
}

std::string RewriteUserJs(std::string_view original, std::string_view lines)
{
    std::string rewritten;
    rewritten.reserve(original.size() + lines.size() + 2);
    UserJsRewriter rewriter([&rewritten](std::string_view bytes) {
        rewritten.append(bytes);
        return true;
    });
    rewriter.Feed(original);
    rewriter.Finish(lines);
    return rewritten;
}
