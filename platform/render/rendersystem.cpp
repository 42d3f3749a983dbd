#include "platform/render/rendersystem.h"

#include <SDL.h>

renderSystem::~renderSystem() {
    release();
}

bool renderSystem::initialise(bool needVideo) {
    if (!needVideo || m_video)
        return true;
    m_video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    return m_video;
}

void renderSystem::release() {
    if (m_video)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_video = false;
}
