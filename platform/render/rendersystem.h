#pragma once

// The entry object of the render layer: it starts the video subsystem that a
// device drawing into a native window needs. An offscreen device needs none.
class renderSystem {
  public:
    renderSystem() = default;
    ~renderSystem();
    renderSystem(const renderSystem&) = delete;
    renderSystem& operator=(const renderSystem&) = delete;

    bool initialise(bool needVideo); // false when the video subsystem cannot start
    void release();

  private:
    bool m_video = false;
};
