#pragma once

#include "core/assertion.h"
#include "core/littleendian.h"
#include "networklib/networkmessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// A fuzz input as a run of received messages, each:
//   type (i8, so forged and negative types come too), sender (u8, only when
//   asked for), payload length (u16, cut to what is left), payload.
// Every message goes through the real receive path (setFromReceived).
inline std::vector<networkMessage> splitMessages(const uint8_t* data, size_t size, bool withSender) {
    std::vector<networkMessage> messages;
    size_t at = 0;
    const size_t header = withSender ? 4 : 3;
    while (size - at >= header) {
        const int32_t type = static_cast<int8_t>(data[at]);
        const uint32_t sender = withSender ? data[at + 1] : 0;
        size_t length = readU16(data + at + header - 2);
        at += header;
        if (length > size - at)
            length = size - at;
        std::vector<uint8_t> wire(MESSAGE_TYPE_SIZE + length);
        writeI32(wire.data(), type);
        std::copy(data + at, data + at + length, wire.begin() + MESSAGE_TYPE_SIZE);
        networkMessage message;
        if (message.setFromReceived(sender, wire.data(), static_cast<int>(wire.size())))
            messages.push_back(message);
        at += length;
    }
    return messages;
}

// Outside data must never reach one of the program's own assertions.
inline void abortOnAssertion() {
    setAssertionHandler([](const char*, const char*) -> AssertionAnswer { std::abort(); });
}
