#include "platform/text/textfont.h"

#include "core/displaytext.h"
#include "platform/text/facematch.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>

namespace {

constexpr int MAX_TEXT_HEIGHT = 1024;
// The face for characters the game's face lacks (Chinese, Japanese, Korean
// in names, chat and translations); it covers Latin, Greek and Cyrillic too.
constexpr const char* FALLBACK_FACE = "WenQuanYi Micro Hei";

TTF_Font* ttf(void* font) {
    return static_cast<TTF_Font*>(font);
}

bool startTTF() {
    return TTF_WasInit() > 0 || TTF_Init() == 0;
}

// The largest point size whose line height does not exceed height (SDL_ttf's
// point sizes do not map one to one onto pixel heights).
int pointSizeFor(TTF_Font* font, int height) {
    int best = 1;
    for (int size = 1; size <= 2 * height + 8; ++size) {
        if (TTF_SetFontSize(font, size) != 0)
            break;
        const int lineHeight = TTF_FontHeight(font);
        if (lineHeight > height)
            break;
        best = size;
    }
    TTF_SetFontSize(font, best);
    return best;
}

// Cuts at most TEXT_MAX_LINE_BYTES, never inside a UTF-8 sequence; drops '\r'.
std::string cleanLine(const std::string& text, size_t begin, size_t end) {
    std::string line;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] != '\r')
            line.push_back(text[i]);
    }
    if (line.size() > TEXT_MAX_LINE_BYTES) {
        size_t cut = TEXT_MAX_LINE_BYTES;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        line.resize(cut);
    }
    return line;
}

// The line split where the face drawing it changes: each character goes to
// the game's face, or to the fallback when only that one has its glyph.
std::vector<std::pair<TTF_Font*, std::string>> splitByFace(TTF_Font* face, TTF_Font* fallback,
                                                           const std::string& line) {
    std::vector<std::pair<TTF_Font*, std::string>> runs;
    for (size_t at = 0; at < line.size();) {
        const size_t start = at;
        const uint32_t character = nextCharacter(line, at);
        TTF_Font* drawing = face;
        if (fallback != nullptr && !TTF_GlyphIsProvided32(face, character) &&
            TTF_GlyphIsProvided32(fallback, character))
            drawing = fallback;
        if (runs.empty() || runs.back().first != drawing)
            runs.emplace_back(drawing, std::string());
        runs.back().second.append(line, start, at - start);
    }
    return runs;
}

// One surface of the runs side by side, on the game face's baseline.
SDL_Surface* renderRuns(TTF_Font* face, const std::vector<std::pair<TTF_Font*, std::string>>& runs,
                        SDL_Color colour) {
    std::vector<std::pair<SDL_Surface*, int>> pieces; // each run and its top
    int width = 0;
    int height = TTF_FontHeight(face);
    for (const auto& [font, text] : runs) {
        SDL_Surface* piece = TTF_RenderUTF8_Blended(font, text.c_str(), colour);
        if (piece == nullptr)
            continue;
        const int top = std::max(0, TTF_FontAscent(face) - TTF_FontAscent(font));
        pieces.emplace_back(piece, top);
        width += piece->w;
        height = std::max(height, top + piece->h);
    }
    SDL_Surface* line =
        width > 0 ? SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888) : nullptr;
    int left = 0;
    for (const auto& [piece, top] : pieces) {
        if (line != nullptr) {
            SDL_SetSurfaceBlendMode(piece, SDL_BLENDMODE_NONE);
            SDL_Rect place = {left, top, piece->w, piece->h};
            SDL_BlitSurface(piece, nullptr, line, &place);
        }
        left += piece->w;
        SDL_FreeSurface(piece);
    }
    return line;
}

} // namespace

textFont::~textFont() {
    release();
}

bool textFont::create(const char* faceName, int height, int width) {
    release();
    if (height < 1 || height > MAX_TEXT_HEIGHT || !startTTF())
        return false;
    std::string family;
    const std::string path = findFaceFile(faceName, &family);
    if (path.empty())
        return false;
    TTF_Font* font = TTF_OpenFont(path.c_str(), height);
    if (font == nullptr)
        return false;
    m_font = font;
    m_height = height;
    m_width = width;
    m_family = family;
    m_facePath = path;
    m_pointSize = pointSizeFor(font, height);
    m_lineHeight = TTF_FontHeight(font);
    m_lineSkip = std::max(1, TTF_FontLineSkip(font));
    openFallback();
    return true;
}

// At the game face's point size, so the scripts sit side by side at one
// height; none when the match is the game's own face.
void textFont::openFallback() {
    const std::string path = findFaceFile(FALLBACK_FACE, nullptr);
    if (path.empty() || path == m_facePath)
        return;
    m_fallback = TTF_OpenFont(path.c_str(), m_pointSize);
    if (m_fallback != nullptr)
        m_fallbackPath = path;
}

