#pragma once

#include <optional>
#include <span>
#include <vector>

class QImage;

namespace qm {

// 8-bit RGBA pixels, rows top to bottom, 4 bytes a pixel.
struct RgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Decodes PNG bytes with libpng into RGBA (palette, grey and 16-bit inputs are expanded).
// Nothing on malformed or truncated input.
std::optional<RgbaImage> decodePng(std::span<const unsigned char> png);
QImage toQImage(const RgbaImage& image);

} // namespace qm
