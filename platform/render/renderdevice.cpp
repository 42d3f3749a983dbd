#include "platform/render/renderdevice.h"

#include "platform/render/graphicsdevices.h"
#include "platform/render/pngwriter.h"

#include <SDL.h>
#include <string>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint64_t g_nextGeneration = 1;

// Points of the run being drawn; the device lives on the main thread only.
std::vector<SDL_FPoint> g_run;
std::vector<SDL_Rect> g_changedRects; // scratch for the present

SDL_Renderer* sdl(void* renderer) {
    return static_cast<SDL_Renderer*>(renderer);
}

uint8_t channelByte(float value) {
    if (value >= 1.0f)
        return 255;
    if (!(value > 0.0f))
        return 0;
    return static_cast<uint8_t>(value * 255.0f + 0.5f);
}

bool isSoftwareDriver(const char* videoDriver) {
    return videoDriver != nullptr &&
           (std::strcmp(videoDriver, "dummy") == 0 || std::strcmp(videoDriver, "offscreen") == 0);
}

SDL_BlendMode blendModeFor(bool enabled, blendFactor source, blendFactor destination) {
    if (!enabled)
        return SDL_BLENDMODE_NONE;
    if (source == blendFactor::one && destination == blendFactor::zero)
        return SDL_BLENDMODE_NONE;
    if (destination == blendFactor::one)
        return SDL_BLENDMODE_ADD;
    return SDL_BLENDMODE_BLEND;
}

void flushRun(SDL_Renderer* renderer) {
    if (g_run.size() >= 2)
        SDL_RenderDrawLinesF(renderer, g_run.data(), static_cast<int>(g_run.size()));
}

} // namespace

renderDevice::renderDevice() : m_view(IDENTITY), m_projection(IDENTITY) {}

renderDevice::~renderDevice() {
    release();
}

bool renderDevice::create(const renderWindow& window) {
    release();
    if (window.areaWidth < 1 || window.areaHeight < 1)
        return false;
    m_window = window;
    resetState();
    const bool made = window.nativeWindow != nullptr ? createWindowRenderer() : createOffscreenRenderer();
    if (!made) {
        release();
        return false;
    }
    m_generation = g_nextGeneration++;
    applyArea();
    return true;
}

void renderDevice::applyArea() {
    const bool inWindow = m_window.nativeWindow != nullptr;
    const SDL_Rect area = {inWindow ? m_window.areaX : 0, inWindow ? m_window.areaY : 0, m_window.areaWidth,
                           m_window.areaHeight};
    SDL_RenderSetViewport(sdl(m_renderer), &area);
    const SDL_Rect clip = {0, 0, m_window.areaWidth, m_window.areaHeight};
    SDL_RenderSetClipRect(sdl(m_renderer), &clip);
}

bool renderDevice::setArea(int x, int y, int width, int height) {
    if (m_renderer == nullptr || m_window.nativeWindow == nullptr || width < 1 || height < 1)
        return false;
    m_window.areaX = x;
    m_window.areaY = y;
    m_window.areaWidth = width;
    m_window.areaHeight = height;
    m_wholeDirty = true;
    applyArea();
    return true;
}

namespace {

// A GL renderer that rasterises on the processor (Mesa's llvmpipe under a
// virtual display) is no GPU: it only adds threads the frame waits for, and
// SDL's own software renderer draws these few lines with less work.
bool isSoftwareGL(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using getStringFunction = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<getStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int GL_RENDERER_NAME = 0x1F01;
    const unsigned char* name = getString != nullptr ? getString(GL_RENDERER_NAME) : nullptr;
    if (name == nullptr)
        return false;
    const std::string text(reinterpret_cast<const char*>(name));
    return text.find("llvmpipe") != std::string::npos || text.find("softpipe") != std::string::npos ||
           text.find("swrast") != std::string::npos;
}

} // namespace

