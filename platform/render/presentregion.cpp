#include "platform/render/presentregion.h"

#include <algorithm>

void presentRegion::reset(int width, int height) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_columns = (m_width + TILE - 1) / TILE;
    m_rows = (m_height + TILE - 1) / TILE;
    m_tiles.assign(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows), 0);
    m_whole = false;
}

void presentRegion::mark(const pixelBox& box) {
    const int left = std::max(box.x, 0);
    const int top = std::max(box.y, 0);
    const int right = std::min(box.x + box.width, m_width);
    const int bottom = std::min(box.y + box.height, m_height);
    if (m_whole || left >= right || top >= bottom)
        return;
    for (int row = top / TILE; row <= (bottom - 1) / TILE; ++row)
        std::fill_n(m_tiles.begin() + row * m_columns + left / TILE, (right - 1) / TILE - left / TILE + 1, 1);
}

const std::vector<pixelBox>& presentRegion::getRects() {
    m_rects.clear();
    for (int row = 0; row < m_rows && !m_whole; ++row) {
        const auto first = m_tiles.begin() + row * m_columns;
        for (int column = 0; column < m_columns;) {
            if (first[column] == 0) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < m_columns && first[column] != 0)
                ++column;
            const int x = start * TILE;
            const int y = row * TILE;
            m_rects.push_back({x, y, std::min(column * TILE, m_width) - x, std::min(y + TILE, m_height) - y});
        }
        m_whole = m_rects.size() > MAX_RECTS;
    }
    if (m_whole)
        m_rects.clear();
    return m_rects;
}
