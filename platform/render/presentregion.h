#pragma once

#include "platform/render/rendertypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// What of a window changed in one frame, to be sent to the display: the boxes
// drawn or cleared, rounded out to tiles and joined along each row of tiles,
// or the whole window. A frame that touches many tiles apart, or a window of
// unknown content, is sent whole.
class presentRegion {
  public:
    static constexpr int TILE = 32;         // pixels: coarse, so a frame is a few dozen rectangles
    static constexpr size_t MAX_RECTS = 96; // more than this: sending the whole window is cheaper

    void reset(int width, int height); // a new frame of a window of that size, nothing changed yet
    void markWhole() { m_whole = true; }
    void mark(const pixelBox& box); // in window pixels; clipped to the window
    bool isWhole() const { return m_whole; }
    // The changed rectangles, each within the window; empty when whole.
    const std::vector<pixelBox>& getRects();

  private:
    int m_width = 0;
    int m_height = 0;
    int m_columns = 0;
    int m_rows = 0;
    bool m_whole = true;
    std::vector<uint8_t> m_tiles; // m_rows by m_columns, 1: changed
    std::vector<pixelBox> m_rects;
};
