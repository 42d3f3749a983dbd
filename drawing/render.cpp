#include "drawing/render.h"

#include "core/assertion.h"

#include <cmath>
#include <cstddef>

renderSystem* g_pD3D = nullptr;
renderDevice* g_pd3dDevice = nullptr;
const renderWindow* g_hWindow = nullptr;

namespace {

renderWindow g_window;
renderSystem g_system;

// Never destroyed: fonts holding cached text check its generation even while
// the process ends.
renderDevice& deviceObject() {
    static renderDevice* const device = new renderDevice();
    return *device;
}

uint32_t channelToByte(float value) {
    if (value >= 1.0f)
        return 255;
    if (!(value > 0.0f))
        return 0;
    return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

bool deviceReady() {
    return ZEB_ASSERT(g_pd3dDevice != NULL, "D3D Device is not initialised!");
}

} // namespace

void initialiseRender(const renderWindow& window, const float& nearPlane, const float& farPlane) {
    shutdownRender();
    g_window = window;
    g_hWindow = &g_window;

    if (g_system.initialise(window.nativeWindow != nullptr))
        g_pD3D = &g_system;
    if (!ZEB_ASSERT(g_pD3D != NULL, "Error creating D3D object"))
        return;
    if (deviceObject().create(window))
        g_pd3dDevice = &deviceObject();
    if (!ZEB_ASSERT(g_pd3dDevice != NULL, "Error creating D3D Device"))
        return;

    const float aspect = static_cast<float>(window.areaWidth) / static_cast<float>(window.areaHeight);
    matrix projection;
    perspectiveFovLH(RENDER_FIELD_OF_VIEW, aspect, nearPlane, farPlane, &projection);
    g_pd3dDevice->setTransform(transformState::projection, projection);
    g_pd3dDevice->setDepthTest(true);
}

void resizeRender(int areaX, int areaY, int areaWidth, int areaHeight) {
    if (g_pd3dDevice == nullptr || !g_pd3dDevice->setArea(areaX, areaY, areaWidth, areaHeight))
        return;
    g_window = g_pd3dDevice->getWindow();
}

void shutdownRender() {
    deviceObject().release();
    g_system.release();
    g_pd3dDevice = nullptr;
    g_pD3D = nullptr;
    g_hWindow = nullptr;
}

uint32_t clearColourToARGB(float r, float g, float b, float a) {
    return (channelToByte(a) << 24) | (channelToByte(r) << 16) | (channelToByte(g) << 8) | channelToByte(b);
}

void clearScene(const float& r, const float& g, const float& b, const float& a) {
    if (!deviceReady())
        return;
    g_pd3dDevice->clear(clearColourToARGB(r, g, b, a), 1.0f, 0);
}

void beginScene() {
    if (deviceReady())
        g_pd3dDevice->beginScene();
}

void endScene() {
    if (!deviceReady())
        return;
    g_pd3dDevice->endScene();
    g_pd3dDevice->present();
}

void getWindowSize(int* width, int* height) {
    if (!deviceReady())
        return;
    if (!ZEB_ASSERT(g_hWindow != NULL, "Window is not initialised!"))
        return;
    *width = g_hWindow->areaWidth;
    *height = g_hWindow->areaHeight;
}

void perspectiveFovLH(float fieldOfView, float aspect, float nearPlane, float farPlane, matrix* out) {
    const float s = 1.0f / std::tan(fieldOfView / 2.0f);
    const float depth = farPlane / (farPlane - nearPlane);
    *out = matrix{};
    (*out)(0, 0) = s / aspect;
    (*out)(1, 1) = s;
    (*out)(2, 2) = depth;
    (*out)(2, 3) = 1.0f;
    (*out)(3, 2) = -nearPlane * depth;
}
