#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The WebSocket handshake's answer to a browser's key: base64 of the SHA-1 of
// the key and the protocol's fixed GUID.
std::array<uint8_t, 20> sha1(const uint8_t* data, size_t size);
std::string base64Encode(const uint8_t* data, size_t size);
std::string webSocketAccept(const std::string& key);
