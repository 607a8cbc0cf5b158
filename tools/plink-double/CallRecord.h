// One line of plink-double.log: what a start of the double was given.
// Platform-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plink_double {

struct CallRecord {
    unsigned long processId = 0;
    std::string commandLine;               // UTF-8
    std::string standardInput;             // raw bytes
    std::optional<std::string> cachedKey;  // the host-key cache value, if any
    std::string hostKeyAnswer;             // AnswerName, or "bad-command-line"
    std::optional<std::string> password;   // the line read from -pwfile, if it opened
    bool inJob = false;                    // already in a job at its first instruction
};

// "pid=<n>\tcmdline=<text>\tstdin=<hex>\thostkey=<text>|<none>\tanswer=<name>
// \tpassword=<text>|<none>\tinjob=<0|1>\n".
// Text values carry '%', control characters and DEL as %XX, so a value never
// holds a tab or a line break; stdin is lower-case hex, two digits a byte.
std::string FormatRecord(const CallRecord& record);

}  // namespace plink_double
