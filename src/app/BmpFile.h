#pragma once
// Windows bitmap files: a 14-byte file header, a 40-byte information header
// (one plane, 32 bits per pixel, no compression) and bottom-up pixel rows.
#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
};

// Writes width x height pixels (rows `stride` pixels apart, top row first).
// False when the file cannot be written.
bool writeBmp32(const std::string& path, int width, int height, const uint32_t* pixels, int stride);

// Reads an uncompressed 24- or 32-bit bitmap. On failure `error` is
// "Reading error" (the file cannot be read) or "Invalid bitmap file" (its
// header is not a bitmap header).
bool readBmp(const std::string& path, BmpImage& image, std::string& error);
