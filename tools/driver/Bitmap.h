// 24-bit BMP files, platform-free: a 14-byte file header, a 40-byte
// BITMAPINFOHEADER, then the pixel rows bottom-up, three bytes (blue, green,
// red) per pixel, each row padded to a multiple of four bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace driver {

inline constexpr std::size_t kBmpHeadersSize = 14 + 40;

// Bytes per stored row of a 24-bit image `width` pixels wide.
std::size_t BmpRowStride(int width);

// The whole file. `rows` holds height rows of BmpRowStride(width) bytes, bottom
// row first. Throws std::invalid_argument for a size that is not positive or
// pixel data of the wrong length.
std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> rows);

}  // namespace driver
