#include "app/png_image.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// Q_INIT_RESOURCE declares its function where it is used, so it must run outside any namespace.
static bool initAssets()
{
    Q_INIT_RESOURCE(assets);
    return true;
}
static const bool assetsReady = initAssets();

namespace qm {
namespace {

using Bytes = std::vector<unsigned char>;

struct Rgb
{
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

const Rgb dark{22, 22, 26};

std::string show(const Rgb& c)
{
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

Bytes readAsset(const char* name)
{
    QFile file(QStringLiteral(":/pictures/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

RgbaImage decodeAsset(const char* name)
{
    const Bytes bytes = readAsset(name);
    EXPECT_FALSE(bytes.empty()) << name << " missing from the resources";
    const std::optional<RgbaImage> image = decodePng(bytes);
    EXPECT_TRUE(image.has_value()) << name << " does not decode";
    return image.value_or(RgbaImage{});
}

const unsigned char* pixelAt(const RgbaImage& image, int x, int y)
{
    return image.pixels.data() + (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4;
}

Rgb rgbAt(const RgbaImage& image, int x, int y)
{
    const unsigned char* p = pixelAt(image, x, y);
    return {p[0], p[1], p[2]};
}

int alphaAt(const RgbaImage& image, int x, int y)
{
    return pixelAt(image, x, y)[3];
}

bool near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// True when c is an anti-aliased mix of the two colours (within rounding).
bool onBlendLine(const Rgb& c, const Rgb& from, const Rgb& to)
{
    const int spans[] = {to.r - from.r, to.g - from.g, to.b - from.b};
    const int offsets[] = {c.r - from.r, c.g - from.g, c.b - from.b};
    const int widest =
        int(std::max_element(spans, spans + 3, [](int a, int b) { return std::abs(a) < std::abs(b); }) - spans);
    const double t = double(offsets[widest]) / spans[widest];
    if (t < -0.01 || t > 1.01) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::abs(offsets[i] - t * spans[i]) > 2.0) {
            return false;
        }
    }
    return true;
}

struct AssetSize
{
    const char* name;
    int width;
    int height;
};

const AssetSize assetSizes[] = {
    {"background.png", 280, 480}, {"badge_new.png", 14, 14},       {"badge_boil.png", 14, 14},
    {"badge_hot.png", 14, 14},    {"badge_recommend.png", 14, 14}, {"badge_default.png", 14, 14},
    {"rank_1.png", 14, 14},       {"rank_2.png", 14, 14},          {"rank_3.png", 14, 14},
    {"rank_4.png", 14, 14},       {"rank_5.png", 14, 14},          {"rank_6.png", 14, 14},
    {"rank_7.png", 14, 14},       {"rank_8.png", 14, 14},          {"rank_9.png", 14, 14},
    {"rank_10.png", 14, 14},      {"rank_11.png", 14, 14},         {"gear_normal.png", 14, 14},
    {"gear_hover.png", 14, 14},   {"gear_pressed.png", 14, 14},    {"power_normal.png", 14, 14},
    {"power_hover.png", 14, 14},  {"power_pressed.png", 14, 14},   {"tray.png", 64, 64},
};

TEST(PngAssets, EveryPictureDecodesAtItsSizeAndAllButTheTrayAreOpaque)
{
    ASSERT_TRUE(assetsReady);
    for (const AssetSize& asset : assetSizes) {
        SCOPED_TRACE(asset.name);
        const RgbaImage image = decodeAsset(asset.name);
        EXPECT_EQ(image.width, asset.width);
        EXPECT_EQ(image.height, asset.height);
        ASSERT_EQ(image.pixels.size(), std::size_t(asset.width) * std::size_t(asset.height) * 4);
        if (std::string(asset.name) == "tray.png") {
            continue;
        }
        int translucent = 0;
        for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
            translucent += image.pixels[i] != 255 ? 1 : 0;
        }
        EXPECT_EQ(translucent, 0);
    }
}

struct BadgeCase
{
    const char* name;
    Rgb color;
    int lastInkRow;
};

const BadgeCase badgeCases[] = {
    {"badge_new.png", {255, 56, 82}, 11},
    {"badge_boil.png", {248, 100, 0}, 11},
    {"badge_hot.png", {255, 148, 6}, 12},
    {"badge_recommend.png", {0, 183, 238}, 11},
};

// The corner pixels and their neighbours along both edges.
bool isCornerArea(int x, int y)
{
    const auto atEdge = [](int v) { return v == 0 || v == 13; };
    const auto nearEnd = [](int v) { return v <= 1 || v >= 12; };
    return (atEdge(x) && nearEnd(y)) || (atEdge(y) && nearEnd(x));
}

TEST(PngAssets, BadgesHaveRoundedCornersAndAWhiteCharacterInsideTheInkBox)
{
    for (const BadgeCase& badge : badgeCases) {
        SCOPED_TRACE(badge.name);
        const RgbaImage image = decodeAsset(badge.name);
        ASSERT_EQ(image.width, 14);
        int whiteish = 0;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                SCOPED_TRACE("x " + std::to_string(x) + " y " + std::to_string(y));
                const Rgb c = rgbAt(image, x, y);
                const bool corner = isCornerArea(x, y);
                const bool edge = x == 0 || y == 0 || x == 13 || y == 13;
                if (corner) {
                    EXPECT_TRUE(onBlendLine(c, dark, badge.color)) << show(c);
                    EXPECT_NE(c, badge.color);
                    EXPECT_NE(c, dark);
                } else if (edge) {
                    EXPECT_EQ(c, badge.color) << show(c);
                } else if (x < 2 || x > 11 || y < 3 || y > badge.lastInkRow) {
                    EXPECT_EQ(c, badge.color) << "ink outside the character box " << show(c);
                } else {
                    EXPECT_TRUE(onBlendLine(c, badge.color, Rgb{255, 255, 255})) << show(c);
                    whiteish += near(c, Rgb{255, 255, 255}, 24) ? 1 : 0;
                }
            }
        }
        EXPECT_GE(whiteish, 10) << "the character is missing or faint";
    }
}

TEST(PngAssets, NewBadgeCornersMatchTheReferenceMix)
{
    const RgbaImage image = decodeAsset("badge_new.png");
    ASSERT_EQ(image.width, 14);
    const int corners[][2] = {{0, 0}, {13, 0}, {0, 13}, {13, 13}};
    for (const auto& corner : corners) {
        const int x = corner[0];
        const int y = corner[1];
        const int nx = x == 0 ? 1 : 12;
        const int ny = y == 0 ? 1 : 12;
        EXPECT_TRUE(near(rgbAt(image, x, y), Rgb{95, 32, 42}, 1)) << show(rgbAt(image, x, y));
        EXPECT_TRUE(near(rgbAt(image, nx, y), Rgb{211, 49, 70}, 1)) << show(rgbAt(image, nx, y));
        EXPECT_TRUE(near(rgbAt(image, x, ny), Rgb{226, 51, 75}, 1)) << show(rgbAt(image, x, ny));
    }
}

TEST(PngAssets, BackgroundHasHeadingAndSeparatorRows)
{
    const RgbaImage image = decodeAsset("background.png");
    ASSERT_EQ(image.height, 480);
    const Rgb separator{30, 30, 34};
    const Rgb heading{211, 211, 211};
    int headingPixels = 0;
    for (int y = 0; y < 480; ++y) {
        const bool separatorRow = y >= 45 && y <= 441 && (y - 45) % 36 == 0;
        for (int x = 0; x < 280; ++x) {
            const Rgb c = rgbAt(image, x, y);
            if (separatorRow) {
                ASSERT_EQ(c, separator) << "x " << x << " y " << y;
            } else if (y >= 14 && y <= 31 && x >= 16) {
                ASSERT_TRUE(onBlendLine(c, dark, heading)) << "x " << x << " y " << y << show(c);
                headingPixels += near(c, heading, 8) ? 1 : 0;
            } else {
                ASSERT_EQ(c, dark) << "x " << x << " y " << y;
            }
        }
    }
    EXPECT_GE(headingPixels, 60) << "the heading is missing or faint";
}

struct SymbolCase
{
    const char* name;
    Rgb ink;
};

const SymbolCase symbolCases[] = {
    {"rank_1.png", {242, 109, 95}},       {"rank_2.png", {242, 109, 95}},         {"rank_3.png", {242, 109, 95}},
    {"rank_4.png", {242, 109, 95}},       {"rank_5.png", {255, 142, 23}},         {"rank_6.png", {255, 142, 23}},
    {"rank_7.png", {255, 142, 23}},       {"rank_8.png", {255, 142, 23}},         {"rank_9.png", {255, 142, 23}},
    {"rank_10.png", {255, 142, 23}},      {"rank_11.png", {255, 142, 23}},        {"gear_normal.png", {211, 211, 211}},
    {"gear_hover.png", {255, 255, 255}},  {"gear_pressed.png", {136, 136, 136}},  {"power_normal.png", {211, 211, 211}},
    {"power_hover.png", {255, 255, 255}}, {"power_pressed.png", {136, 136, 136}},
};

// Rank marks and button symbols: one ink colour anti-aliased into the dark background, and clearly drawn.
TEST(PngAssets, SymbolsUseOneInkOnTheDarkBackground)
{
    for (const SymbolCase& symbol : symbolCases) {
        SCOPED_TRACE(symbol.name);
        const RgbaImage image = decodeAsset(symbol.name);
        ASSERT_EQ(image.width, 14);
        int fullInk = 0;
        int background = 0;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                const Rgb c = rgbAt(image, x, y);
                EXPECT_TRUE(onBlendLine(c, dark, symbol.ink)) << "x " << x << " y " << y << show(c);
                fullInk += near(c, symbol.ink, 6) ? 1 : 0;
                background += c == dark ? 1 : 0;
            }
        }
        EXPECT_EQ(rgbAt(image, 0, 13), dark);
        EXPECT_EQ(rgbAt(image, 13, 13), dark);
        EXPECT_GE(fullInk, 6);
        EXPECT_GE(background, 40);
    }
}

TEST(PngAssets, DefaultBadgeIsPlainDarkAndTrayIsOpaqueOnlyInside)
{
    const RgbaImage badge = decodeAsset("badge_default.png");
    ASSERT_EQ(badge.width, 14);
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
            EXPECT_EQ(rgbAt(badge, x, y), dark) << "x " << x << " y " << y;
        }
    }
    const RgbaImage tray = decodeAsset("tray.png");
    ASSERT_EQ(tray.width, 64);
    EXPECT_EQ(alphaAt(tray, 0, 0), 0);
    EXPECT_EQ(alphaAt(tray, 63, 63), 0);
    EXPECT_EQ(alphaAt(tray, 32, 5), 255);
    EXPECT_EQ(rgbAt(tray, 5, 32), (Rgb{255, 148, 6}));
}

