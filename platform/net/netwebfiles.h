#pragma once

#include "platform/net/netwebhttp.h"

#include <cstdint>
#include <string>
#include <vector>

// Files larger than this are not served: the page, its script and its wasm
// are a few megabytes together.
constexpr uint64_t WEB_MAX_FILE_BYTES = 64ull * 1024 * 1024;

// The whole HTTP response to a request for a file of root (GET and HEAD; 405
// for other methods, 404 for names outside the root or not there).
std::vector<uint8_t> webFileResponse(const std::string& root, const webRequest& request);
// A response with a short text body and any extra header lines ("Name: value\r\n").
std::vector<uint8_t> webTextResponse(int status, const std::string& extraHeaders = {});
