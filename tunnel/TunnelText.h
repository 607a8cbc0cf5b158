// The texts the tunnel engine hands to plink, the file system and the registry.
#pragma once

#include "tunnel/SocksPort.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// plink's arguments: "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962
// -l <user> -pwfile <file> <user>@<host>". The password never stands on a
// command line, where every program of the user could read it; plink reads it
// from the file, which is a pipe that Corvane serves once. The session, which
// no one saves, gives PuTTY's own defaults instead of the user's PuTTY
// settings (ports open to the network, agent forwarding, a traffic log), and
// with -noagent no key of the user's Pageant is offered to the server.
std::vector<std::wstring> TunnelArguments(std::wstring_view user, std::wstring_view passwordFile,
                                          std::wstring_view host);

// The arguments joined by single blanks, nothing quoted: the credentials can
// hold no blank, quote or control character, and the launch checks that the
// line splits back into exactly these arguments.
std::wstring TunnelCommandLine(std::wstring_view user, std::wstring_view passwordFile, std::wstring_view host);

// "\\.\pipe\Corvane-<guid>": the pipe through which plink reads the password.
std::wstring PasswordPipeName(std::wstring_view guid);

// The GUID as "%08lX-%04X-%04x-%02X%02X-%02X..." (Data3 in lower case), 36 characters.
std::wstring GuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]);

// "<dir>\Process<guid>.<ext>" with ext one of "in", "out", "err".
std::wstring ProcessFilePath(std::wstring_view dir, std::wstring_view guid, std::wstring_view ext);

// Only names of the program's own form: "Process", a GUID text (8-4-4-4-12 hex
// digits), then ".in", ".out" or ".err"; hex digits and extension in any case.
// Another program's "Process*.err" in the shared temporary folder is left alone.
bool IsProcessFileName(std::wstring_view fileName);

// Every connection balloon ends with this hint.
std::wstring AppendTrayHint(std::wstring_view text);

// Value name of the server's entry in PuTTY's host-key cache: "rsa2@4962:<host>".
std::wstring HostKeyValueName(std::wstring_view host);

// plink's standard input. CR LF declines every host-key question, so a server
// without the pinned key (seeded before each launch) never gets the password.
inline constexpr std::string_view kProcessInput = "\r\n";
