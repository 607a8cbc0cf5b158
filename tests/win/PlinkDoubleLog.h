// Reads what the plink double recorded: one line per start in
// plink-double.log beside the test executable, of tab-separated key=value
// fields. The values these tests compare hold no byte the double escapes.
#pragma once

#include "TestSupport.h"

#include <map>
#include <sstream>

struct PlinkCall {
    unsigned long processId = 0;
    // hostKey: "<none>" when nothing was cached; password: what the -pwfile gave, "<none>" when it did not open.
    std::string commandLine, standardInputHex, hostKey, answer, password;
    bool inJob = false;  // in a job at its first instruction
};

inline std::vector<PlinkCall> ReadPlinkCalls()
{
    std::vector<PlinkCall> calls;
    std::istringstream lines(ReadBytes(TestProgramFolder() / L"plink-double.log"));
    for (std::string line; std::getline(lines, line);) {
        std::map<std::string, std::string> f;
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');)
            f[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
        calls.push_back({std::stoul(f["pid"]), f["cmdline"], f["stdin"], f["hostkey"], f["answer"], f["password"],
                         f["injob"] == "1"});
    }
    return calls;
}

inline void ClearPlinkCalls()
{
    ::DeleteFileW((TestProgramFolder() / L"plink-double.log").c_str());
}

// Waits (bounded) until the double has recorded `count` starts.
inline bool WaitForPlinkCalls(size_t count)
{
    return WaitFor([count] { return ReadPlinkCalls().size() >= count; }, 10000);
}
