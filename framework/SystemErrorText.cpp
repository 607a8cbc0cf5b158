#include "framework/SystemErrorText.h"

#include "framework/Handles.h"
#include "framework/TextFormat.h"

namespace {

constexpr DWORD kLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// FormatMessageW from `flags` and `source`; empty when there is no text.
std::wstring FormatMessageText(DWORD flags, HMODULE source, DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(flags | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, source,
                         error, kLanguage, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const UniqueLocalMemory owned(text);
    return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

}  // namespace

std::wstring SystemErrorText(DWORD error)
{
    if (std::wstring text = FormatMessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error); !text.empty())
        return text;
    // The product imports WinINet, so its module is loaded wherever its codes arise.
    if (HMODULE wininet = ::GetModuleHandleW(L"wininet.dll")) {
        if (std::wstring text = FormatMessageText(FORMAT_MESSAGE_FROM_HMODULE, wininet, error); !text.empty())
            return text;
    }
    return L"Error code " + DecimalText(error) + L".";
}
