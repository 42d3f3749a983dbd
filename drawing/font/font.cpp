#include "drawing/font/font.h"

#include "core/assertion.h"
#include "drawing/render.h"

#include <cmath>

namespace {

// Pixel coordinates far outside any window are held here so the conversion
// to int stays defined.
constexpr double PIXEL_LIMIT = 1 << 24;

uint32_t lowByteOfTruncated(float channel) {
    if (!std::isfinite(channel))
        return 0;
    double wrapped = std::fmod(std::trunc(static_cast<double>(channel * 255.0f)), 256.0);
    if (wrapped < 0.0)
        wrapped += 256.0;
    return static_cast<uint32_t>(wrapped);
}

int toPixel(float value) {
    if (std::isnan(value))
        return 0;
    const double clamped = std::fmax(-PIXEL_LIMIT, std::fmin(PIXEL_LIMIT, static_cast<double>(value)));
    return static_cast<int>(clamped);
}

} // namespace

uint32_t fontColourToARGB(float r, float g, float b, float a) {
    return (lowByteOfTruncated(a) << 24) | (lowByteOfTruncated(r) << 16) | (lowByteOfTruncated(g) << 8) |
           lowByteOfTruncated(b);
}

textRect fontPixelRect(float left, float right, float top, float bottom, int width, int height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    textRect rect;
    rect.left = toPixel((left * 0.5f + 0.5f) * w);
    rect.right = toPixel((right * 0.5f + 0.5f) * w);
    rect.top = toPixel((top * -0.5f + 0.5f) * h);
    rect.bottom = toPixel((bottom * -0.5f + 0.5f) * h);
    return rect;
}

font::font()
    : m_left(-1.0f), m_right(1.0f), m_bottom(-1.0f), m_top(1.0f), m_red(0.0f), m_green(0.0f), m_blue(0.0f),
      m_alpha(1.0f), m_sprite(nullptr) {}

font::~font() = default;

void font::create(const char* name, int size) {
    m_faceName = name != nullptr ? name : "";
    const bool created = g_pd3dDevice != nullptr && m_font.create(name, size, size / 2);
    ZEB_ASSERT(created, "font: Failed to create font");
}

void font::setSize(int size) {
    if (size == m_font.getHeight())
        return;
    const std::string face = m_faceName; // create replaces the name it is given
    create(face.c_str(), size);
}

void font::setRect(float left, float right, float top, float bottom) {
    m_left = left;
    m_right = right;
    m_top = top;
    m_bottom = bottom;
}

void font::setColour(float r, float g, float b, float a) {
    ZEB_ASSERT(r >= 0.0f && r <= 1.0f, "font: Red colour value ( %.2f ) must be between 0.0f and 1.0f",
               static_cast<double>(r));
    ZEB_ASSERT(g >= 0.0f && g <= 1.0f, "font: Green colour value ( %.2f ) must be between 0.0f and 1.0f",
               static_cast<double>(g));
    ZEB_ASSERT(b >= 0.0f && b <= 1.0f, "font: Blue colour value ( %.2f ) must be between 0.0f and 1.0f",
               static_cast<double>(b));
    ZEB_ASSERT(a >= 0.0f && a <= 1.0f, "font: Alpha colour value ( %.2f ) must be between 0.0f and 1.0f",
               static_cast<double>(a));
    m_red = r;
    m_green = g;
    m_blue = b;
    m_alpha = a;
}

void font::print(const char* text) {
    renderDevice* device = g_pd3dDevice;
    if (device == nullptr || text == nullptr) {
        ZEB_FAIL("Font failed to print");
        return;
    }
    device->setDepthTest(false);
    const matrix savedView = device->getTransform(transformState::view);
    const matrix savedProjection = device->getTransform(transformState::projection);
    device->setTransform(transformState::view, IDENTITY);
    device->setTransform(transformState::projection, IDENTITY);

    const uint32_t colour = fontColourToARGB(m_red, m_green, m_blue, m_alpha);
    int width = 0;
    int height = 0;
    getWindowSize(&width, &height);
    const textRect rect = fontPixelRect(m_left, m_right, m_top, m_bottom, width, height);
    if (m_font.drawText(*device, text, rect, colour) == 0)
        ZEB_FAIL("Font failed to print");

    device->setTransform(transformState::view, savedView);
    device->setTransform(transformState::projection, savedProjection);
    device->setDepthTest(true);
}
