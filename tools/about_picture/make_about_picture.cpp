// Draws the About window's picture, a shield with a star on a light ground, and writes it as a JPEG.
//
// The picture is drawn here rather than kept as a foreign image so that it can be remade at will:
//   g++ -std=c++17 -O2 make_about_picture.cpp -ljpeg -o make_about_picture
//   ./make_about_picture ../../src/app/resources/about.jpg
#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kSize = 120;
constexpr int kSamples = 4;  // per axis, for smooth edges
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Inside the shield outline scaled by `inset` pixels inwards: a flat top, straight sides down to
// the middle, then two arcs meeting in a point at the bottom.
bool inShield(double x, double y, double inset) {
    const double left = 14 + inset, right = kSize - 14 - inset, top = 10 + inset, waist = 62;
    const double tipY = kSize - 8 - inset * 1.6;
    if (y < top || x < left || x > right) return false;
    if (y <= waist) return true;
    // Below the waist the half-width shrinks along a quarter ellipse to the tip.
    const double half = (right - left) / 2, cx = (left + right) / 2;
    const double t = (y - waist) / (tipY - waist);
    if (t >= 1) return false;
    return std::fabs(x - cx) <= half * std::sqrt(1 - t * t);
}

// Inside a five-pointed star centred at (cx, cy): the ten corners alternate between the outer
// and the inner radius, and a point is inside when a ray from it crosses the outline an odd number
// of times.
bool inStar(double x, double y, double cx, double cy, double outer, double inner) {
    double vx[10], vy[10];
    for (int i = 0; i < 10; ++i) {
        const double a = i * kPi / 5;  // 0 points up
        const double r = i % 2 ? inner : outer;
        vx[i] = cx + r * std::sin(a);
        vy[i] = cy - r * std::cos(a);
    }
    bool inside = false;
    for (int i = 0, j = 9; i < 10; j = i++)
        if ((vy[i] > y) != (vy[j] > y) && x < (vx[j] - vx[i]) * (y - vy[i]) / (vy[j] - vy[i]) + vx[i])
            inside = !inside;
    return inside;
}

Rgb pixel(double x, double y) {
    const Rgb ground{240, 240, 240};
    const Rgb gold{206, 164, 52};
    const Rgb deep{18, 46, 128};
    const Rgb light{84, 140, 214};
    const Rgb white{252, 252, 246};
    if (!inShield(x, y, 0)) return ground;
    if (!inShield(x, y, 5)) return mix(gold, Rgb{150, 112, 28}, y / kSize);
    if (inStar(x, y, kSize / 2.0, 50, 26, 11)) return white;
    // Vertical gradient, a little lighter towards the upper left.
    const double t = std::fmin(1.0, std::fmax(0.0, (y - 15) / 95.0 + (x - 60) / 400.0));
    return mix(light, deep, t);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(kSize) * kSize * 3);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            Rgb sum{0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgb p = pixel(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
                    sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b};
                }
            const double n = kSamples * kSamples;
            unsigned char* out = &rgb[(static_cast<size_t>(y) * kSize + x) * 3];
            out[0] = static_cast<unsigned char>(std::lround(sum.r / n));
            out[1] = static_cast<unsigned char>(std::lround(sum.g / n));
            out[2] = static_cast<unsigned char>(std::lround(sum.b / n));
        }

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);  // the default handler ends the tool on an error
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = kSize;
    cinfo.image_height = kSize;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * kSize * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
