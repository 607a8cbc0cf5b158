// Text composition that behaves the same on Windows and in the native tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Fills a format that uses "%s" placeholders (the form of the product's string
// resources) with the arguments in order; "%%" gives one percent sign. A
// placeholder without an argument left stays as it is, so a faulty resource
// text shows up plainly instead of reading past the arguments.
std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> args);

// The decimal digits of a number (std::to_wstring would bring the C
// library's whole formatted output into the executable).
std::wstring DecimalText(unsigned long long value);

// Each byte becomes one UTF-16 code unit of the same value (Latin-1 view).
std::wstring WidenBytes(std::string_view bytes);
