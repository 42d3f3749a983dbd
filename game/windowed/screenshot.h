#pragma once

#include <cstdint>
#include <string>
#include <vector>

// With --screenshot: keeps the window's picture (menu strip and game area) of
// the frame being presented, and writes the last one kept as a PNG when the
// program quits. Lives as long as the windowed game.
class windowScreenshot {
  public:
    void enable() { m_enabled = true; }
    void capture(void* nativeRenderer); // before the frame is presented; nothing unless enabled
    bool save(const std::string& path) const;

  private:
    bool m_enabled = false;
    std::vector<uint32_t> m_lastFrame;
    int m_width = 0;
    int m_height = 0;
};
