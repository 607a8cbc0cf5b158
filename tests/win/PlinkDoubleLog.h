// Reads what the plink double recorded: one line per start in
// plink-double.log beside the test executable.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct PlinkCall {
    unsigned long processId = 0;
    std::string commandLine;
    std::string standardInputHex;
    std::string hostKey;  // "<none>" when nothing was cached
    std::string answer;
    std::string password;  // what the -pwfile gave, "<none>" when it did not open
    bool inJob = false;    // in a job at its first instruction
};

std::filesystem::path PlinkDoubleLogPath();
std::vector<PlinkCall> ReadPlinkCalls();
void ClearPlinkCalls();
// Waits (bounded) until the double has recorded `count` starts.
bool WaitForPlinkCalls(size_t count, unsigned timeoutMs = 10000);
