// Draws the application icon: a ship's outline and an asteroid on a
// night-blue disc, the picture the window icon shows. It writes the scalable
// SVG and the PNGs at the usual sizes from one description, so they agree.
// Run it to remake them:  zeb_makeicons <source>/packaging/icons

#include "platform/render/pngwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr float CANVAS = 256.0f; // the SVG's view box; every figure below is in its units
constexpr float DISC_RADIUS = 120.0f;
constexpr uint32_t DISC_COLOUR = 0x1A1A33;
constexpr int SUBSAMPLES = 4; // per axis, for smooth edges at small sizes
constexpr int ICON_SIZES[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct point {
    float x;
    float y;
};

struct outline {
    std::vector<point> corners; // closed
    float strokeWidth;
    uint32_t colour; // 0xRRGGBB
};

// The ship points up and right, as it starts in the game; the asteroid drifts below.
const outline SHIP = {{{204, 52}, {76, 108}, {116, 140}, {148, 180}}, 14.0f, 0xFFFFFF};
const outline ASTEROID = {
    {{58, 168}, {80, 146}, {106, 154}, {114, 182}, {96, 208}, {66, 202}}, 10.0f, 0xA0A0B4};

float distanceToSegment(point p, point a, point b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0.0f ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool onOutline(point p, const outline& shape) {
    const size_t count = shape.corners.size();
    for (size_t i = 0; i < count; ++i) {
        if (distanceToSegment(p, shape.corners[i], shape.corners[(i + 1) % count]) <= shape.strokeWidth / 2)
            return true;
    }
    return false;
}

// The colour at a point of the canvas; false where the icon is transparent.
bool colourAt(point p, uint32_t& colour) {
    if (std::hypot(p.x - CANVAS / 2, p.y - CANVAS / 2) > DISC_RADIUS)
        return false;
    colour = onOutline(p, SHIP) ? SHIP.colour : onOutline(p, ASTEROID) ? ASTEROID.colour : DISC_COLOUR;
    return true;
}

// Averages the covered subsamples; the colour is not darkened by the
// transparent ones, only the alpha falls.
uint32_t pixelAt(int x, int y, int size) {
    const float scale = CANVAS / static_cast<float>(size);
    float sum[3] = {0, 0, 0};
    int covered = 0;
    for (int sy = 0; sy < SUBSAMPLES; ++sy) {
        for (int sx = 0; sx < SUBSAMPLES; ++sx) {
            const point p = {(static_cast<float>(x) + (sx + 0.5f) / SUBSAMPLES) * scale,
                             (static_cast<float>(y) + (sy + 0.5f) / SUBSAMPLES) * scale};
            uint32_t colour = 0;
            if (!colourAt(p, colour))
                continue;
            ++covered;
            for (int c = 0; c < 3; ++c)
                sum[c] += static_cast<float>((colour >> (16 - 8 * c)) & 0xFF);
        }
    }
    if (covered == 0)
        return 0;
    uint32_t pixel = static_cast<uint32_t>(covered * 255 / (SUBSAMPLES * SUBSAMPLES)) << 24;
    for (int c = 0; c < 3; ++c)
        pixel |= static_cast<uint32_t>(std::lround(sum[c] / static_cast<float>(covered))) << (16 - 8 * c);
    return pixel;
}

std::string hexColour(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof(text), "#%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return text;
}

std::string svgPolygon(const outline& shape) {
    std::string points;
    for (const point& corner : shape.corners)
        points += (points.empty() ? "" : " ") + std::to_string(static_cast<int>(corner.x)) + "," +
                  std::to_string(static_cast<int>(corner.y));
    return "  <polygon points=\"" + points + "\" fill=\"none\" stroke=\"" + hexColour(shape.colour) +
           "\" stroke-width=\"" + std::to_string(static_cast<int>(shape.strokeWidth)) +
           "\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
}

bool writeSvg(const std::string& path) {
    const int canvas = static_cast<int>(CANVAS);
    const std::string text =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(canvas) + "\" height=\"" +
        std::to_string(canvas) + "\" viewBox=\"0 0 " + std::to_string(canvas) + " " + std::to_string(canvas) +
        "\">\n" + "  <circle cx=\"" + std::to_string(canvas / 2) + "\" cy=\"" + std::to_string(canvas / 2) +
        "\" r=\"" + std::to_string(static_cast<int>(DISC_RADIUS)) + "\" fill=\"" + hexColour(DISC_COLOUR) +
        "\"/>\n" + svgPolygon(ASTEROID) + svgPolygon(SHIP) + "</svg>\n";
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    const bool written = std::fputs(text.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

bool writePng(const std::string& path, int size) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            pixels[static_cast<size_t>(y) * size + x] = pixelAt(x, y, size);
    }
    return writePNGWithAlpha(path, pixels, size, size);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = writeSvg(folder + "/zeb.svg");
    for (const int size : ICON_SIZES)
        ok = writePng(folder + "/zeb-" + std::to_string(size) + ".png", size) && ok;
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write the icons into %s\n", argv[0], folder.c_str());
        return 1;
    }
    return 0;
}
