#include "platform/system/pixeldraw.h"

#include "core/displaytext.h"
#include "platform/system/labelface.h"
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

bool isPrintableAscii(uint32_t c) {
    return c >= ' ' && c <= '~';
}

// The character at text[at] in the bitmap face, else in the label face,
// else as a hollow box, so text from the user never goes unseen; advances at
// and returns the width taken.
int drawCharacter(SDL_Renderer* renderer, const std::string& text, size_t& at, int x, int y, rgb colour) {
    const uint32_t character = nextCharacter(text, at);
    if (isPrintableAscii(character)) {
        drawGlyph(renderer, static_cast<char>(character), x, y);
        return MENU_GLYPH_ADVANCE;
    }
    if (drawLabelGlyph(renderer, character, x, y, colour))
        return labelGlyphAdvance(character);
    const SDL_Rect hollow = {x, y + 1, MENU_GLYPH_WIDTH, MENU_GLYPH_HEIGHT - 3};
    SDL_RenderDrawRect(renderer, &hollow);
    return MENU_GLYPH_ADVANCE;
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
    const std::string text = label;
    setColour(renderer, colour);
    bool underlineNext = false;
    for (size_t at = 0; at < text.size();) {
        if (text[at] == '&') {
            underlineNext = true;
            ++at;
            continue;
        }
        const int width = drawCharacter(renderer, text, at, x, y, colour);
        if (underlineNext)
            SDL_RenderDrawLine(renderer, x, y + MENU_UNDERLINE_ROW, x + width - 2, y + MENU_UNDERLINE_ROW);
        underlineNext = false;
        x += width;
    }
}

void drawText(SDL_Renderer* renderer, const std::string& text, int x, int y, rgb colour) {
    setColour(renderer, colour);
    for (size_t at = 0; at < text.size();)
        x += drawCharacter(renderer, text, at, x, y, colour);
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
