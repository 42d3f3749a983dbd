#pragma once

#include <SDL.h>

#include <string>

// Flat rectangles and bitmap labels for the window's own furniture (the menu
// strip and the About box), drawn with the SDL renderer in window pixels.

struct rgb {
    Uint8 r, g, b;
};

void fillRectangle(SDL_Renderer* renderer, int x, int y, int w, int h, rgb colour);
void outlineRectangle(SDL_Renderer* renderer, int x, int y, int w, int h, rgb colour);

// A label in the menu face; the letter after '&' is underlined.
void drawLabel(SDL_Renderer* renderer, const char* label, int x, int y, rgb colour);

// Text (UTF-8) as it stands, '&' too; a character the face lacks is drawn as
// a hollow box, so text from the user never goes unseen.
void drawText(SDL_Renderer* renderer, const std::string& text, int x, int y, rgb colour);

// A character of the label face (see labelface.h) with its baseline on the
// bitmap face's; false when the face lacks it.
bool drawLabelGlyph(SDL_Renderer* renderer, uint32_t character, int x, int y, rgb colour);

// Saves the renderer's viewport, clip, blending, colour and scale, and puts
// them back when it goes: the render device keeps its own.
class rendererStateGuard {
  public:
    explicit rendererStateGuard(SDL_Renderer* renderer);
    ~rendererStateGuard();
    rendererStateGuard(const rendererStateGuard&) = delete;
    rendererStateGuard& operator=(const rendererStateGuard&) = delete;

  private:
    SDL_Renderer* m_renderer;
    SDL_Rect m_viewport;
    SDL_Rect m_clip;
    SDL_bool m_clipped;
    SDL_BlendMode m_blend;
    Uint8 m_r, m_g, m_b, m_a;
    float m_scaleX, m_scaleY;
};
