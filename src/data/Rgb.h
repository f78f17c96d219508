#pragma once
// Colours as RGB triples, and the small colour arithmetic every view and
// engine part shares (blending, washing, the 32-bit pixel value).
#include <cstdint>

struct Rgb {
    unsigned char r, g, b;
};

// Per channel trunc(a (1 - t) + b t + 0.5) (always positive, so the
// integer conversion truncates).
inline Rgb mixColor(Rgb a, Rgb b, double t)
{
    auto m = [t](unsigned char x, unsigned char y) {
        return static_cast<unsigned char>(static_cast<int>(x * (1.0 - t) + y * t + 0.5));
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}
// 80 percent of the way to white: trunc((255 - c) 0.8 + c + 0.5).
Rgb washColor(Rgb c);
inline uint32_t argbOf(Rgb c) { return 0xFF000000u | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }
inline bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