// Encodes test pictures with libpng so the decoder meets the layouts our own assets never use.
struct Encoding
{
    int colorType;
    int bitDepth;
    bool interlaced;
    std::vector<png_color> palette;
    std::vector<unsigned char> paletteAlpha; // tRNS for palette pictures
    std::optional<png_color_16> transparent; // tRNS for grey and RGB pictures
};

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Test code only: errors abort the test run through libpng's default handler, which is acceptable here.
Bytes encode(const Encoding& e, int width, int height, const std::vector<Bytes>& rows)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rowPointers;
    for (const Bytes& row : rows) {
        rowPointers.push_back(const_cast<png_bytep>(row.data()));
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), e.bitDepth, e.colorType,
                 e.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!e.palette.empty()) {
        png_set_PLTE(png, info, e.palette.data(), int(e.palette.size()));
    }
    if (!e.paletteAlpha.empty()) {
        png_set_tRNS(png, info, e.paletteAlpha.data(), int(e.paletteAlpha.size()), nullptr);
    }
    if (e.transparent) {
        png_color_16 colour = *e.transparent;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct LayoutCase
{
    const char* what;
    Encoding encoding;
    std::vector<Bytes> rows;             // 2 × 2 pixels
    std::vector<unsigned char> expected; // RGBA, row by row
};

TEST(PngDecode, ExpandsEveryLayoutToEightBitRgba)
{
    const std::vector<LayoutCase> cases = {
        {"rgba 8",
         {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, std::nullopt},
         {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"rgb 8 gets opaque alpha",
         {PNG_COLOR_TYPE_RGB, 8, false, {}, {}, std::nullopt},
         {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}},
         {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}},
        {"grey 8",
         {PNG_COLOR_TYPE_GRAY, 8, false, {}, {}, std::nullopt},
         {{0, 100}, {200, 255}},
         {0, 0, 0, 255, 100, 100, 100, 255, 200, 200, 200, 255, 255, 255, 255, 255}},
        {"grey 1 bit",
         {PNG_COLOR_TYPE_GRAY, 1, false, {}, {}, std::nullopt},
         {{0x80}, {0x40}},
         {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"grey alpha 8",
         {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {}, {}, std::nullopt},
         {{10, 20, 30, 40}, {50, 60, 70, 80}},
         {10, 10, 10, 20, 30, 30, 30, 40, 50, 50, 50, 60, 70, 70, 70, 80}},
        {"grey 8 with tRNS",
         {PNG_COLOR_TYPE_GRAY, 8, false, {}, {}, png_color_16{0, 0, 0, 0, 100}},
         {{100, 101}, {100, 7}},
         {100, 100, 100, 0, 101, 101, 101, 255, 100, 100, 100, 0, 7, 7, 7, 255}},
        {"rgb 16 keeps the high bytes",
         {PNG_COLOR_TYPE_RGB, 16, false, {}, {}, std::nullopt},
         {{0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xFF, 0xFF, 0x00, 0x01, 0x7F, 0x7F},
          {0, 0, 0, 0, 0, 0, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}},
         {0x12, 0x34, 0x56, 255, 0xFF, 0x00, 0x7F, 255, 0, 0, 0, 255, 0xAB, 0xEF, 0x23, 255}},
        {"palette with tRNS",
         {PNG_COLOR_TYPE_PALETTE, 8, false, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}, {0, 128}, std::nullopt},
         {{0, 1}, {2, 1}},
         {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255, 40, 50, 60, 128}},
        {"palette 2 bit",
         {PNG_COLOR_TYPE_PALETTE, 2, false, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {}, std::nullopt},
         {{0x60}, {0x80}}, // indices 1 2, then 2 0
         {2, 2, 2, 255, 3, 3, 3, 255, 3, 3, 3, 255, 1, 1, 1, 255}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<RgbaImage> image = decodePng(encode(c.encoding, 2, 2, c.rows));
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, 2);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(image->pixels, c.expected);
    }
}

TEST(PngDecode, InterlacedPictureMatchesItsPlainTwin)
{
    // 11 × 9 touches every Adam7 pass, including the partial ones.
    const int width = 11;
    const int height = 9;
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            row.insert(row.end(), {static_cast<unsigned char>(x * 23), static_cast<unsigned char>(y * 27),
                                   static_cast<unsigned char>(x * y), static_cast<unsigned char>(255 - x - y)});
        }
        rows.push_back(row);
    }
    Encoding plain{PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, std::nullopt};
    Encoding interlaced = plain;
    interlaced.interlaced = true;
    const std::optional<RgbaImage> a = decodePng(encode(plain, width, height, rows));
    const std::optional<RgbaImage> b = decodePng(encode(interlaced, width, height, rows));
    ASSERT_TRUE(a.has_value());
    ASSERT_TRUE(b.has_value());
    Bytes expected;
    for (const Bytes& row : rows) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(a->pixels, expected);
    EXPECT_EQ(b->pixels, expected);
}

