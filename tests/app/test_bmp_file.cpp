#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/BmpFile.h"
#include "support/TempDir.h"

namespace {
uint32_t le32(const std::vector<unsigned char>& b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<unsigned char>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
} // namespace

TEST(BmpFile, WritesA32BitBitmapAndReadsItBack)
{
    TempDir dir;
    const std::string path = dir.path("picture.bmp");
    const int w = 3, h = 2;
    const uint32_t pixels[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,  // top row
                               0xFF102030u, 0xFFFFFFFFu, 0xFF000000u};
    ASSERT_TRUE(writeBmp32(path, w, h, pixels, w));

    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 4u * w * h);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(le32(bytes, 2), bytes.size());  // file size
    EXPECT_EQ(le32(bytes, 10), 54u);          // pixel offset
    EXPECT_EQ(le32(bytes, 14), 40u);          // information header size
    EXPECT_EQ(le32(bytes, 18), 3u);
    EXPECT_EQ(le32(bytes, 22), 2u);
    EXPECT_EQ(le16(bytes, 26), 1u);   // planes
    EXPECT_EQ(le16(bytes, 28), 32u);  // bits per pixel
    EXPECT_EQ(le32(bytes, 30), 0u);   // uncompressed
    EXPECT_EQ(le32(bytes, 34), 24u);
    // Bottom-up rows, blue green red order: the first stored pixel is the
    // bottom row's first.
    EXPECT_EQ(bytes[54], 0x30);
    EXPECT_EQ(bytes[55], 0x20);
    EXPECT_EQ(bytes[56], 0x10);

    BmpImage image;
    std::string error;
    ASSERT_TRUE(readBmp(path, image, error)) << error;
    EXPECT_EQ(image.width, w);
    EXPECT_EQ(image.height, h);
    for (int i = 0; i < w * h; ++i)
        EXPECT_EQ(image.pixels[static_cast<size_t>(i)], pixels[i]) << i;
}

TEST(BmpFile, ReadingErrors)
{
    TempDir dir;
    BmpImage image;
    std::string error;
    EXPECT_FALSE(readBmp(dir.path("missing.bmp"), image, error));
    EXPECT_EQ(error, "Reading error");

    const std::string text = dir.path("not.bmp");
    std::FILE* f = std::fopen(text.c_str(), "wb");
    std::fputs("ID\tNAME\tA\nx\ty\t1\n", f);
    std::fclose(f);
    EXPECT_FALSE(readBmp(text, image, error));
    EXPECT_EQ(error, "Invalid bitmap file");
}
