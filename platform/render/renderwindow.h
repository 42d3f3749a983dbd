#pragma once

// Where the render device draws. With a native window (the SDL_Window of the
// window layer, passed opaquely) the device draws into the game-area rectangle
// of its client area, below the menu strip. With nativeWindow null the device
// draws into an offscreen software target of areaWidth by areaHeight pixels
// (tests, benchmarks, headless screenshots); areaX and areaY are then ignored.
struct renderWindow {
    void* nativeWindow = nullptr;
    int areaX = 0;
    int areaY = 0;
    int areaWidth = 0;
    int areaHeight = 0;
};
