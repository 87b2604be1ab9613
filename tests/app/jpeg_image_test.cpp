#include "app/jpeg_image.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cstdio>  // jpeglib.h uses FILE without including it
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

#ifndef QUOTIDIA_ASSETS_DIR
#error "QUOTIDIA_ASSETS_DIR must name the folder of the committed pictures"
#endif

namespace quotidia {
namespace {

QByteArray AboutPicture() {
    QFile file(QStringLiteral(QUOTIDIA_ASSETS_DIR "/about.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// A small intact stream of any size and colour space, so that cases beyond the
// committed picture need no files of their own. The input is known good, so
// libjpeg's default error handling (print and exit) never comes into play.
QByteArray Encode(int width, int height, J_COLOR_SPACE space, int components) {
    std::vector<JSAMPLE> pixels(std::size_t(width) * height * components);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = JSAMPLE(i * 7 % 251);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &pixels[std::size_t(info.next_scanline) * width * components];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(length));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// Offset of the first frame header (SOF0 to SOF2) found by walking the marker
// segments, or -1.
qsizetype FrameHeader(const QByteArray& jpeg) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const uchar marker = uchar(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) return at;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return -1;
}

// The same stream with its frame header claiming another size.
QByteArray Resized(QByteArray jpeg, int width, int height) {
    const qsizetype sof = FrameHeader(jpeg);
    if (sof < 0) return {};
    // FF Cn, length (2), precision (1), height (2), width (2)
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

QByteArray Patched(QByteArray bytes, qsizetype at, char value) {
    if (at >= 0 && at < bytes.size()) bytes[at] = value;
    return bytes;
}

QByteArray RandomBytes(qsizetype count, QByteArray prefix = {}) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    while (prefix.size() < count) prefix.append(char(byte(random)));
    return prefix;
}

TEST(DecodeJpeg, Table) {
    const QByteArray about = AboutPicture();
    ASSERT_FALSE(about.isEmpty()) << "assets/about.jpg is missing";
    const qsizetype sof = FrameHeader(about);
    ASSERT_GT(sof, 0);

    struct Case {
        const char* name;
        QByteArray bytes;
        QSize size;  // invalid: a null image is wanted
        QImage::Format format;
    };
    const Case cases[] = {
        {"the About picture is 100 x 100 grey", about, {100, 100}, QImage::Format_Grayscale8},
        {"three components give RGB", Encode(7, 5, JCS_RGB, 3), {7, 5}, QImage::Format_RGB888},
        {"CMYK gives nothing: libjpeg has no RGB for it", Encode(7, 5, JCS_CMYK, 4), {}, {}},
        {"bytes after the end marker are ignored", about + "trailing junk", {100, 100},
         QImage::Format_Grayscale8},
        {"16384 pixels wide is allowed", Encode(16384, 2, JCS_GRAYSCALE, 1), {16384, 2},
         QImage::Format_Grayscale8},
        {"an intact stream 16385 pixels wide is refused", Encode(16385, 2, JCS_GRAYSCALE, 1), {},
         {}},
        {"an intact stream over 64 megapixels is refused", Encode(4097, 16384, JCS_GRAYSCALE, 1),
         {}, {}},
        {"a header claiming 60000 x 60000 is refused", Resized(about, 60000, 60000), {}, {}},
        {"empty input", QByteArray(), {}, {}},
        {"random bytes", RandomBytes(4096), {}, {}},
        {"a start marker followed by random bytes", RandomBytes(4096, "\xFF\xD8"), {}, {}},
        {"cut in half", about.left(about.size() / 2), {}, {}},
        {"only the end marker missing", about.chopped(2), {}, {}},
        {"damaged start marker", Patched(about, 1, '\x00'), {}, {}},
        {"frame header naming no components", Patched(about, sof + 9, '\x00'), {}, {}},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        const QImage image = DecodeJpeg(c.bytes);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.name;
        if (!c.size.isValid()) {
            EXPECT_TRUE(image.isNull()) << c.name;
            continue;
        }
        EXPECT_EQ(image.size(), c.size) << c.name;
        EXPECT_EQ(image.format(), c.format) << c.name;
    }
}

// Right size and format could still be a blank page: the picture has a light
// glow, darker corners and dark marks.
TEST(DecodeJpeg, AboutPictureHasItsPixels) {
    const QImage image = DecodeJpeg(AboutPicture());
    ASSERT_EQ(image.format(), QImage::Format_Grayscale8);
    int darkest = 255, lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
            lightest = std::max(lightest, qGray(image.pixel(x, y)));
        }
    }
    EXPECT_LT(darkest, 110);
    EXPECT_GT(lightest, 210);
    const int centre = qGray(image.pixel(50, 60));
    for (const QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 99), QPoint(99, 99)})
        EXPECT_LT(qGray(image.pixel(corner)) + 40, centre) << corner.x() << "," << corner.y();
}

}  // namespace
}  // namespace quotidia
