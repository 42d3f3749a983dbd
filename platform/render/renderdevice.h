#pragma once

#include "core/maths/matrix.h"
#include "platform/render/clipspace.h"
#include "platform/render/presentregion.h"
#include "platform/render/rendertypes.h"
#include "platform/render/renderwindow.h"
#include "platform/render/vertexbuffer.h"

#include <cstdint>
#include <string>
#include <vector>

// The device the game draws through: render states, the view and projection
// transforms (kept here and applied by ZEB, a transform read back is the one
// last set), the stream source, the material, line strips and the frame
// bracket. Drawing goes through SDL's renderer into the game area of a window
// or into an offscreen software target.
class renderDevice {
  public:
    renderDevice();
    ~renderDevice();
    renderDevice(const renderDevice&) = delete;
    renderDevice& operator=(const renderDevice&) = delete;

    bool create(const renderWindow& window); // false when no renderer could be made
    // Moves and resizes the game area within a native window (the window was
    // resized); false, changing nothing, for an offscreen target or an empty area.
    bool setArea(int x, int y, int width, int height);
    void release();
    bool isCreated() const { return m_renderer != nullptr; }
    bool isSoftware() const { return m_software; }
    uint64_t getGeneration() const { return m_generation; } // changes with every create; 0 when released

    // Render states. Only blending changes what lines look like; depth test,
    // cull mode and sampler filters are recorded.
    void setDepthTest(bool enabled) { m_depthTest = enabled; }
    bool getDepthTest() const { return m_depthTest; }
    void setAlphaBlend(bool enabled);
    bool getAlphaBlend() const { return m_alphaBlend; }
    void setBlendFactors(blendFactor source, blendFactor destination);
    void setCullMode(cullMode mode) { m_cullMode = mode; }
    cullMode getCullMode() const { return m_cullMode; }
    void setSamplerFilters(int stage, textureFilter magnification, textureFilter minification,
                           textureFilter mip);
    textureFilter getMagnificationFilter(int stage) const;

    void setTransform(transformState which, const matrix& value);
    const matrix& getTransform(transformState which) const;

    void setVertexFormat(vertexFormat format) { m_vertexFormat = format; }
    // The buffer is not owned and must outlive its use as the stream source.
    bool setStreamSource(int stream, const vertexBuffer* buffer, int offset, int stride);
    void setMaterial(const material& value) { m_material = value; }
    const material& getMaterial() const { return m_material; }
    void setTexture(int stage, const void* texture); // no textures in ZEB: nothing to draw with

    // Lines through vertices startVertex .. startVertex + lineCount of the
    // stream source, p * view * projection, clipped to 0 <= z <= w, in the
    // material's diffuse colour. False (nothing drawn) when the call does not
    // fit the stream source.
    bool drawLineStrip(int startVertex, int lineCount);

    // The whole target. A software target keeps its pixels between frames, so
    // there only what was drawn since the last clear is cleared again: the
    // lines drawn again in the clear colour, text boxes filled.
    void clear(uint32_t argb, float depth, uint32_t stencil);
    void beginScene();
    void endScene();
    void present(); // calls the present hook first, with the whole window as viewport
    // What the last present sent to a window's display: the changed
    // rectangles of the window, or (true) all of it.
    bool wasPresentedWhole() const { return m_presentedWhole; }
    const std::vector<pixelBox>& getPresentedRects() const { return m_presented; }

    int getAreaWidth() const { return m_window.areaWidth; }
    int getAreaHeight() const { return m_window.areaHeight; }
    const renderWindow& getWindow() const { return m_window; }

    // The game area as 0xAARRGGBB, row by row. For a window, read before present.
    bool readFrame(std::vector<uint32_t>* pixels) const;
    bool saveFramePNG(const std::string& path) const;

    // For the platform layer only: the SDL_Renderer, to draw text and the menu
    // strip. What is drawn through it into the game area is noted (in the
    // area's pixels), so that the next clear covers it.
    void* getNativeRenderer() const { return m_renderer; }
    void noteDrawn(int x, int y, int width, int height);
    // The hook returns true when it drew over the game area.
    using presentHook = bool (*)(void* nativeRenderer, void* user);
    void setPresentHook(presentHook hook, void* user);

  private:
    void resetState();
    bool createWindowRenderer();
    bool createOffscreenRenderer();
    void applyDrawState();
    void applyArea();
    void noteRun();
    void forgetDrawn();
    void markRun();                                        // the run being drawn, as changed
    void markChanged(int x, int y, int width, int height); // in the game area
    void presentChanged(); // the whole window where only the changed part cannot be sent

    renderWindow m_window;
    void* m_renderer = nullptr; // SDL_Renderer
    void* m_surface = nullptr;  // SDL_Surface of an offscreen target
    bool m_software = false;
    uint64_t m_generation = 0;

    bool m_depthTest = false;
    bool m_alphaBlend = false;
    blendFactor m_sourceBlend = blendFactor::one;
    blendFactor m_destinationBlend = blendFactor::zero;
    cullMode m_cullMode = cullMode::counterClockwise;
    textureFilter m_magnification[MAX_TEXTURE_STAGES] = {};
    textureFilter m_minification[MAX_TEXTURE_STAGES] = {};
    textureFilter m_mip[MAX_TEXTURE_STAGES] = {};
    matrix m_view;
    matrix m_projection;
    vertexFormat m_vertexFormat = vertexFormat::none;
    const vertexBuffer* m_stream = nullptr;
    material m_material;

    presentHook m_presentHook = nullptr;
    void* m_presentUser = nullptr;

    // What was drawn since the last clear: boxes of the game area (text),
    // the line runs as x, y pairs and their point counts; and whether the
    // whole target must be cleared (a new or resized target, a new colour,
    // something drawn over the area by the present hook).
    std::vector<pixelBox> m_drawn;
    std::vector<float> m_drawnPoints;
    std::vector<uint32_t> m_drawnRuns;
    bool m_wholeDirty = true;
    uint32_t m_clearColour = 0;
    int m_targetWidth = 0;
    int m_targetHeight = 0;
    presentRegion m_changed; // of the window this frame, cleared or drawn
    std::vector<pixelBox> m_presented;
    bool m_presentedWhole = true;

    bool m_ownsRenderer = false;
    std::vector<clipPoint> m_clip; // scratch for one strip, kept to avoid allocating per draw
};
