// The screenshot's file format: a viewer must read what the driver writes.
#include "Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

// Catches a header field out of place and rows not padded to four bytes.
TEST(EncodeBmp24Test, WritesTheHeadersThenThePaddedRows)
{
    const std::vector<std::uint8_t> rows = {1, 2, 3, 0, 4, 5, 6, 0};  // 1 x 2 pixels, bottom row first
    const std::vector<std::uint8_t> expected = {
        'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,          // file header: size, pixel offset
        40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,        // info header: width 1, height 2, 24 bits
        0, 0, 0, 0, 8, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        1, 2, 3, 0, 4, 5, 6, 0};
    EXPECT_EQ(driver::EncodeBmp24(1, 2, rows), expected);
    EXPECT_EQ(driver::BmpRowStride(4), 12u);
    EXPECT_EQ(driver::BmpRowStride(1280), 3840u);
}

// Catches a capture buffer of the wrong size written past its end.
TEST(EncodeBmp24Test, RejectsUnpaddedRows)
{
    EXPECT_THROW(driver::EncodeBmp24(1, 2, std::vector<std::uint8_t>(3 * 2)), std::invalid_argument);
}

}  // namespace
