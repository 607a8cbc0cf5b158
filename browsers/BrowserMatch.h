// Which known browser a process image name stands for.
#pragma once

#include <cstdint>
#include <string_view>

// The browser set: one bit per known browser, no other bit ever set.
constexpr uint32_t BROWSER_IE = 0x1;
constexpr uint32_t BROWSER_FIREFOX = 0x2;

// The image name upper-cased and searched for "IEXPLORE.EXE" and "FIREFOX.EXE"
// as substrings, so any name that merely contains one of them counts as well.
uint32_t BrowserBitsOfImageName(std::wstring_view imageName);
