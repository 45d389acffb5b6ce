// Draws every picture of the widget into OUTDIR as 8-bit RGBA PNG files written with libpng.
// Usage: draw-assets OUTDIR (runs on the offscreen platform; needs fonts-noto-cjk and fonts-dejavu-extra).

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QString>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

namespace {

const QColor darkColor(22, 22, 26);
const QColor headingColor(211, 211, 211);
const QColor separatorColor(30, 30, 34);
const QColor salmonColor(242, 109, 95);
const QColor orangeColor(255, 142, 23);
const QColor lightGrey(211, 211, 211);
const QColor white(255, 255, 255);
const QColor midGrey(136, 136, 136);

const QString cjkFamily = QStringLiteral("Noto Sans CJK SC");
const QString digitFamily = QStringLiteral("DejaVu Sans Condensed");

constexpr int iconSide = 14;

// Coverage of the rounded corner: the corner pixel and its neighbours along the top/bottom and the left/right edge.
constexpr double cornerCoverage = 0.31;
constexpr double rowNeighbourCoverage = 0.81;
constexpr double columnNeighbourCoverage = 0.875;

struct Badge
{
    const char* file;
    QString character;
    QColor color;
    int inkRows; // rows available to the character, from row 3
};

// Ink coverage (0 … 255) of some text, cropped to the pixels it touches.
struct Glyph
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> coverage;

    int at(int x, int y) const { return coverage[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

QFont makeFont(const QString& family, int pixelSize, QFont::Weight weight)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    // Hinting squeezes the CJK outlines into unreadable blocks at 10 px; the digits keep their hinted shapes.
    font.setHintingPreference(family == cjkFamily ? QFont::PreferNoHinting : QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

Glyph renderInk(const QString& text, const QFont& font)
{
    const int side = font.pixelSize() * int(text.size() + 2) * 2;
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(font.pixelSize(), font.pixelSize() * 2), text);
    }
    int left = side, top = side, right = -1, bottom = -1;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (qAlpha(canvas.pixel(x, y)) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    Glyph glyph;
    if (right < 0) {
        return glyph;
    }
    glyph.width = right - left + 1;
    glyph.height = bottom - top + 1;
    glyph.coverage.reserve(std::size_t(glyph.width) * std::size_t(glyph.height));
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            glyph.coverage.push_back(static_cast<unsigned char>(qAlpha(canvas.pixel(x, y))));
        }
    }
    return glyph;
}

// The largest rendering of the text whose ink fits the box.
std::optional<Glyph> fitInk(const QString& text, const QString& family, QFont::Weight weight, int maxWidth,
                            int maxHeight)
{
    for (int size = maxHeight * 2; size >= 4; --size) {
        Glyph glyph = renderInk(text, makeFont(family, size, weight));
        if (glyph.width > 0 && glyph.width <= maxWidth && glyph.height <= maxHeight) {
            return glyph;
        }
    }
    return std::nullopt;
}

QColor mix(const QColor& under, const QColor& over, double coverage)
{
    const auto channel = [coverage](int a, int b) { return int(std::lround(a + (b - a) * coverage)); };
    return QColor(channel(under.red(), over.red()), channel(under.green(), over.green()),
                  channel(under.blue(), over.blue()));
}

void blendInk(QImage& image, const Glyph& glyph, int left, int top, const QColor& ink)
{
    for (int y = 0; y < glyph.height; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
            const QColor under = image.pixelColor(left + x, top + y);
            image.setPixelColor(left + x, top + y, mix(under, ink, glyph.at(x, y) / 255.0));
        }
    }
}

// Places the ink centred in the box, rounding towards the top left.
void blendCentred(QImage& image, const Glyph& glyph, const QRect& box, const QColor& ink)
{
    blendInk(image, glyph, box.left() + (box.width() - glyph.width) / 2, box.top() + (box.height() - glyph.height) / 2,
             ink);
}

