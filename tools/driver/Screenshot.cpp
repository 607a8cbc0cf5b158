#include "Screenshot.h"

#include "Bitmap.h"
#include "GdiObjects.h"
#include "Win32Error.h"

#include <fstream>

namespace driver {
namespace {

RECT ScreenRect()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<std::uint8_t> CaptureBottomUpRows(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    ScreenDc screen;
    MemoryDc memory(screen.get());
    if (!screen.get() || !memory.get())
        throw DriverError("no device context for the screen");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section.get())
        ThrowLastError("CreateDIBSection");
    {
        Selection selected(memory.get(), section.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT))
            ThrowLastError("BitBlt from the screen");
    }
    GdiFlush();
    const auto* first = static_cast<const std::uint8_t*>(bits);
    return {first, first + BmpRowStride(width) * static_cast<std::size_t>(height)};
}

}  // namespace

void SaveScreenshot(const std::filesystem::path& path, std::optional<RECT> crop)
{
    RECT area = ScreenRect();
    if (crop && !IntersectRect(&area, &area, &*crop))
        throw DriverError("the area to capture lies outside the screen");

    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const auto file = EncodeBmp24(width, height, CaptureBottomUpRows(area));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out)
        throw DriverError("cannot write " + ToUtf8(path.wstring()));
}

void SaveWindowScreenshot(const std::filesystem::path& path, HWND window)
{
    RECT rect{};
    if (!GetWindowRect(window, &rect))
        ThrowLastError("GetWindowRect");
    SaveScreenshot(path, rect);
}

}  // namespace driver
