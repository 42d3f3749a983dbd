#pragma once

#include "platform/text/textfont.h"

#include <cstdint>
#include <string>

// Lines of text over the scene, in a rectangle given in normalised window
// coordinates (-1 left or bottom edge, 1 right or top edge) and a colour.
// print draws with depth testing and the view and projection transforms
// switched off for the duration of the call.
class font {
  public:
    font();
    ~font();
    font(const font&) = delete;
    font& operator=(const font&) = delete;

    void create(const char* name, int size); // height size, width size / 2
    void setSize(int size);                  // the same face again at another height
    int getSize() const { return m_font.getHeight(); }

    void setLeft(float left) { m_left = left; }
    void setRight(float right) { m_right = right; }
    void setTop(float top) { m_top = top; }
    void setBottom(float bottom) { m_bottom = bottom; }
    void setRect(float left, float right, float top, float bottom);
    void setColour(float r, float g, float b, float a); // reports channels outside 0 to 1, stores them anyway

    void print(const char* text);

    float getLeft() const { return m_left; }
    float getRight() const { return m_right; }
    float getTop() const { return m_top; }
    float getBottom() const { return m_bottom; }
    float getRed() const { return m_red; }
    float getGreen() const { return m_green; }
    float getBlue() const { return m_blue; }
    float getAlpha() const { return m_alpha; }
    const textFont& getFace() const { return m_font; }

  private:
    float m_left;
    float m_right;
    float m_bottom;
    float m_top;
    float m_red;
    float m_green;
    float m_blue;
    float m_alpha;
    textFont m_font;
    std::string m_faceName;
    void* m_sprite; // never created; kept for the drawing call's shape
};

// Each channel * 255 truncated towards zero, its low 8 bits kept; not a
// number and infinities give 0.
uint32_t fontColourToARGB(float r, float g, float b, float a);

// The pixel rectangle of a normalised rectangle in a width by height area.
textRect fontPixelRect(float left, float right, float top, float bottom, int width, int height);
