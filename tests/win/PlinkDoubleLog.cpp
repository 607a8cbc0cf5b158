#include "PlinkDoubleLog.h"

#include "TestSupport.h"

#include <windows.h>

#include <sstream>

namespace {

std::string Unescape(const std::string& text)
{
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            plain += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

}  // namespace

std::filesystem::path PlinkDoubleLogPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / L"plink-double.log";
}

std::vector<PlinkCall> ReadPlinkCalls()
{
    std::vector<PlinkCall> calls;
    std::istringstream lines(ReadFileBytes(PlinkDoubleLogPath()));
    std::string line;
    while (std::getline(lines, line)) {
        PlinkCall call;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t')) {
            const size_t equals = field.find('=');
            const std::string key = field.substr(0, equals), value = field.substr(equals + 1);
            if (key == "pid")
                call.processId = std::stoul(value);
            else if (key == "cmdline")
                call.commandLine = Unescape(value);
            else if (key == "stdin")
                call.standardInputHex = value;
            else if (key == "hostkey")
                call.hostKey = Unescape(value);
            else if (key == "answer")
                call.answer = value;
            else if (key == "password")
                call.password = Unescape(value);
            else if (key == "injob")
                call.inJob = value == "1";
        }
        calls.push_back(call);
    }
    return calls;
}

void ClearPlinkCalls()
{
    std::error_code ignored;
    std::filesystem::remove(PlinkDoubleLogPath(), ignored);
}

bool WaitForPlinkCalls(size_t count, unsigned timeoutMs)
{
    return WaitFor([count] { return ReadPlinkCalls().size() >= count; }, timeoutMs);
}
