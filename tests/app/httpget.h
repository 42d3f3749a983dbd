#pragma once

#include <cstdint>
#include <string>

// A plain HTTP/1.0 GET of path from 127.0.0.1:port, for tests only. The whole
// answer (status line, headers, body), or empty when nothing came back within
// timeoutMs.
std::string httpGetLoopback(uint16_t port, const std::string& path, int timeoutMs);
// The same from host (IPv4, host byte order).
std::string httpGet(uint32_t host, uint16_t port, const std::string& path, int timeoutMs);

// A TCP connection to 127.0.0.1:port that sends nothing until closed; -1 when
// it cannot be made.
int openLoopbackConnection(uint16_t port);
void closeLoopbackConnection(int fd);

// The body of an answer whose status is 200; empty otherwise.
std::string okBody(const std::string& answer);