bool renderDevice::createWindowRenderer() {
    SDL_Window* window = static_cast<SDL_Window*>(m_window.nativeWindow);
    if (SDL_Renderer* existing = SDL_GetRenderer(window)) {
        m_renderer = existing;
        m_ownsRenderer = false;
    } else {
        // Without a display, or without a graphics processor, there is no GPU
        // to ask for; with both, try it first.
        SDL_Renderer* renderer = nullptr;
        if (!isSoftwareDriver(SDL_GetCurrentVideoDriver()) && hasGraphicsDevice())
            renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
        if (renderer != nullptr && isSoftwareGL(renderer)) {
            SDL_DestroyRenderer(renderer);
            renderer = nullptr;
        }
        if (renderer == nullptr) {
            // The window's surface, not a GL texture standing in for it.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
            SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
            renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        }
        m_renderer = renderer;
        m_ownsRenderer = true;
    }
    if (m_renderer == nullptr)
        return false;
    SDL_RendererInfo info;
    m_software =
        SDL_GetRendererInfo(sdl(m_renderer), &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    return true;
}

bool renderDevice::createOffscreenRenderer() {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, m_window.areaWidth, m_window.areaHeight, 32,
                                                          SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
        return false;
    m_surface = surface;
    m_renderer = SDL_CreateSoftwareRenderer(surface);
    m_ownsRenderer = true;
    m_software = true;
    return m_renderer != nullptr;
}

void renderDevice::release() {
    if (m_renderer != nullptr && m_ownsRenderer)
        SDL_DestroyRenderer(sdl(m_renderer));
    if (m_surface != nullptr)
        SDL_FreeSurface(static_cast<SDL_Surface*>(m_surface));
    m_renderer = nullptr;
    m_surface = nullptr;
    m_ownsRenderer = false;
    m_software = false;
    m_generation = 0;
    forgetDrawn();
    m_wholeDirty = true;
    m_stream = nullptr;
}

// A new device starts from the defaults, whatever an earlier one was left with.
void renderDevice::resetState() {
    m_depthTest = false;
    m_alphaBlend = false;
    m_sourceBlend = blendFactor::one;
    m_destinationBlend = blendFactor::zero;
    m_cullMode = cullMode::counterClockwise;
    for (int stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        m_magnification[stage] = textureFilter::none;
        m_minification[stage] = textureFilter::none;
        m_mip[stage] = textureFilter::none;
    }
    m_view = IDENTITY;
    m_projection = IDENTITY;
    m_vertexFormat = vertexFormat::none;
    m_stream = nullptr;
    m_material = material();
    m_presentHook = nullptr;
    m_presentUser = nullptr;
}

void renderDevice::setAlphaBlend(bool enabled) {
    m_alphaBlend = enabled;
}

void renderDevice::setBlendFactors(blendFactor source, blendFactor destination) {
    m_sourceBlend = source;
    m_destinationBlend = destination;
}

void renderDevice::setSamplerFilters(int stage, textureFilter magnification, textureFilter minification,
                                     textureFilter mip) {
    if (stage < 0 || stage >= MAX_TEXTURE_STAGES)
        return;
    m_magnification[stage] = magnification;
    m_minification[stage] = minification;
    m_mip[stage] = mip;
}

textureFilter renderDevice::getMagnificationFilter(int stage) const {
    if (stage < 0 || stage >= MAX_TEXTURE_STAGES)
        return textureFilter::none;
    return m_magnification[stage];
}

void renderDevice::setTransform(transformState which, const matrix& value) {
    if (which == transformState::view)
        m_view = value;
    else
        m_projection = value;
}

const matrix& renderDevice::getTransform(transformState which) const {
    return which == transformState::view ? m_view : m_projection;
}

bool renderDevice::setStreamSource(int stream, const vertexBuffer* buffer, int offset, int stride) {
    if (stream != 0 || offset != 0 || stride != POSITION_VERTEX_STRIDE) {
        m_stream = nullptr;
        return false;
    }
    m_stream = buffer;
    return true;
}

void renderDevice::setTexture(int, const void*) {}

void renderDevice::applyDrawState() {
    SDL_Renderer* renderer = sdl(m_renderer);
    const colour4& c = m_material.diffuse;
    SDL_SetRenderDrawColor(renderer, channelByte(c.r), channelByte(c.g), channelByte(c.b), channelByte(c.a));
    SDL_SetRenderDrawBlendMode(renderer, blendModeFor(m_alphaBlend, m_sourceBlend, m_destinationBlend));
}

bool renderDevice::drawLineStrip(int startVertex, int lineCount) {
    if (m_renderer == nullptr || m_stream == nullptr || m_vertexFormat != vertexFormat::position)
        return false;
    const int available = m_stream->getCount();
    if (startVertex < 0 || lineCount < 1 || startVertex >= available ||
        lineCount > available - 1 - startVertex)
        return false;

    matrix viewProjection;
    multiply(&m_view, &m_projection, &viewProjection);
    const vector3* vertices = m_stream->getVertices() + startVertex;
    const int count = lineCount + 1;
    m_clip.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        m_clip[static_cast<size_t>(i)] = toClipSpace(vertices[i], viewProjection);

    applyDrawState();
    SDL_Renderer* renderer = sdl(m_renderer);
    const float halfWidth = 0.5f * static_cast<float>(m_window.areaWidth);
    const float halfHeight = 0.5f * static_cast<float>(m_window.areaHeight);
    auto toScreen = [&](const clipPoint& p) {
        return SDL_FPoint{(p.x / p.w + 1.0f) * halfWidth, (1.0f - p.y / p.w) * halfHeight};
    };
    // Consecutive kept segments that still join form one run, drawn with one
    // call so shared end points are blended once.
    g_run.clear();
    bool joined = false;
    for (int i = 0; i + 1 < count; ++i) {
        const clipPoint& a = m_clip[static_cast<size_t>(i)];
        const clipPoint& b = m_clip[static_cast<size_t>(i) + 1];
        float t0 = 0.0f;
        float t1 = 1.0f;
        if (!clipSegment(a, b, &t0, &t1)) {
            joined = false;
            continue;
        }
        if (!joined || t0 > 0.0f) {
            flushRun(renderer);
            noteRun();
            g_run.push_back(toScreen(t0 > 0.0f ? lerp(a, b, t0) : a));
        }
        g_run.push_back(toScreen(t1 < 1.0f ? lerp(a, b, t1) : b));
        joined = t1 >= 1.0f;
    }
    flushRun(renderer);
    noteRun();
    return true;
}

// What is kept of a frame to clear it again; a frame that draws more is
// cleared whole, as is a target drawn on without clears.
constexpr size_t MAX_KEPT_COORDINATES = 1 << 17;
constexpr size_t MAX_KEPT_BOXES = 1 << 12;

// The run is kept to be drawn again in the clear colour: SDL sets the same
// pixels for the same points whatever the blending.
void renderDevice::noteRun() {
    if (m_drawnPoints.size() + 2 * g_run.size() > MAX_KEPT_COORDINATES) {
        forgetDrawn(); // drawing without clearing: the next clear clears all
        m_wholeDirty = true;
    } else if (g_run.size() >= 2) {
        markRun();
        for (const SDL_FPoint& p : g_run) {
            m_drawnPoints.push_back(p.x);
            m_drawnPoints.push_back(p.y);
        }
        m_drawnRuns.push_back(static_cast<uint32_t>(g_run.size()));
    }
    g_run.clear();
}

// A line's pixels lie within a pixel of its truncated end points.
void renderDevice::markRun() {
    float left = g_run.front().x;
    float right = left;
    float top = g_run.front().y;
    float bottom = top;
    for (const SDL_FPoint& p : g_run) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const int x = static_cast<int>(std::floor(left)) - 1;
    const int y = static_cast<int>(std::floor(top)) - 1;
    markChanged(x, y, static_cast<int>(std::floor(right)) + 2 - x,
                static_cast<int>(std::floor(bottom)) + 2 - y);
}

void renderDevice::markChanged(int x, int y, int width, int height) {
    m_changed.mark({m_window.areaX + x, m_window.areaY + y, width, height});
}

void renderDevice::forgetDrawn() {
    m_drawn.clear();
    m_drawnPoints.clear();
    m_drawnRuns.clear();
}

void renderDevice::noteDrawn(int x, int y, int width, int height) {
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + width, m_window.areaWidth);
    const int bottom = std::min(y + height, m_window.areaHeight);
    if (m_drawn.size() >= MAX_KEPT_BOXES) {
        forgetDrawn();
        m_wholeDirty = true;
    } else if (left < right && top < bottom) {
        m_drawn.push_back({left, top, right - left, bottom - top});
        markChanged(left, top, right - left, bottom - top);
    }
}

