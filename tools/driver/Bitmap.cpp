#include "Bitmap.h"

#include <stdexcept>
#include <string>

namespace driver {
namespace {

constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, static_cast<std::uint16_t>(value));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

std::size_t BmpRowStride(int width)
{
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> rows)
{
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("bitmap size " + std::to_string(width) + "x" + std::to_string(height) +
                                    " is not positive");
    const std::size_t imageSize = BmpRowStride(width) * static_cast<std::size_t>(height);
    if (rows.size() != imageSize)
        throw std::invalid_argument("bitmap data holds " + std::to_string(rows.size()) + " bytes, " +
                                    std::to_string(imageSize) + " expected");
    if (kBmpHeadersSize + imageSize > UINT32_MAX)
        throw std::invalid_argument("bitmap too large for a BMP file");

    std::vector<std::uint8_t> file;
    file.reserve(kBmpHeadersSize + imageSize);
    // BITMAPFILEHEADER
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<std::uint32_t>(kBmpHeadersSize + imageSize));
    Put32(file, 0);  // two reserved words
    Put32(file, static_cast<std::uint32_t>(kBmpHeadersSize));
    // BITMAPINFOHEADER; a positive height means bottom-up rows
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(width));
    Put32(file, static_cast<std::uint32_t>(height));
    Put16(file, 1);   // planes
    Put16(file, 24);  // bits per pixel
    Put32(file, 0);   // BI_RGB
    Put32(file, static_cast<std::uint32_t>(imageSize));
    Put32(file, kPixelsPerMetre);
    Put32(file, kPixelsPerMetre);
    Put32(file, 0);  // colours used
    Put32(file, 0);  // important colours
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

}  // namespace driver