TEST(PngDecode, SidesAreCappedBeforeAllocating)
{
    const Encoding grey{PNG_COLOR_TYPE_GRAY, 1, false, {}, {}, std::nullopt};
    const std::vector<Bytes> wideRow(1, Bytes(4097 / 8 + 1, 0));
    EXPECT_TRUE(decodePng(encode(grey, 4096, 1, std::vector<Bytes>(1, Bytes(4096 / 8, 0)))).has_value());
    EXPECT_FALSE(decodePng(encode(grey, 4097, 1, wideRow)).has_value());
    EXPECT_FALSE(decodePng(encode(grey, 1, 4097, std::vector<Bytes>(4097, Bytes(1, 0)))).has_value());
}

uint32_t readUint32(const Bytes& b, std::size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
}

void writeUint32(Bytes& b, std::size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        b[at + std::size_t(i)] = static_cast<unsigned char>(v >> (24 - 8 * i));
    }
}

// Offset of a chunk's length field, or 0 when absent.
std::size_t findChunk(const Bytes& png, const char* type)
{
    for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + readUint32(png, at)) {
        if (std::equal(type, type + 4, png.begin() + std::ptrdiff_t(at) + 4)) {
            return at;
        }
    }
    return 0;
}

void fixCrc(Bytes& png, std::size_t chunk)
{
    const uint32_t length = readUint32(png, chunk);
    const uLong crc = crc32(0, png.data() + chunk + 4, uInt(length + 4));
    writeUint32(png, chunk + 8 + length, uint32_t(crc));
}

