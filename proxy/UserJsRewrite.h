// The rewrite of Firefox's user.js that replaces Corvane's proxy lines with
// new ones (see FirefoxPrefs.h for their values). Streaming, so a large preference file never sits in memory
// whole; the Win32 side supplies the bytes and writes what the sink receives.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The file is cut into chunks that end right after a line feed or at 1024
// bytes, whichever comes first. A chunk holding one of the owned texts
// (`user_pref("network.proxy.socks",` and the same for socks_port, type and
// socks_remote_dns) anywhere is dropped; every other chunk goes to the sink
// unchanged and in order. Finish then appends the new lines.
class UserJsRewriter {
public:
    static constexpr size_t kChunkLimit = 1024;

    // The sink receives consecutive pieces of the new file and returns false
    // when it could not write them.
    explicit UserJsRewriter(std::function<bool(std::string_view)> sink);

    // Any split of the input gives the same output. False once the sink failed.
    bool Feed(std::string_view bytes);

    // Ends the input (one file per rewriter). Kept text that does not end in a
    // line feed gets CR LF, so the appended lines never run into it.
    bool Finish(std::string_view lines);

private:
    bool Emit(std::string_view bytes);
    bool EmitChunk(std::string_view chunk);
    size_t CompletePending(std::string_view bytes);
    bool FeedWhole(std::string_view bytes);

    std::function<bool(std::string_view)> sink_;
    std::string pending_;  // start of a chunk whose end has not arrived yet
    bool failed_ = false;
    bool keptAny_ = false;
    char lastKept_ = '\0';
};

// The whole rewrite over bytes in memory.
std::string RewriteUserJs(std::string_view original, std::string_view lines);
