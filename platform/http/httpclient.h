#pragma once

#include <cstdint>
#include <string>

// One HTTP/1.1 request to a server on this machine (127.0.0.1), made for a
// sidecar that listens on loopback only. Plain HTTP: no TLS is built in.

struct httpReply {
    int status = 0; // the answer's status; 0 when nothing answered (refused, time-out)
    std::string body;
};

// method is "GET", "POST" or "PUT"; a body is sent as application/json. Waits
// at most timeoutMs for the connection and again for the answer.
httpReply httpRequestLoopback(uint16_t port, const std::string& method, const std::string& path,
                              const std::string& jsonBody, int timeoutMs);
