#include "platform/system/joinbox.h"

#include "platform/system/menufont.h"

#include <algorithm>

namespace {

constexpr int CODE_TOP = BOX_CAPTION_HEIGHT + 10;
constexpr int BUTTON_ROOM = 40; // the OK button and its margins

int codeSide(const qrMatrix& code) {
    return (code.size + 2 * joinBox::QUIET_MODULES) * joinBox::MODULE_PIXELS;
}

} // namespace

void joinBox::setAddress(const std::string& address) {
    m_address = address;
    m_code = address.empty() ? qrMatrix() : encodeQrCode(address);
    if (!canOpen())
        m_box.close();
}

void joinBox::open(int windowWidth, int windowHeight) {
    if (!canOpen())
        return;
    const int width = std::max({codeSide(m_code), menuTextWidth(m_address.c_str()),
                                menuTextWidth(tr(JOIN_CAPTION)) + 2 * BOX_CAPTION_HEIGHT}) +
                      2 * BOX_TEXT_LEFT;
    const int height = CODE_TOP + codeSide(m_code) + TEXT_GAP + MENU_GLYPH_HEIGHT + BUTTON_ROOM;
    m_box.openSized(windowWidth, windowHeight, width, height);
}

boxRect joinBox::codeRect() const {
    const boxRect frame = m_box.frame();
    const int side = codeSide(m_code);
    return {frame.x + (frame.w - side) / 2, frame.y + CODE_TOP, side, side};
}
