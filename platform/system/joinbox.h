#pragma once

#include "platform/language/translation.h"
#include "platform/system/aboutbox.h"
#include "platform/system/qrcode.h"

#include <string>

constexpr const char* JOIN_CAPTION = marked("Join from a phone");

// The box that shows the browsers' address as a QR code for a phone's camera,
// with the address as text under it. It opens, closes and takes input as the
// About box does.
class joinBox {
  public:
    static constexpr int MODULE_PIXELS = 4; // a phone reads it from across a table
    static constexpr int QUIET_MODULES = 4; // the white margin a reader needs around the code
    static constexpr int TEXT_GAP = 6;      // between the code and the address under it

    void setAddress(const std::string& address); // empty: nothing to show
    const std::string& getAddress() const { return m_address; }
    const qrMatrix& getCode() const { return m_code; }
    bool canOpen() const { return m_code.size > 0; }

    void open(int windowWidth, int windowHeight);
    aboutBox& box() { return m_box; }
    const aboutBox& box() const { return m_box; }
    boxRect codeRect() const; // the code with its quiet zone, in the box

  private:
    aboutBox m_box;
    std::string m_address;
    qrMatrix m_code;
};

// Draws the box with an SDL renderer (given as void*) when it is open.
void paintJoinBox(const joinBox& join, void* nativeRenderer);
