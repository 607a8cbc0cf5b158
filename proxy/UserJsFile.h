// Firefox's user.js rewritten on disk: streamed through the rewriter into a
// temporary file beside it, flushed to the disk, which then replaces it in one
// step written through, so that a power cut leaves the old or the new file.
#pragma once

#include <string>
#include <string_view>

// Rewrites `userJsPath` (created empty when missing) into `tempPath` and moves
// that over user.js. Both files are held with exclusive sharing while they are
// open. When anything fails, user.js stays exactly as it was (a user.js that
// this call created is removed again) and the temporary file does not remain.
// True when user.js was replaced.
// `lines` are the proxy lines appended at its end.
bool RewriteUserJsFile(const std::wstring& userJsPath, const std::wstring& tempPath, std::string_view lines);
