#include "PlinkDoubleLog.h"

#include "TestSupport.h"

#include <map>
#include <sstream>

namespace {

// The double writes %XX for bytes that would break its line format.
std::string Unescape(const std::string& text)
{
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool escaped = text[i] == '%' && i + 2 < text.size();
        plain += escaped ? static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)) : text[i];
        i += escaped ? 2 : 0;
    }
    return plain;
}

}  // namespace

std::filesystem::path PlinkDoubleLogPath()
{
    return TestProgramFolder() / L"plink-double.log";
}

// One line per start, of tab-separated key=value fields.
std::vector<PlinkCall> ReadPlinkCalls()
{
    std::vector<PlinkCall> calls;
    std::istringstream lines(ReadFileBytes(PlinkDoubleLogPath()));
    for (std::string line; std::getline(lines, line);) {
        std::map<std::string, std::string> fields;
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');)
            fields[field.substr(0, field.find('='))] = Unescape(field.substr(field.find('=') + 1));
        calls.push_back({std::stoul(fields["pid"]), fields["cmdline"], fields["stdin"], fields["hostkey"],
                         fields["answer"], fields["password"], fields["injob"] == "1"});
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