QImage filled(int width, int height, const QColor& color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QImage drawBackground()
{
    QImage image = filled(280, 480, darkColor);
    for (int n = 0; n <= 11; ++n) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixelColor(x, 45 + 36 * n, separatorColor);
        }
    }
    // The heading's ink stays within rows 14 to 31.
    const std::optional<Glyph> heading = fitInk(QStringLiteral("Quillmast"), cjkFamily, QFont::Bold, 240, 18);
    if (heading) {
        blendInk(image, *heading, 16, 14 + (18 - heading->height) / 2, headingColor);
    }
    return image;
}

QImage drawBadge(const Badge& badge)
{
    QImage image = filled(iconSide, iconSide, badge.color);
    const int last = iconSide - 1;
    for (const int cx : {0, last}) {
        for (const int cy : {0, last}) {
            const int nx = cx == 0 ? 1 : last - 1;
            const int ny = cy == 0 ? 1 : last - 1;
            image.setPixelColor(cx, cy, mix(darkColor, badge.color, cornerCoverage));
            image.setPixelColor(nx, cy, mix(darkColor, badge.color, rowNeighbourCoverage));
            image.setPixelColor(cx, ny, mix(darkColor, badge.color, columnNeighbourCoverage));
        }
    }
    const std::optional<Glyph> glyph = fitInk(badge.character, cjkFamily, QFont::Bold, 10, badge.inkRows);
    if (glyph) {
        blendCentred(image, *glyph, QRect(2, 3, 10, badge.inkRows), white);
    }
    return image;
}

QImage drawTopRank()
{
    QImage image = filled(iconSide, iconSide, darkColor);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(salmonColor);
    painter.drawRect(QRectF(2, 1, 10, 2));
    QPainterPath arrow;
    arrow.moveTo(7, 4);
    arrow.lineTo(12, 9);
    arrow.lineTo(9, 9);
    arrow.lineTo(9, 13);
    arrow.lineTo(5, 13);
    arrow.lineTo(5, 9);
    arrow.lineTo(2, 9);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return image;
}

QImage drawRankNumber(int number, const QColor& color)
{
    QImage image = filled(iconSide, iconSide, darkColor);
    const std::optional<Glyph> glyph = fitInk(QString::number(number), digitFamily, QFont::Bold, 12, 11);
    if (glyph) {
        blendCentred(image, *glyph, QRect(0, 0, iconSide, iconSide), color);
    }
    return image;
}

QPainterPath gearPath()
{
    constexpr int teeth = 8;
    constexpr double outer = 6.5;
    constexpr double inner = 4.6;
    constexpr double centre = 7.0;
    QPainterPath path;
    // Each tooth spans a third of its pitch at the tip and a half at the root.
    const double pitch = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * pitch;
        const double corners[][2] = {
            {a - pitch * 0.25, inner}, {a - pitch * 0.16, outer}, {a + pitch * 0.16, outer}, {a + pitch * 0.25, inner}};
        for (const auto& corner : corners) {
            const QPointF p(centre + corner[1] * std::cos(corner[0]), centre + corner[1] * std::sin(corner[0]));
            if (path.elementCount() == 0) {
                path.moveTo(p);
            } else {
                path.lineTo(p);
            }
        }
    }
    path.closeSubpath();
    path.addEllipse(QPointF(centre, centre), 2.0, 2.0);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QImage drawGear(const QColor& color)
{
    QImage image = filled(iconSide, iconSide, darkColor);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(gearPath());
    return image;
}

QImage drawPower(const QColor& color)
{
    QImage image = filled(iconSide, iconSide, darkColor);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, 1.6, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The ring opens at the top, where the bar stands; Qt angles are 1/16 degree, counter-clockwise from 3 o'clock.
    painter.drawArc(QRectF(2.0, 2.5, 10.0, 10.0), 125 * 16, 290 * 16);
    painter.drawLine(QPointF(7.0, 1.3), QPointF(7.0, 6.5));
    return image;
}

// The tray mark: a rounded square in the hot badge colour with a white 热, on transparency.
QImage drawTray()
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 148, 6));
        painter.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);
    }
    const std::optional<Glyph> glyph = fitInk(QStringLiteral("热"), cjkFamily, QFont::Bold, 44, 44);
    if (glyph) {
        blendCentred(image, *glyph, QRect(0, 0, 64, 64), white);
    }
    return image;
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void onPngError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "draw-assets: libpng: %s\n", message);
    png_longjmp(png, 1);
}

