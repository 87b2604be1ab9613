// Draws Quotidia's two pictures, the window icon and the About picture, from
// plain geometry and writes them into the folder named on the command line.
// Nothing is copied in from elsewhere, so the pictures are the project's own
// and scripts/make-assets makes them again byte for byte.
//
// Both pictures share one motif, a pair of opening quotation marks, so the
// About window and the title bar look like the same program.

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>  // jpeglib.h uses FILE without including it
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include <jpeglib.h>

namespace {

struct Point {
    double x;
    double y;
};

// A closed outline, inside by the non-zero winding rule.
using Outline = std::vector<Point>;

void AddCubic(Outline& outline, Point p0, Point p1, Point p2, Point p3) {
    // Enough segments that no facet shows even at 8x supersampling of the
    // largest mark.
    constexpr int kSteps = 48;
    for (int i = 1; i <= kSteps; ++i) {
        const double t = double(i) / kSteps;
        const double u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        outline.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                           a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

bool Inside(const Outline& outline, Point p) {
    int winding = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const Point a = outline[i];
        const Point b = outline[(i + 1) % outline.size()];
        const double side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
        if (a.y <= p.y && b.y > p.y && side > 0) ++winding;
        if (a.y > p.y && b.y <= p.y && side < 0) --winding;
    }
    return winding != 0;
}

// The tail of a "9"-shaped mark, in units of the head's radius with the head
// centred on the origin and y growing downwards: it leaves the head on the
// right, sweeps down and ends in a point below and to the left. Its inner edge
// returns into the head, so head and tail join without a seam.
const Outline& Tail() {
    static const Outline tail = [] {
        Outline o{{1.0, -0.1}};
        AddCubic(o, {1.0, -0.1}, {1.06, 1.15}, {0.35, 1.95}, {-0.75, 2.3});
        AddCubic(o, {-0.75, 2.3}, {-0.2, 1.8}, {0.1, 1.3}, {0.0, 0.9});
        o.push_back({0.0, 0.0});
        return o;
    }();
    return tail;
}

// An opening quotation mark: the "9" turned half a turn, head low and tail
// rising to the right.
struct OpeningMark {
    Point head;     // centre of the round head, in pixels
    double radius;  // of the head, in pixels

    bool Contains(Point p) const {
        const Point local{(head.x - p.x) / radius, (head.y - p.y) / radius};
        return local.x * local.x + local.y * local.y <= 1.0 || Inside(Tail(), local);
    }
};

// A pair of opening marks centred on a point, sized by the head's radius.
struct QuotePair {
    OpeningMark left;
    OpeningMark right;

    QuotePair(Point centre, double radius)
        // One mark spans from 1.06 r left of its head's centre to r right of
        // it, and from 2.3 r above to r below; with half a radius between the
        // marks, these head positions centre the pair both ways.
        : left{{centre.x - 1.25 * radius, centre.y + 0.65 * radius}, radius},
          right{{centre.x + 1.31 * radius, centre.y + 0.65 * radius}, radius} {}

    bool Contains(Point p) const { return left.Contains(p) || right.Contains(p); }
};

// A rectangle with round corners (a capsule when the radius is half the
// height).
struct RoundedRect {
    double left, top, right, bottom, radius;

    bool Contains(Point p) const {
        const double cx = std::clamp(p.x, left + radius, right - radius);
        const double cy = std::clamp(p.y, top + radius, bottom - radius);
        const double dx = p.x - cx, dy = p.y - cy;
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom &&
               dx * dx + dy * dy <= radius * radius;
    }
};

// Share of the pixel at (x, y) that the shape covers, from an 8 x 8 grid of
// samples: smooth edges without a rasteriser.
template <class Shape>
double Coverage(const Shape& shape, int x, int y) {
    constexpr int kGrid = 8;
    int hits = 0;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i)
            if (shape.Contains({x + (i + 0.5) / kGrid, y + (j + 0.5) / kGrid})) ++hits;
    return double(hits) / (kGrid * kGrid);
}

double Mix(double a, double b, double t) { return a + (b - a) * t; }

int ToByte(double v) { return std::clamp(int(std::lround(v)), 0, 255); }

// The window icon: a calm blue rounded square, slightly lighter at the top,
// with a large white pair of quotation marks. Bold shapes and no fine lines,
// so that it still reads at 16 px.
QImage DrawIcon() {
    constexpr int kSize = 64;
    const RoundedRect square{2, 2, 62, 62, 13};
    const QuotePair marks({32, 32}, 8.5);
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    for (int y = 0; y < kSize; ++y) {
        const double t = (y + 0.5) / kSize;
        const double r = Mix(78, 44, t), g = Mix(142, 98, t), b = Mix(176, 134, t);
        for (int x = 0; x < kSize; ++x) {
            const double alpha = Coverage(square, x, y);
            const double white = Coverage(marks, x, y);
            image.setPixel(x, y, qRgba(ToByte(Mix(r, 255, white)), ToByte(Mix(g, 255, white)),
                                       ToByte(Mix(b, 255, white)), ToByte(255 * alpha)));
        }
    }
    return image;
}

// The About picture: a soft light glow fading to a grey edge, a pair of
// quotation marks and, below them, two rounded lines standing for the
// sentence itself. Grey levels, one byte per pixel, row after row.
std::vector<std::uint8_t> DrawAboutPicture(int size) {
    const QuotePair marks({size / 2.0, size * 0.40}, size * 0.105);
    const RoundedRect longLine{size * 0.24, size * 0.68, size * 0.76, size * 0.72, size * 0.02};
    const RoundedRect shortLine{size * 0.34, size * 0.78, size * 0.66, size * 0.82, size * 0.02};
    std::vector<std::uint8_t> pixels(std::size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // The glow sits a little above the centre, behind the marks.
            const double dx = (x + 0.5) / size - 0.5, dy = (y + 0.5) / size - 0.45;
            const double d = std::sqrt(dx * dx + dy * dy) / 0.72;
            double v = Mix(240, 150, std::pow(std::min(d, 1.0), 1.6));
            v = Mix(v, 78, Coverage(marks, x, y));
            v = Mix(v, 120, Coverage(longLine, x, y));
            v = Mix(v, 120, Coverage(shortLine, x, y));
            pixels[std::size_t(y) * size + x] = std::uint8_t(ToByte(v));
        }
    }
    return pixels;
}

