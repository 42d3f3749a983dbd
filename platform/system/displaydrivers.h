#pragma once

#include <string>

// Which of SDL's video drivers the window system may try, when the user has
// not named one, and why none could open when they all failed.
namespace win {

// Empty: leave the choice to SDL.
std::string displayDrivers();
// What to tell the user when no driver opened; sdlError is SDL's own account.
std::string noDisplayReason(const char* sdlError);

} // namespace win
