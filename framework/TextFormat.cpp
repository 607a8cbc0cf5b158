#include "framework/TextFormat.h"

#include <iterator>

std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> args)
{
    std::wstring text;
    text.reserve(format.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L'%') {
                text += L'%';
                ++i;
                continue;
            }
            if (format[i + 1] == L's' && next != args.end()) {
                text += *next++;
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

std::wstring WidenBytes(std::string_view bytes)
{
    std::wstring text(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        text[i] = static_cast<unsigned char>(bytes[i]);
    return text;
}

std::wstring DecimalText(unsigned long long value)
{
    wchar_t digits[24];
    size_t start = std::size(digits);
    do {
        digits[--start] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(digits + start, std::size(digits) - start);
}