// A baseline JPEG of one grey component. A libjpeg failure here means a
// broken installation; its default handler prints the reason and exits,
// which is what a one-shot tool wants.
std::vector<unsigned char> EncodeGreyJpeg(const std::vector<std::uint8_t>& pixels, int size,
                                          int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = JDIMENSION(size);
    info.image_height = JDIMENSION(size);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    // force_baseline keeps every quantisation step within 8 bits, so the
    // frame stays baseline (SOF0) at any quality.
    jpeg_set_quality(&info, quality, TRUE);
    // Huffman tables fitted to this picture are still baseline and buy a
    // higher quality within the size budget.
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(&pixels[std::size_t(info.next_scanline) * size]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + length);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// The About picture is meant to stay small (about 2.3 KB), so the quality is
// the highest whose file fits the budget; a drawing too plain or too busy to
// land near the budget is refused, so that nobody commits one by accident.
constexpr std::size_t kAboutMinBytes = 2200;
constexpr std::size_t kAboutMaxBytes = 2400;

bool WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_assets <assets folder>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];

    const std::filesystem::path iconPath = folder / "quotidia.png";
    if (!DrawIcon().save(QString::fromStdString(iconPath.string()), "PNG")) {
        std::cerr << "cannot write " << iconPath << "\n";
        return 1;
    }

    constexpr int kAboutSize = 100;
    const auto pixels = DrawAboutPicture(kAboutSize);
    std::vector<unsigned char> jpeg;
    int quality = 100;
    for (; quality >= 1; --quality) {
        jpeg = EncodeGreyJpeg(pixels, kAboutSize, quality);
        if (jpeg.size() <= kAboutMaxBytes) break;
    }
    if (jpeg.size() < kAboutMinBytes || jpeg.size() > kAboutMaxBytes) {
        std::cerr << "the About picture comes to " << jpeg.size() << " bytes at quality "
                  << quality << ", outside " << kAboutMinBytes << "-" << kAboutMaxBytes
                  << ": change the drawing\n";
        return 1;
    }
    const std::filesystem::path aboutPath = folder / "about.jpg";
    if (!WriteFile(aboutPath, jpeg)) {
        std::cerr << "cannot write " << aboutPath << "\n";
        return 1;
    }
    std::cout << "About picture: quality " << quality << "\n";
    return 0;
}