TEST(PngDecode, BrokenInputGivesNothing)
{
    const Bytes good = readAsset("badge_hot.png");
    ASSERT_TRUE(decodePng(good).has_value());
    const std::size_t ihdr = findChunk(good, "IHDR");
    const std::size_t idat = findChunk(good, "IDAT");
    ASSERT_EQ(ihdr, 8u);
    ASSERT_NE(idat, 0u);

    struct Mangle
    {
        const char* what;
        Bytes bytes;
    };
    std::vector<Mangle> mangles;
    mangles.push_back({"empty", {}});
    Bytes signature = good;
    signature[1] = 'Q';
    mangles.push_back({"wrong signature", signature});
    Bytes idatCrc = good;
    idatCrc[idat + 8 + 5] ^= 0x10;
    mangles.push_back({"IDAT byte changed, CRC stale", idatCrc});
    Bytes zlibBroken = idatCrc;
    fixCrc(zlibBroken, idat);
    mangles.push_back({"IDAT byte changed, CRC fixed", zlibBroken});
    Bytes zeroWidth = good;
    writeUint32(zeroWidth, ihdr + 8, 0);
    fixCrc(zeroWidth, ihdr);
    mangles.push_back({"zero width", zeroWidth});
    Bytes huge = good;
    writeUint32(huge, ihdr + 8, 0x7FFFFFFF);
    writeUint32(huge, ihdr + 12, 0x7FFFFFFF);
    fixCrc(huge, ihdr);
    mangles.push_back({"absurd size", huge});
    Bytes badType = good;
    badType[ihdr + 8 + 9] = 5; // no such colour type
    fixCrc(badType, ihdr);
    mangles.push_back({"unknown colour type", badType});
    Bytes noIdat = good;
    noIdat.erase(noIdat.begin() + std::ptrdiff_t(idat),
                 noIdat.begin() + std::ptrdiff_t(idat + 12 + readUint32(good, idat)));
    mangles.push_back({"IDAT removed", noIdat});

    for (const Mangle& m : mangles) {
        SCOPED_TRACE(m.what);
        EXPECT_FALSE(decodePng(m.bytes).has_value());
    }
    // Cut at every length: in the signature, in IHDR, in the pixel data, before and inside IEND.
    for (std::size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        EXPECT_FALSE(decodePng(std::span(good.data(), length)).has_value());
    }
}

TEST(PngImage, ToQImageMakesAnOwnedRgbaCopy)
{
    RgbaImage image{2, 1, {1, 2, 3, 4, 250, 251, 252, 253}};
    const QImage copy = toQImage(image);
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(copy.format(), QImage::Format_RGBA8888);
    EXPECT_EQ(copy.width(), 2);
    EXPECT_EQ(copy.height(), 1);
    image.pixels.assign(image.pixels.size(), 0);
    EXPECT_EQ(copy.pixel(0, 0), qRgba(1, 2, 3, 4));
    EXPECT_EQ(copy.pixel(1, 0), qRgba(250, 251, 252, 253));
    EXPECT_NE(copy.constBits(), image.pixels.data());

    EXPECT_TRUE(toQImage(RgbaImage{}).isNull());
    EXPECT_TRUE(toQImage(RgbaImage{2, 2, Bytes(4, 0)}).isNull()) << "pixels shorter than the size";
}

} // namespace
} // namespace qm
