// Draws the program's desktop icon, the About picture's shield with a star, as an SVG file.
//
// The icon is the About picture's drawing in vector form, so that a desktop can show it at any
// size: the same shield outline (flat top, straight sides to the waist, a quarter ellipse on each
// side down to the tip), the same gold rim, blue gradient and white star, on a clear ground.
// The build runs it: make-icon OUTPUT.svg
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kSize = 120;  // the About picture's drawing units
constexpr double kPi = 3.14159265358979323846;

// The shield outline moved `inset` units inwards, as the About picture's inShield draws it.
std::string shieldPath(double inset) {
    const double left = 14 + inset, right = kSize - 14 - inset, top = 10 + inset, waist = 62;
    const double tipY = kSize - 8 - inset * 1.6;
    const double half = (right - left) / 2, cx = (left + right) / 2, drop = tipY - waist;
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "M%.2f %.2fH%.2fV%.2fA%.2f %.2f 0 0 1 %.2f %.2fA%.2f %.2f 0 0 1 %.2f %.2fZ", left, top, right,
                  waist, half, drop, cx, tipY, half, drop, left, waist);
    return buf;
}

// The five-pointed star: ten corners alternating between the outer and the inner radius.
std::string starPoints(double cx, double cy, double outer, double inner) {
    std::string out;
    for (int i = 0; i < 10; ++i) {
        const double a = i * kPi / 5;  // 0 points up
        const double r = i % 2 ? inner : outer;
        char buf[48];
        std::snprintf(buf, sizeof buf, "%s%.2f,%.2f", i ? " " : "", cx + r * std::sin(a), cy - r * std::cos(a));
        out += buf;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.svg\n", argv[0]);
        return 2;
    }
    const std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 1 120 120\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"rim\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"120\" gradientUnits=\"userSpaceOnUse\">\n"
        "      <stop offset=\"0\" stop-color=\"#cea434\"/><stop offset=\"1\" stop-color=\"#96701c\"/>\n"
        "    </linearGradient>\n"
        "    <linearGradient id=\"field\" x1=\"50\" y1=\"15\" x2=\"60\" y2=\"110\" gradientUnits=\"userSpaceOnUse\">\n"
        "      <stop offset=\"0\" stop-color=\"#548cd6\"/><stop offset=\"1\" stop-color=\"#122e80\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n"
        "  <path fill=\"url(#rim)\" d=\"" + shieldPath(0) + "\"/>\n"
        "  <path fill=\"url(#field)\" d=\"" + shieldPath(5) + "\"/>\n"
        "  <polygon fill=\"#fcfcf6\" points=\"" + starPoints(kSize / 2, 50, 26, 11) + "\"/>\n"
        "</svg>\n";
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
