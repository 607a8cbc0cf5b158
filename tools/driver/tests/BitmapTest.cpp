#include "Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& file, std::size_t at)
{
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
}

std::uint16_t Read16(const std::vector<std::uint8_t>& file, std::size_t at)
{
    return static_cast<std::uint16_t>(file[at] | file[at + 1] << 8);
}

struct StrideCase {
    int width;
    std::size_t stride;
    friend void PrintTo(const StrideCase& c, std::ostream* out) { *out << "width " << c.width; }
};

class BmpRowStrideTest : public testing::TestWithParam<StrideCase> {};

TEST_P(BmpRowStrideTest, PadsRowsToFourBytes)
{
    EXPECT_EQ(driver::BmpRowStride(GetParam().width), GetParam().stride);
}

INSTANTIATE_TEST_SUITE_P(Widths, BmpRowStrideTest,
                         testing::Values(StrideCase{1, 4}, StrideCase{2, 8}, StrideCase{3, 12}, StrideCase{4, 12},
                                         StrideCase{5, 16}, StrideCase{1280, 3840}));

TEST(EncodeBmp24Test, WritesHeadersThatDescribeTheRows)
{
    const int width = 3;
    const int height = 2;
    std::vector<std::uint8_t> rows(driver::BmpRowStride(width) * height);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint8_t>(i);

    const auto file = driver::EncodeBmp24(width, height, rows);

    ASSERT_EQ(file.size(), driver::kBmpHeadersSize + rows.size());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Read32(file, 2), file.size());
    EXPECT_EQ(Read32(file, 10), driver::kBmpHeadersSize);  // pixel data offset
    EXPECT_EQ(Read32(file, 14), 40u);                      // info header size
    EXPECT_EQ(Read32(file, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(Read32(file, 22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(Read16(file, 26), 1);
    EXPECT_EQ(Read16(file, 28), 24);
    EXPECT_EQ(Read32(file, 30), 0u);  // uncompressed
    EXPECT_EQ(Read32(file, 34), rows.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + driver::kBmpHeadersSize));
}

TEST(EncodeBmp24Test, RejectsSizesWithoutPixels)
{
    const std::vector<std::uint8_t> none;
    EXPECT_THROW(driver::EncodeBmp24(0, 5, none), std::invalid_argument);
    EXPECT_THROW(driver::EncodeBmp24(5, 0, none), std::invalid_argument);
    EXPECT_THROW(driver::EncodeBmp24(-1, 1, none), std::invalid_argument);
}

TEST(EncodeBmp24Test, RejectsPixelDataOfTheWrongLength)
{
    // Unpadded rows (3 bytes for one pixel) are one byte short of the stride of 4.
    const std::vector<std::uint8_t> unpadded(3 * 2);
    EXPECT_THROW(driver::EncodeBmp24(1, 2, unpadded), std::invalid_argument);
}

}  // namespace
