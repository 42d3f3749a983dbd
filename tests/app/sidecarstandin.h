#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A stand-in for the Agones sidecar's REST interface on 127.0.0.1: it answers
// the calls a game server makes (POST /ready, /health, /shutdown, PUT
// /metadata/label and, with player tracking, POST /alpha/player/connect and
// /disconnect, PUT /alpha/player/capacity; anything else is 404) and records
// each one.
struct sidecarCall {
    std::string method;
    std::string path;
    std::string body;
    uint64_t atMs = 0; // monotonic milliseconds
};

class sidecarStandIn {
  public:
    explicit sidecarStandIn(bool playerTracking = false);
    ~sidecarStandIn();
    bool start(uint16_t port);  // false when the port cannot be bound
    uint16_t startOnFreePort(); // the port it listens on; 0 when none could be bound
    void stop();
    std::vector<sidecarCall> calls() const;
    std::vector<sidecarCall> callsTo(const std::string& path) const;
    // A slow sidecar: every answer waits this long.
    void setDelayMs(int delayMs);
    // Answers to paths starting with prefix wait until release (or stop); the
    // calls are recorded when they arrive.
    void hold(const std::string& prefix);
    void release();
    int heldNow() const; // calls waiting for release

  private:
    struct state;
    std::unique_ptr<state> m_state;
};

// The value of "key": "..." in a call's body ("value" of a label, "playerID"), or "".
std::string bodyValue(const sidecarCall& call, const std::string& key);
