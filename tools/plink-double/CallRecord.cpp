#include "CallRecord.h"

#include <cstdio>

namespace plink_double {
namespace {

std::string Hex(unsigned char byte)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    return digits;
}

std::string Escaped(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%')
            escaped += '%' + Hex(byte);
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace

std::string FormatRecord(const CallRecord& record)
{
    std::string stdinHex;
    for (const char c : record.standardInput)
        stdinHex += Hex(static_cast<unsigned char>(c));
    return "pid=" + std::to_string(record.processId) +
           "\tcmdline=" + Escaped(record.commandLine) +
           "\tstdin=" + stdinHex +
           "\thostkey=" + (record.cachedKey ? Escaped(*record.cachedKey) : "<none>") +
           "\tanswer=" + record.hostKeyAnswer +
           "\tpassword=" + (record.password ? Escaped(*record.password) : "<none>") +
           "\tinjob=" + (record.inJob ? "1" : "0") + "\n";
}

}  // namespace plink_double
