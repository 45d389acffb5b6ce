#include "app/png_image.h"

#include <QImage>
#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstring>

namespace qm {
namespace {

// Our pictures are at most 280 × 480; anything far larger is not ours and must not drive an allocation.
constexpr png_uint_32 maxSide = 4096;

struct ReadSource
{
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

void readFromSource(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<ReadSource*>(png_get_io_ptr(png));
    if (length > source->size - source->pos) {
        png_error(png, "truncated");
    }
    std::memcpy(out, source->data + source->pos, length);
    source->pos += length;
}

void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct ReadStruct
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    ReadStruct()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
        if (png != nullptr) {
            info = png_create_info_struct(png);
        }
    }
    ~ReadStruct() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;
};

// libpng reports errors by longjmp into this frame, which skips destructors: so this function holds nothing that
// has one, and the pixel buffer belongs to the caller.
bool readImage(png_structp png, png_infop info, ReadSource* source, RgbaImage* image)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_read_fn(png, source, readFromSource);
    png_set_user_limits(png, maxSide, maxSide);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > maxSide || height > maxSide) {
        return false;
    }
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && !png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const std::size_t stride = std::size_t{width} * 4;
    if (png_get_rowbytes(png, info) != stride) {
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->pixels.assign(stride * height, 0);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, image->pixels.data() + stride * y, nullptr);
        }
    }
    // Reads on to IEND, so a file cut after its pixel data still counts as broken.
    png_read_end(png, nullptr);
    return true;
}

} // namespace

std::optional<RgbaImage> decodePng(std::span<const unsigned char> png)
{
    if (png.size() < 8 || png_sig_cmp(png.data(), 0, 8) != 0) {
        return std::nullopt;
    }
    ReadStruct reader;
    if (reader.png == nullptr || reader.info == nullptr) {
        return std::nullopt;
    }
    ReadSource source{png.data(), png.size(), 0};
    RgbaImage image;
    if (!readImage(reader.png, reader.info, &source, &image)) {
        return std::nullopt;
    }
    return image;
}

QImage toQImage(const RgbaImage& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 4) {
        return QImage();
    }
    // Wraps the caller's pixels only for the copy: the result owns its own.
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888);
    return view.copy();
}

} // namespace qm