void renderDevice::clear(uint32_t argb, float, uint32_t) {
    if (m_renderer == nullptr)
        return;
    SDL_Renderer* renderer = sdl(m_renderer);
    SDL_SetRenderDrawColor(renderer, static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                           static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24));
    // A resized window gets a new surface from SDL, whose pixels are not ours.
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    if (width != m_targetWidth || height != m_targetHeight)
        m_wholeDirty = true;
    m_changed.reset(width, height);
    if (!m_software || m_wholeDirty || argb != m_clearColour) {
        SDL_RenderClear(renderer);
        m_changed.markWhole();
    } else {
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        for (const pixelBox& box : m_drawn) {
            const SDL_Rect rect = {box.x, box.y, box.width, box.height};
            SDL_RenderFillRect(renderer, &rect);
            markChanged(box.x, box.y, box.width, box.height);
        }
        size_t next = 0;
        for (const uint32_t count : m_drawnRuns) {
            g_run.resize(count);
            for (SDL_FPoint& p : g_run) {
                p = {m_drawnPoints[next], m_drawnPoints[next + 1]};
                next += 2;
            }
            flushRun(renderer);
            markRun();
        }
        g_run.clear();
    }
    m_targetWidth = width;
    m_targetHeight = height;
    m_clearColour = argb;
    m_wholeDirty = false;
    forgetDrawn();
}

