#pragma once

#include "core/maths/matrix.h"
#include "platform/render/renderdevice.h"
#include "platform/render/rendersystem.h"
#include "platform/render/renderwindow.h"

#include <cstdint>

// The one render device and the frame bracket. initialiseRender is called once
// with the game area of the window (or an offscreen size, see renderWindow);
// every other function needs the device and reports when it is missing.

extern renderSystem* g_pD3D;       // the entry object; null until initialised
extern renderDevice* g_pd3dDevice; // the device every drawing call goes to; null until created
extern const renderWindow* g_hWindow;

constexpr float RENDER_FIELD_OF_VIEW = 0.7853982f; // pi / 4, vertical

// Creates the device on window (near and far planes of the projection); the
// aspect is that of the game area. Depth testing starts on.
void initialiseRender(const renderWindow& window, const float& nearPlane, const float& farPlane);
void shutdownRender(); // releases the device and the entry object; the game never calls it
// The window was resized: the game area moves and takes its new size; the
// projection is kept, so the area should stay square.
void resizeRender(int areaX, int areaY, int areaWidth, int areaHeight);

void clearScene(const float& r, const float& g, const float& b, const float& a); // colour and depth 1.0
void beginScene();
void endScene();                             // ends the frame and presents it
void getWindowSize(int* width, int* height); // the game area

// Each channel >= 1 gives 255, <= 0 (or not a number) 0, otherwise channel * 255 + 0.5 truncated.
uint32_t clearColourToARGB(float r, float g, float b, float a);

// Left-handed perspective projection, row-vector convention.
void perspectiveFovLH(float fieldOfView, float aspect, float nearPlane, float farPlane, matrix* out);
