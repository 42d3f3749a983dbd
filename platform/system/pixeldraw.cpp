#include "platform/system/pixeldraw.h"

#include "platform/system/menufont.h"

namespace {

void setColour(SDL_Renderer* renderer, rgb colour) {
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
}

void drawGlyph(SDL_Renderer* renderer, char c, int x, int y) {
    for (int row = 0; row < MENU_GLYPH_HEIGHT; ++row) {
        for (int column = 0; column < MENU_GLYPH_WIDTH; ++column) {
            if (menuGlyphPixel(c, column, row))
                SDL_RenderDrawPoint(renderer, x + column, y + row);
        }
    }
}

bool isPrintableAscii(char c) {
    return c >= ' ' && c <= '~';
}

} // namespace

void fillRectangle(SDL_Renderer* renderer, int x, int y, int w, int h, rgb colour) {
    setColour(renderer, colour);
    const SDL_Rect rect = {x, y, w, h};
    SDL_RenderFillRect(renderer, &rect);
}

void outlineRectangle(SDL_Renderer* renderer, int x, int y, int w, int h, rgb colour) {
    setColour(renderer, colour);
    const SDL_Rect rect = {x, y, w, h};
    SDL_RenderDrawRect(renderer, &rect);
}

void drawLabel(SDL_Renderer* renderer, const char* label, int x, int y, rgb colour) {
    setColour(renderer, colour);
    bool underlineNext = false;
    for (const char* c = label; *c != '\0'; ++c) {
        if (*c == '&') {
            underlineNext = true;
            continue;
        }
        drawGlyph(renderer, *c, x, y);
        if (underlineNext)
            SDL_RenderDrawLine(renderer, x, y + MENU_UNDERLINE_ROW, x + MENU_GLYPH_WIDTH - 1,
                               y + MENU_UNDERLINE_ROW);
        underlineNext = false;
        x += MENU_GLYPH_ADVANCE;
    }
}

void drawText(SDL_Renderer* renderer, const std::string& text, int x, int y, rgb colour) {
    setColour(renderer, colour);
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0u) == 0x80u)
            continue; // the rest of a character already drawn
        if (isPrintableAscii(c)) {
            drawGlyph(renderer, c, x, y);
        } else {
            const SDL_Rect hollow = {x, y + 1, MENU_GLYPH_WIDTH, MENU_GLYPH_HEIGHT - 3};
            SDL_RenderDrawRect(renderer, &hollow);
        }
        x += MENU_GLYPH_ADVANCE;
    }
}

rendererStateGuard::rendererStateGuard(SDL_Renderer* renderer) : m_renderer(renderer) {
    SDL_RenderGetViewport(renderer, &m_viewport);
    m_clipped = SDL_RenderIsClipEnabled(renderer);
    SDL_RenderGetClipRect(renderer, &m_clip);
    SDL_GetRenderDrawBlendMode(renderer, &m_blend);
    SDL_GetRenderDrawColor(renderer, &m_r, &m_g, &m_b, &m_a);
    SDL_RenderGetScale(renderer, &m_scaleX, &m_scaleY);
}

rendererStateGuard::~rendererStateGuard() {
    SDL_RenderSetScale(m_renderer, m_scaleX, m_scaleY);
    SDL_RenderSetViewport(m_renderer, &m_viewport);
    SDL_RenderSetClipRect(m_renderer, m_clipped ? &m_clip : nullptr);
    SDL_SetRenderDrawBlendMode(m_renderer, m_blend);
    SDL_SetRenderDrawColor(m_renderer, m_r, m_g, m_b, m_a);
}
