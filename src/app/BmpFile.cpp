#include "app/BmpFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void put16(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint16_t get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

bool writeBmp32(const std::string& path, int width, int height, const uint32_t* pixels, int stride)
{
    if (width <= 0 || height <= 0 || !pixels)
        return false;
    const uint32_t rowBytes = static_cast<uint32_t>(width) * 4u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    unsigned char header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, 54 + imageBytes);  // file size
    put32(header + 10, 54);              // offset of the pixels
    put32(header + 14, 40);              // information header size
    put32(header + 18, static_cast<uint32_t>(width));
    put32(header + 22, static_cast<uint32_t>(height));  // positive: bottom-up rows
    put16(header + 26, 1);                               // planes
    put16(header + 28, 32);                              // bits per pixel
    put32(header + 30, 0);                               // no compression
    put32(header + 34, imageBytes);
    put32(header + 38, 3780);  // 96 dpi
    put32(header + 42, 3780);
    File f(std::fopen(path.c_str(), "wb"));
    if (!f)
        return false;
    if (std::fwrite(header, 1, sizeof header, f.get()) != sizeof header)
        return false;
    std::vector<unsigned char> row(rowBytes);
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* src = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = src[x];
            unsigned char* d = row.data() + 4 * x;
            d[0] = static_cast<unsigned char>(c);        // blue
            d[1] = static_cast<unsigned char>(c >> 8);   // green
            d[2] = static_cast<unsigned char>(c >> 16);  // red
            d[3] = 0;
        }
        if (std::fwrite(row.data(), 1, rowBytes, f.get()) != rowBytes)
            return false;
    }
    return std::fflush(f.get()) == 0;
}

bool readBmp(const std::string& path, BmpImage& image, std::string& error)
{
    File f(std::fopen(path.c_str(), "rb"));
    unsigned char header[54];
    if (!f) {
        error = "Reading error";
        return false;
    }
    const size_t got = std::fread(header, 1, sizeof header, f.get());
    if (got < 2 || header[0] != 'B' || header[1] != 'M') {
        error = got < 2 ? "Reading error" : "Invalid bitmap file";
        return false;
    }
    if (got < sizeof header) {
        error = "Invalid bitmap file";
        return false;
    }
    const uint32_t offset = get32(header + 10);
    const uint32_t infoSize = get32(header + 14);
    const int32_t width = static_cast<int32_t>(get32(header + 18));
    const int32_t rawHeight = static_cast<int32_t>(get32(header + 22));
    const uint16_t bits = get16(header + 28);
    const uint32_t compression = get32(header + 30);
    if (infoSize < 40 || width <= 0 || rawHeight == 0 || (bits != 24 && bits != 32) ||
        (compression != 0 && !(compression == 3 && bits == 32)) || width > 65536 || rawHeight > 65536 ||
        rawHeight < -65536) {
        error = "Invalid bitmap file";
        return false;
    }
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    const size_t rowBytes = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    if (std::fseek(f.get(), static_cast<long>(offset), SEEK_SET) != 0) {
        error = "Reading error";
        return false;
    }
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    std::vector<unsigned char> row(rowBytes);
    for (int i = 0; i < height; ++i) {
        if (std::fread(row.data(), 1, rowBytes, f.get()) != rowBytes) {
            error = "Reading error";
            return false;
        }
        const int y = bottomUp ? height - 1 - i : i;
        uint32_t* dst = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        const size_t step = bits / 8;
        for (int x = 0; x < width; ++x) {
            const unsigned char* s = row.data() + static_cast<size_t>(x) * step;
            dst[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
        }
    }
    return true;
}
