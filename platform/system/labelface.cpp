#include "platform/system/labelface.h"

#include "core/displaytext.h"
#include "platform/system/menufont.h"
#include "platform/system/pixeldraw.h"
#include "platform/text/facematch.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* LABEL_FACE = "WenQuanYi Micro Hei";
constexpr int LABEL_POINT_SIZE = 9; // about the bitmap face's height, legible for Chinese
constexpr int BITMAP_BASELINE = 7;  // rows of the bitmap face above its baseline

struct labelGlyph {
    int width = 0;
    int height = 0;
    int advance = 0;
    int ascent = 0;
    std::vector<Uint8> coverage; // width * height
};

// The face and the glyphs drawn so far, for the program's lifetime: the
// labels of every window share them, and nothing of them is tied to a
// renderer. Opened on first use; without a face every glyph is absent.
class labelFace {
  public:
    const labelGlyph* glyph(uint32_t character) {
        if (!open())
            return nullptr;
        const auto found = m_glyphs.find(character);
        if (found != m_glyphs.end())
            return found->second.width > 0 ? &found->second : nullptr;
        if (m_glyphs.size() >= LABEL_MAX_GLYPHS)
            m_glyphs.clear();
        labelGlyph& made = m_glyphs[character];
        render(character, made);
        return made.width > 0 ? &made : nullptr;
    }

  private:
    bool open() {
        if (m_tried)
            return m_font != nullptr;
        m_tried = true;
        if (TTF_WasInit() == 0 && TTF_Init() != 0)
            return false;
        const std::string path = findFaceFile(LABEL_FACE, nullptr);
        if (!path.empty())
            m_font = TTF_OpenFont(path.c_str(), LABEL_POINT_SIZE);
        return m_font != nullptr;
    }
    void render(uint32_t character, labelGlyph& made) {
        int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
        if (character == REPLACEMENT_CHARACTER || !TTF_GlyphIsProvided32(m_font, character) ||
            TTF_GlyphMetrics32(m_font, character, &minX, &maxX, &minY, &maxY, &advance) != 0)
            return;
        SDL_Surface* rendered = TTF_RenderGlyph32_Blended(m_font, character, SDL_Color{255, 255, 255, 255});
        if (rendered == nullptr)
            return;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        if (argb == nullptr)
            return;
        made.width = argb->w;
        made.height = argb->h;
        made.advance = advance;
        made.ascent = TTF_FontAscent(m_font);
        made.coverage.resize(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
        SDL_LockSurface(argb);
        for (int row = 0; row < argb->h; ++row) {
            const Uint32* pixels =
                reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + row * argb->pitch);
            for (int column = 0; column < argb->w; ++column)
                made.coverage[static_cast<size_t>(row * argb->w + column)] =
                    static_cast<Uint8>(pixels[column] >> 24);
        }
        SDL_UnlockSurface(argb);
        SDL_FreeSurface(argb);
    }

    bool m_tried = false;
    TTF_Font* m_font = nullptr;
    std::unordered_map<uint32_t, labelGlyph> m_glyphs;
};

labelFace& face() {
    static labelFace shared;
    return shared;
}

} // namespace

bool hasLabelGlyph(uint32_t character) {
    return face().glyph(character) != nullptr;
}

int labelGlyphAdvance(uint32_t character) {
    const labelGlyph* glyph = face().glyph(character);
    return glyph != nullptr ? std::max(MENU_GLYPH_ADVANCE, glyph->advance + 1) : MENU_GLYPH_ADVANCE;
}

bool drawLabelGlyph(SDL_Renderer* renderer, uint32_t character, int x, int y, rgb colour) {
    const labelGlyph* glyph = face().glyph(character);
    if (glyph == nullptr)
        return false;
    SDL_BlendMode blend = SDL_BLENDMODE_NONE;
    SDL_GetRenderDrawBlendMode(renderer, &blend);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    const int top = y + BITMAP_BASELINE - glyph->ascent;
    for (int row = 0; row < glyph->height; ++row) {
        for (int column = 0; column < glyph->width; ++column) {
            const Uint8 alpha = glyph->coverage[static_cast<size_t>(row * glyph->width + column)];
            if (alpha == 0)
                continue;
            SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, alpha);
            SDL_RenderDrawPoint(renderer, x + column, top + row);
        }
    }
    SDL_SetRenderDrawBlendMode(renderer, blend);
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
    return true;
}