struct WriteStruct
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    WriteStruct()
    {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, nullptr);
        if (png != nullptr) {
            info = png_create_info_struct(png);
        }
    }
    ~WriteStruct() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;
};

// libpng leaves by longjmp on error, so this frame holds nothing with a destructor.
bool writeRows(png_structp png, png_infop info, std::FILE* file, int width, int height, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant{};
    significant.red = significant.green = significant.blue = significant.alpha = 8;
    png_set_sBIT(png, info, &significant);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

bool writePng(const QString& path, const QImage& picture, bool opaque)
{
    QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    if (opaque) {
        for (int y = 0; y < rgba.height(); ++y) {
            unsigned char* row = rgba.scanLine(y);
            for (int x = 0; x < rgba.width(); ++x) {
                row[x * 4 + 3] = 255;
            }
        }
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < rgba.height(); ++y) {
        rows.push_back(rgba.scanLine(y));
    }
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.toLocal8Bit().constData(), "wb"));
    if (!file) {
        std::fprintf(stderr, "draw-assets: cannot write %s\n", qPrintable(path));
        return false;
    }
    WriteStruct writer;
    if (writer.png == nullptr || writer.info == nullptr) {
        return false;
    }
    return writeRows(writer.png, writer.info, file.get(), rgba.width(), rgba.height(), rows.data()) &&
           std::fflush(file.get()) == 0;
}

bool fontsPresent()
{
    bool present = true;
    for (const QString& family : {cjkFamily, digitFamily}) {
        if (QFontInfo(QFont(family)).family() != family) {
            std::fprintf(stderr, "draw-assets: font \"%s\" is missing\n", qPrintable(family));
            present = false;
        }
    }
    return present;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-assets OUTDIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    // Other fonts would draw other pixels: refuse rather than write pictures that differ from run to run.
    if (!fontsPresent()) {
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "draw-assets: cannot create %s\n", argv[1]);
        return 1;
    }

    struct Picture
    {
        QString file;
        QImage image;
        bool opaque;
    };
    std::vector<Picture> pictures;
    pictures.push_back({QStringLiteral("background.png"), drawBackground(), true});
    pictures.push_back({QStringLiteral("rank_1.png"), drawTopRank(), true});
    for (int number = 1; number <= 10; ++number) {
        pictures.push_back({QStringLiteral("rank_%1.png").arg(number + 1),
                            drawRankNumber(number, number <= 3 ? salmonColor : orangeColor), true});
    }
    const Badge badges[] = {
        {"badge_new.png", QStringLiteral("新"), QColor(255, 56, 82), 9},
        {"badge_boil.png", QStringLiteral("沸"), QColor(248, 100, 0), 9},
        {"badge_hot.png", QStringLiteral("热"), QColor(255, 148, 6), 10},
        {"badge_recommend.png", QStringLiteral("荐"), QColor(0, 183, 238), 9},
    };
    for (const Badge& badge : badges) {
        pictures.push_back({QString::fromLatin1(badge.file), drawBadge(badge), true});
    }
    pictures.push_back({QStringLiteral("badge_default.png"), filled(iconSide, iconSide, darkColor), true});
    const struct
    {
        const char* state;
        QColor color;
    } shades[] = {{"normal", lightGrey}, {"hover", white}, {"pressed", midGrey}};
    for (const auto& shade : shades) {
        pictures.push_back(
            {QStringLiteral("gear_%1.png").arg(QLatin1String(shade.state)), drawGear(shade.color), true});
        pictures.push_back(
            {QStringLiteral("power_%1.png").arg(QLatin1String(shade.state)), drawPower(shade.color), true});
    }
    pictures.push_back({QStringLiteral("tray.png"), drawTray(), false});

    bool ok = true;
    for (const Picture& picture : pictures) {
        ok = writePng(out.filePath(picture.file), picture.image, picture.opaque) && ok;
    }
    return ok ? 0 : 1;
}
