#include "platform/system/windowicon.h"

#include <SDL.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int ICON_SIZE = 32;
constexpr Uint32 DISC_COLOUR = 0xFF1A1A33;
constexpr Uint32 SHIP_COLOUR = 0xFFFFFFFF;
constexpr Uint32 CLEAR_COLOUR = 0x00000000;

void plot(SDL_Surface* surface, int x, int y, Uint32 colour) {
    if (x < 0 || y < 0 || x >= surface->w || y >= surface->h)
        return;
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    row[x] = colour;
}

// Bresenham's line, so the outline matches the game's own line drawing.
void line(SDL_Surface* surface, int x0, int y0, int x1, int y1, Uint32 colour) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (true) {
        plot(surface, x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

void drawIcon(SDL_Surface* surface) {
    const float centre = (ICON_SIZE - 1) / 2.0f;
    for (int y = 0; y < ICON_SIZE; ++y) {
        for (int x = 0; x < ICON_SIZE; ++x) {
            const float distance = std::hypot(static_cast<float>(x) - centre, static_cast<float>(y) - centre);
            plot(surface, x, y, distance <= centre ? DISC_COLOUR : CLEAR_COLOUR);
        }
    }
    // The ship points up and right, as it starts in the game.
    const int outline[][2] = {{25, 6}, {9, 13}, {14, 17}, {18, 22}};
    const int corners = 4;
    for (int i = 0; i < corners; ++i) {
        const int* from = outline[i];
        const int* to = outline[(i + 1) % corners];
        line(surface, from[0], from[1], to[0], to[1], SHIP_COLOUR);
    }
}

} // namespace

void setWindowIcon(void* nativeWindow) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, ICON_SIZE, ICON_SIZE, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
        return;
    drawIcon(surface);
    SDL_SetWindowIcon(static_cast<SDL_Window*>(nativeWindow), surface);
    SDL_FreeSurface(surface);
}
