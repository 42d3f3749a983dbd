#pragma once

// The application icon, drawn from code: a ship's outline on a night-blue disc.
// Sets it on the native window (an SDL_Window).
void setWindowIcon(void* nativeWindow);
