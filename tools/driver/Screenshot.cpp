#include "Screenshot.h"

#include "Bitmap.h"
#include "GdiObjects.h"
#include "Win32Error.h"

#include <fstream>

namespace driver {
namespace {

std::vector<std::uint8_t> CaptureBottomUpRows(int width, int height)
{
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
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT))
            ThrowLastError("BitBlt from the screen");
    }
    GdiFlush();
    const auto* first = static_cast<const std::uint8_t*>(bits);
    return {first, first + BmpRowStride(width) * static_cast<std::size_t>(height)};
}

}  // namespace

void SaveScreenshot(const std::filesystem::path& path)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const auto file = EncodeBmp24(width, height, CaptureBottomUpRows(width, height));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out)
        throw DriverError("cannot write " + ToUtf8(path.wstring()));
}

}  // namespace driver
