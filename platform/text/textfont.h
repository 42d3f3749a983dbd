#pragma once

#include "platform/render/renderdevice.h"

#include <cstdint>
#include <string>
#include <vector>

// A pixel rectangle of the game area; right and bottom are exclusive.
struct textRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

constexpr int TEXT_CACHE_LINES = 64;         // rendered lines kept, least recently used dropped first
constexpr size_t TEXT_MAX_LINE_BYTES = 1024; // longer lines are cut; they could not fit the area anyway

// A face opened at a pixel height, drawing strings into pixel rectangles of a
// render device. Rendered lines are cached by text and colour.
class textFont {
  public:
    textFont() = default;
    ~textFont();
    textFont(const textFont&) = delete;
    textFont& operator=(const textFont&) = delete;

    // Matches faceName and opens it at the point size whose line height is
    // height pixels (or the nearest below). width is recorded: scalable faces
    // keep their own proportions. False when no face could be opened.
    bool create(const char* faceName, int height, int width);
    void release(); // the device the lines were drawn on must still exist
    bool isCreated() const { return m_font != nullptr; }

    int getHeight() const { return m_height; } // as asked
    int getWidth() const { return m_width; }   // as asked
    int getPointSize() const { return m_pointSize; }
    int getLineHeight() const { return m_lineHeight; } // of the face at that size
    int getLineSkip() const { return m_lineSkip; }
    const std::string& getFamily() const { return m_family; }
    const std::string& getFacePath() const { return m_facePath; }
    const std::string& getFallbackPath() const { return m_fallbackPath; } // empty: no second face
    int getCachedLines() const { return static_cast<int>(m_cache.size()); }

    // Draws text top-left aligned in rect: '\n' starts a new line, '\r' is
    // ignored, no word wrap, clipped to rect. argb is 0xAARRGGBB; the text is
    // blended by its alpha. Returns the height of the lines drawn in pixels,
    // 0 when nothing was drawn.
    int drawText(renderDevice& device, const std::string& text, const textRect& rect, uint32_t argb);
    // One line's width in pixels as drawText would draw it, and whether one
    // of the two faces has every character of it (else boxes are drawn).
    int lineWidth(const std::string& line) const;
    bool drawsEveryCharacter(const std::string& line) const;

  private:
    struct cachedLine {
        std::string text;
        uint32_t argb = 0;
        void* texture = nullptr; // SDL_Texture of the device generation below
        int width = 0;
        int height = 0;
        uint64_t lastUse = 0;
    };

    const cachedLine* lineTexture(renderDevice& device, const std::string& line, uint32_t argb);
    void forgetCache(bool destroyTextures);
    void openFallback();
    bool drawLine(renderDevice& device, const std::string& line, int top, const textRect& rect,
                  uint32_t argb);

    void* m_font = nullptr;     // TTF_Font
    void* m_fallback = nullptr; // TTF_Font for the characters m_font lacks; may be null
    int m_height = 0;
    int m_width = 0;
    int m_pointSize = 0;
    int m_lineHeight = 0;
    int m_lineSkip = 0;
    std::string m_family;
    std::string m_facePath;
    std::string m_fallbackPath;

    std::vector<cachedLine> m_cache;
    const renderDevice* m_cacheDevice = nullptr;
    uint64_t m_cacheGeneration = 0;
    uint64_t m_useCount = 0;
};