// SDL resets the viewport to the whole window when the window is resized.
void renderDevice::beginScene() {
    if (m_renderer != nullptr)
        applyArea();
}

void renderDevice::endScene() {}

void renderDevice::present() {
    if (m_renderer == nullptr)
        return;
    SDL_Renderer* renderer = sdl(m_renderer);
    if (m_presentHook != nullptr) {
        SDL_Rect viewport;
        SDL_Rect clip;
        SDL_RenderGetViewport(renderer, &viewport);
        SDL_RenderGetClipRect(renderer, &clip);
        SDL_RenderSetClipRect(renderer, nullptr);
        SDL_RenderSetViewport(renderer, nullptr);
        if (m_presentHook(m_renderer, m_presentUser))
            m_wholeDirty = true;
        SDL_RenderSetViewport(renderer, &viewport);
        SDL_RenderSetClipRect(renderer, &clip);
    }
    presentChanged();
}

// The display is sent only the tiles the frame cleared or drew, and the menu
// strip above the game area, which the present hook paints every frame.
// SDL's software renderer sends its whole window surface, and an X server
// copies every pixel of it, however little changed.
void renderDevice::presentChanged() {
    SDL_Renderer* renderer = sdl(m_renderer);
    SDL_Window* window = static_cast<SDL_Window*>(m_window.nativeWindow);
    if (m_wholeDirty || !m_software || window == nullptr)
        m_changed.markWhole();
    m_changed.mark({0, 0, m_targetWidth, m_window.areaY});
    const std::vector<pixelBox>& boxes = m_changed.getRects();
    bool sent = false;
    if (!m_changed.isWhole() && SDL_RenderFlush(renderer) == 0) {
        g_changedRects.clear();
        for (const pixelBox& box : boxes)
            g_changedRects.push_back({box.x, box.y, box.width, box.height});
        sent = g_changedRects.empty() ||
               SDL_UpdateWindowSurfaceRects(window, g_changedRects.data(),
                                            static_cast<int>(g_changedRects.size())) == 0;
    }
    if (!sent)
        SDL_RenderPresent(renderer);
    m_presentedWhole = !sent;
    m_presented = sent ? boxes : std::vector<pixelBox>();
    m_changed.markWhole(); // until the next clear says what changed
}

void renderDevice::setPresentHook(presentHook hook, void* user) {
    m_presentHook = hook;
    m_presentUser = user;
}

bool renderDevice::readFrame(std::vector<uint32_t>* pixels) const {
    if (m_renderer == nullptr)
        return false;
    const size_t width = static_cast<size_t>(m_window.areaWidth);
    pixels->assign(width * static_cast<size_t>(m_window.areaHeight), 0);
    return SDL_RenderReadPixels(sdl(m_renderer), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(),
                                static_cast<int>(width * sizeof(uint32_t))) == 0;
}

bool renderDevice::saveFramePNG(const std::string& path) const {
    std::vector<uint32_t> pixels;
    return readFrame(&pixels) && writePNG(path, pixels, m_window.areaWidth, m_window.areaHeight);
}
