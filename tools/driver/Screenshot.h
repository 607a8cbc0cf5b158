// Pictures of the screen as 24-bit BMP files, for reports of failed tests and
// for the demo. They show what the display shows: under Wine a window that has
// just appeared can still be missing from it for a moment.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>

namespace driver {

// Captures the whole screen, or the part of it inside `crop` (screen
// coordinates, clipped to the screen), and writes it to `path`. Throws
// DriverError when nothing is left to capture or the file cannot be written.
void SaveScreenshot(const std::filesystem::path& path, std::optional<RECT> crop = std::nullopt);

// Captures the screen area that `window` covers.
void SaveWindowScreenshot(const std::filesystem::path& path, HWND window);

}  // namespace driver
