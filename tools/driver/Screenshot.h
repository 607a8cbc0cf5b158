// Pictures of the screen as 24-bit BMP files, for reports of failed tests and
// for the demo. They show what the display shows: under Wine a window that has
// just appeared can still be missing from it for a moment.
#pragma once

#include <filesystem>

namespace driver {

// Captures the whole screen and writes it to `path`. Throws DriverError when
// the file cannot be written.
void SaveScreenshot(const std::filesystem::path& path);

}  // namespace driver
