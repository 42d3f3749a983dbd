#pragma once

constexpr const char* ABOUT_CAPTION = "About";
constexpr const char* ABOUT_VERSION_LINE = "ZEB Version 1.0";
constexpr const char* ABOUT_SECOND_LINE = "Ships and asteroids for the local network";

// The modal About box, owned by the native window (an SDL_Window, or null).
// Returns when it closes: on "OK", Enter, Escape or its close box, or at once
// when no box can be shown.
void showAboutBox(void* nativeWindow);
