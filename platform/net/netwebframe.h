#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// WebSocket frames (RFC 6455) as a host reads and writes them. Every length
// is checked before its bytes are kept: a reader never holds more than one
// frame's header and a message of maxMessage bytes.
constexpr uint8_t WEB_OPCODE_CONTINUATION = 0x0;
constexpr uint8_t WEB_OPCODE_TEXT = 0x1;
constexpr uint8_t WEB_OPCODE_BINARY = 0x2;
constexpr uint8_t WEB_OPCODE_CLOSE = 0x8;
constexpr uint8_t WEB_OPCODE_PING = 0x9;
constexpr uint8_t WEB_OPCODE_PONG = 0xA;

constexpr uint16_t WEB_CLOSE_NORMAL = 1000;
constexpr uint16_t WEB_CLOSE_GOING_AWAY = 1001;
constexpr uint16_t WEB_CLOSE_PROTOCOL_ERROR = 1002;
constexpr uint16_t WEB_CLOSE_UNSUPPORTED = 1003; // text: ZEB speaks binary only
constexpr uint16_t WEB_CLOSE_NO_CODE = 1005;     // a close frame without a code
constexpr uint16_t WEB_CLOSE_TOO_BIG = 1009;
constexpr uint16_t WEB_CLOSE_APPLICATION = 4000; // 4000 + NET_DISCONNECT_*

constexpr size_t WEB_MAX_CONTROL_PAYLOAD = 125;
constexpr size_t WEB_MAX_FRAME_HEADER = 14;

enum class webReadKind : uint8_t {
    none,    // more bytes are needed
    message, // a whole binary message
    ping,
    pong,
    close, // the other end's close, code set (WEB_CLOSE_NO_CODE without one)
    fault, // the connection must be closed with code
};

struct webRead {
    webReadKind kind = webReadKind::none;
    uint16_t code = 0;
    std::vector<uint8_t> payload; // message, ping and pong
};

class webFrameReader {
  public:
    // requireMask: a host's reader refuses a client's unmasked frames.
    webFrameReader(size_t maxMessage, bool requireMask)
        : m_maxMessage(maxMessage), m_requireMask(requireMask) {}

    // How many more bytes the reader may be given now.
    size_t room() const;
    // Keeps at most room() bytes of data; returns how many it kept.
    size_t append(const uint8_t* data, size_t size);
    // The next whole thing among the bytes kept; after a fault, the same fault.
    webRead next();

  private:
    webRead fail(uint16_t code);
    void compact();

    size_t m_maxMessage;
    bool m_requireMask;
    std::vector<uint8_t> m_buffer; // bytes not yet taken, from m_start
    size_t m_start = 0;
    std::vector<uint8_t> m_message; // the fragments of the message so far
    bool m_inMessage = false;
    uint16_t m_fault = 0;
};

// One whole frame; with a mask (a client's) the payload is masked by it.
std::vector<uint8_t> makeWebFrame(uint8_t opcode, const uint8_t* data, size_t size,
                                  const uint8_t* mask = nullptr);
// A close frame's payload: the code, big-endian.
std::vector<uint8_t> makeWebClose(uint16_t code, const uint8_t* mask = nullptr);
