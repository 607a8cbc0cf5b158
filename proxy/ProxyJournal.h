// Corvane's journal of the settings it replaces, kept in its own registry key
// (subkey "ProxyJournal" of the profile key) from before the system proxy is
// switched on until everything is put back, so that a run that ends in any
// way (a kill, a crash, a log-off) can still be undone by the next start or
// by " -r". While a journal exists, a per-user RunOnce value runs
// "<program> -r" at the next log-on.
#pragma once

#include <optional>
#include <string>

enum class JournalPart { System, Firefox };

// Records what switching on will replace: the connections' options and
// Firefox's values of Corvane's preferences. A part that is still waiting to
// be put back (an earlier switch-off failed) is kept as it is. Flushed to
// disk before it returns, then the RunOnce value is set. False when the
// journal could not be written; the switch then goes on without it.
bool RecordProxyJournal();

// Writes one part unless it is already there, flushed to disk.
bool RecordJournalPart(JournalPart part, const std::wstring& text);

// After a switch-on that failed: puts back silently what was switched, and
// forgets the Firefox part when Firefox was never pointed at the tunnel.
void AbandonProxyJournal();

std::optional<std::wstring> ReadJournalPart(JournalPart part);
// Removes one part once it is put back; with the last part go the journal's
// key and the RunOnce value.
void RemoveJournalPart(JournalPart part);
