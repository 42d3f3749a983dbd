#include "platform/http/httpclient.h"

#include <httplib.h>

namespace {

constexpr const char* LOOPBACK = "127.0.0.1";
constexpr const char* JSON = "application/json";

void setTimeouts(httplib::Client& client, int timeoutMs) {
    const time_t seconds = timeoutMs / 1000;
    const time_t micros = static_cast<time_t>(timeoutMs % 1000) * 1000;
    client.set_connection_timeout(seconds, micros);
    client.set_read_timeout(seconds, micros);
    client.set_write_timeout(seconds, micros);
}

httplib::Result send(httplib::Client& client, const std::string& method, const std::string& path,
                     const std::string& body) {
    if (method == "POST")
        return client.Post(path.c_str(), body, JSON);
    if (method == "PUT")
        return client.Put(path.c_str(), body, JSON);
    return client.Get(path.c_str());
}

} // namespace

httpReply httpRequestLoopback(uint16_t port, const std::string& method, const std::string& path,
                              const std::string& jsonBody, int timeoutMs) {
    httplib::Client client(LOOPBACK, port);
    setTimeouts(client, timeoutMs);
    // Each call stands alone: no descriptor is kept between calls.
    client.set_keep_alive(false);
    const httplib::Result result = send(client, method, path, jsonBody);
    httpReply reply;
    if (result) {
        reply.status = result->status;
        reply.body = result->body;
    }
    return reply;
}