void textFont::release() {
    const bool deviceAlive = m_cacheDevice != nullptr && m_cacheGeneration != 0 &&
                             m_cacheDevice->getGeneration() == m_cacheGeneration;
    forgetCache(deviceAlive);
    m_cacheDevice = nullptr;
    m_cacheGeneration = 0;
    if (m_font != nullptr)
        TTF_CloseFont(ttf(m_font));
    if (m_fallback != nullptr)
        TTF_CloseFont(ttf(m_fallback));
    m_font = nullptr;
    m_fallback = nullptr;
    m_fallbackPath.clear();
    m_pointSize = 0;
    m_lineHeight = 0;
    m_lineSkip = 0;
}

void textFont::forgetCache(bool destroyTextures) {
    if (destroyTextures) {
        for (const cachedLine& line : m_cache)
            SDL_DestroyTexture(static_cast<SDL_Texture*>(line.texture));
    }
    m_cache.clear();
}

const textFont::cachedLine* textFont::lineTexture(renderDevice& device, const std::string& line,
                                                  uint32_t argb) {
    // Textures die with their renderer: a new device generation starts afresh.
    if (m_cacheDevice != &device || m_cacheGeneration != device.getGeneration()) {
        forgetCache(false);
        m_cacheDevice = &device;
        m_cacheGeneration = device.getGeneration();
    }
    ++m_useCount;
    for (cachedLine& cached : m_cache) {
        if (cached.argb == argb && cached.text == line) {
            cached.lastUse = m_useCount;
            return &cached;
        }
    }

    const SDL_Color colour = {static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                              static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
    const auto runs = splitByFace(ttf(m_font), ttf(m_fallback), line);
    SDL_Surface* surface = runs.size() == 1 && runs.front().first == ttf(m_font)
                               ? TTF_RenderUTF8_Blended(ttf(m_font), line.c_str(), colour)
                               : renderRuns(ttf(m_font), runs, colour);
    if (surface == nullptr)
        return nullptr;
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(device.getNativeRenderer());
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    cachedLine entry;
    entry.width = surface->w;
    entry.height = surface->h;
    SDL_FreeSurface(surface);
    if (texture == nullptr)
        return nullptr;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    entry.text = line;
    entry.argb = argb;
    entry.texture = texture;
    entry.lastUse = m_useCount;

    if (static_cast<int>(m_cache.size()) < TEXT_CACHE_LINES) {
        m_cache.push_back(std::move(entry));
        return &m_cache.back();
    }
    auto oldest =
        std::min_element(m_cache.begin(), m_cache.end(),
                         [](const cachedLine& a, const cachedLine& b) { return a.lastUse < b.lastUse; });
    SDL_DestroyTexture(static_cast<SDL_Texture*>(oldest->texture));
    *oldest = std::move(entry);
    return &*oldest;
}

bool textFont::drawLine(renderDevice& device, const std::string& line, int top, const textRect& rect,
                        uint32_t argb) {
    if (line.empty())
        return false;
    const cachedLine* cached = lineTexture(device, line, argb);
    if (cached == nullptr)
        return false;
    const SDL_Rect whole = {rect.left, top, cached->width, cached->height};
    const SDL_Rect bounds = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    SDL_Rect visible;
    if (!SDL_IntersectRect(&whole, &bounds, &visible))
        return false;
    const SDL_Rect source = {visible.x - whole.x, visible.y - whole.y, visible.w, visible.h};
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(device.getNativeRenderer());
    device.noteDrawn(visible.x, visible.y, visible.w, visible.h);
    return SDL_RenderCopy(renderer, static_cast<SDL_Texture*>(cached->texture), &source, &visible) == 0;
}

int textFont::lineWidth(const std::string& line) const {
    int width = 0;
    for (const auto& [font, text] : splitByFace(ttf(m_font), ttf(m_fallback), line)) {
        int runWidth = 0;
        if (font != nullptr && TTF_SizeUTF8(font, text.c_str(), &runWidth, nullptr) == 0)
            width += runWidth;
    }
    return width;
}

bool textFont::drawsEveryCharacter(const std::string& line) const {
    if (m_font == nullptr)
        return false;
    for (size_t at = 0; at < line.size();) {
        const uint32_t character = nextCharacter(line, at);
        if (!TTF_GlyphIsProvided32(ttf(m_font), character) &&
            (m_fallback == nullptr || !TTF_GlyphIsProvided32(ttf(m_fallback), character)))
            return false;
    }
    return true;
}

int textFont::drawText(renderDevice& device, const std::string& text, const textRect& rect, uint32_t argb) {
    if (m_font == nullptr || !device.isCreated() || rect.right <= rect.left || rect.bottom <= rect.top)
        return 0;
    int drawnBottom = rect.top;
    int lineTop = rect.top;
    size_t begin = 0;
    while (begin <= text.size() && lineTop < rect.bottom) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        if (drawLine(device, cleanLine(text, begin, end), lineTop, rect, argb))
            drawnBottom = std::min(rect.bottom, lineTop + m_lineHeight);
        lineTop += m_lineSkip;
        begin = end + 1;
    }
    return drawnBottom - rect.top;
}
