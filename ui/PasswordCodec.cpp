#include "ui/PasswordCodec.h"

#include <cstdint>

namespace {

constexpr size_t kBufferUnits = 64;
constexpr uint32_t kShift = 10;

// 'v', 'x', 'y' and 'z' are stored as the code page 1252 characters at their
// shifted positions 0x80, 0x82, 0x83 and 0x84, given as their UTF-16 values.
struct SpecialPair {
    uint32_t plain;
    uint32_t encoded;
};
constexpr SpecialPair kSpecialPairs[] = {
    {L'v', 0x20AC},
    {L'x', 0x201A},
    {L'y', 0x0192},
    {L'z', 0x201E},
};

uint32_t EncodeUnit(uint32_t unit)
{
    for (const SpecialPair& pair : kSpecialPairs) {
        if (unit == pair.plain)
            return pair.encoded;
    }
    return (unit + kShift) & 0xFFFF;
}

uint32_t DecodeUnit(uint32_t unit)
{
    for (const SpecialPair& pair : kSpecialPairs) {
        if (unit == pair.encoded)
            return pair.plain;
    }
    return (unit - kShift) & 0xFFFF;
}

template <typename Map>
std::wstring Transform(std::wstring_view text, Map map)
{
    std::wstring result;
    const size_t limit = text.size() < kBufferUnits - 1 ? text.size() : kBufferUnits - 1;
    for (size_t i = 0; i < limit; ++i) {
        const uint32_t unit = static_cast<uint32_t>(text[i]) & 0xFFFF;
        if (unit == 0)
            break;
        const uint32_t mapped = map(unit);
        if (mapped == 0)
            break;
        result += static_cast<wchar_t>(mapped);
    }
    return result;
}

}  // namespace

std::wstring EncodePassword(std::wstring_view plain)
{
    return Transform(plain, EncodeUnit);
}

std::wstring DecodePassword(std::wstring_view encoded)
{
    return Transform(encoded, DecodeUnit);
}
