#include "platform/net/netwebframe.h"

#include <algorithm>

namespace {

struct frameHeader {
    bool final = false;
    uint8_t reserved = 0;
    uint8_t opcode = 0;
    bool masked = false;
    uint64_t length = 0;
    uint8_t mask[4] = {};
    size_t size = 0; // bytes of the header itself
};

// False while the header is still incomplete.
bool parseHeader(const uint8_t* data, size_t size, frameHeader& header) {
    if (size < 2)
        return false;
    header.final = (data[0] & 0x80) != 0;
    header.reserved = data[0] & 0x70;
    header.opcode = data[0] & 0x0F;
    header.masked = (data[1] & 0x80) != 0;
    header.length = data[1] & 0x7F;
    size_t at = 2;
    const size_t lengthBytes = header.length == 126 ? 2 : header.length == 127 ? 8 : 0;
    const size_t needed = at + lengthBytes + (header.masked ? 4 : 0);
    if (size < needed)
        return false;
    if (lengthBytes > 0) {
        header.length = 0;
        for (size_t i = 0; i < lengthBytes; ++i)
            header.length = header.length << 8 | data[at + i];
        at += lengthBytes;
    }
    if (header.masked) {
        std::copy(data + at, data + at + 4, header.mask);
        at += 4;
    }
    header.size = at;
    return true;
}

bool isControl(uint8_t opcode) {
    return (opcode & 0x08) != 0;
}

} // namespace

size_t webFrameReader::room() const {
    if (m_fault != 0)
        return 0;
    // One frame's header and the rest of the largest message it may complete,
    // or a control frame in between.
    const size_t kept = m_buffer.size() - m_start;
    const size_t limit = WEB_MAX_FRAME_HEADER + WEB_MAX_CONTROL_PAYLOAD +
                         (m_maxMessage - std::min(m_maxMessage, m_message.size()));
    return kept >= limit ? 0 : limit - kept;
}

size_t webFrameReader::append(const uint8_t* data, size_t size) {
    compact();
    const size_t taken = std::min(size, room());
    m_buffer.insert(m_buffer.end(), data, data + taken);
    return taken;
}

void webFrameReader::compact() {
    if (m_start == 0)
        return;
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
    m_start = 0;
}

webRead webFrameReader::fail(uint16_t code) {
    m_fault = code;
    m_buffer.clear();
    m_start = 0;
    m_message.clear();
    return webRead{webReadKind::fault, code, {}};
}

webRead webFrameReader::next() {
    if (m_fault != 0)
        return webRead{webReadKind::fault, m_fault, {}};
    while (true) {
        const uint8_t* data = m_buffer.data() + m_start;
        const size_t size = m_buffer.size() - m_start;
        frameHeader header;
        if (!parseHeader(data, size, header))
            return {};
        // Judged on the header alone, before any of the payload is kept.
        if (header.reserved != 0 || header.masked != m_requireMask)
            return fail(WEB_CLOSE_PROTOCOL_ERROR);
        if (isControl(header.opcode)) {
            if (header.opcode > WEB_OPCODE_PONG || !header.final || header.length > WEB_MAX_CONTROL_PAYLOAD)
                return fail(WEB_CLOSE_PROTOCOL_ERROR);
        } else if (header.opcode == WEB_OPCODE_TEXT) {
            return fail(WEB_CLOSE_UNSUPPORTED);
        } else if (header.opcode != WEB_OPCODE_BINARY && header.opcode != WEB_OPCODE_CONTINUATION) {
            return fail(WEB_CLOSE_PROTOCOL_ERROR);
        } else if ((header.opcode == WEB_OPCODE_CONTINUATION) != m_inMessage) {
            return fail(WEB_CLOSE_PROTOCOL_ERROR);
        } else if (header.length > m_maxMessage - m_message.size()) {
            return fail(WEB_CLOSE_TOO_BIG);
        }
        if (size - header.size < header.length)
            return {};
        const uint8_t* payload = data + header.size;
        const size_t length = static_cast<size_t>(header.length);
        std::vector<uint8_t> bytes(payload, payload + length);
        if (header.masked) {
            for (size_t i = 0; i < length; ++i)
                bytes[i] ^= header.mask[i % 4];
        }
        m_start += header.size + length;
        if (m_start == m_buffer.size()) {
            m_buffer.clear();
            m_start = 0;
        }
        switch (header.opcode) {
        case WEB_OPCODE_PING:
            return webRead{webReadKind::ping, 0, std::move(bytes)};
        case WEB_OPCODE_PONG:
            return webRead{webReadKind::pong, 0, std::move(bytes)};
        case WEB_OPCODE_CLOSE: {
            if (length == 1)
                return fail(WEB_CLOSE_PROTOCOL_ERROR);
            const uint16_t code =
                length == 0 ? WEB_CLOSE_NO_CODE : static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
            return webRead{webReadKind::close, code, {}};
        }
        default:
            break;
        }
        if (!m_inMessage && header.final)
            return webRead{webReadKind::message, 0, std::move(bytes)};
        m_message.insert(m_message.end(), bytes.begin(), bytes.end());
        m_inMessage = !header.final;
        if (!m_inMessage) {
            webRead whole{webReadKind::message, 0, std::move(m_message)};
            m_message.clear();
            return whole;
        }
    }
}

std::vector<uint8_t> makeWebFrame(uint8_t opcode, const uint8_t* data, size_t size, const uint8_t* mask) {
    std::vector<uint8_t> frame;
    frame.reserve(size + WEB_MAX_FRAME_HEADER);
    frame.push_back(static_cast<uint8_t>(0x80 | opcode));
    const uint8_t maskBit = mask != nullptr ? 0x80 : 0;
    if (size < 126) {
        frame.push_back(static_cast<uint8_t>(maskBit | size));
    } else if (size <= 0xFFFF) {
        frame.push_back(static_cast<uint8_t>(maskBit | 126));
        frame.push_back(static_cast<uint8_t>(size >> 8));
        frame.push_back(static_cast<uint8_t>(size));
    } else {
        frame.push_back(static_cast<uint8_t>(maskBit | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.push_back(static_cast<uint8_t>(static_cast<uint64_t>(size) >> shift));
    }
    if (mask != nullptr)
        frame.insert(frame.end(), mask, mask + 4);
    const size_t start = frame.size();
    if (size > 0)
        frame.insert(frame.end(), data, data + size);
    if (mask != nullptr) {
        for (size_t i = 0; i < size; ++i)
            frame[start + i] ^= mask[i % 4];
    }
    return frame;
}

std::vector<uint8_t> makeWebClose(uint16_t code, const uint8_t* mask) {
    const uint8_t payload[2] = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
    return makeWebFrame(WEB_OPCODE_CLOSE, payload, sizeof(payload), mask);
}
