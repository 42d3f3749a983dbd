#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A small HTTP server that answers GET on one path with a text document made
// on demand, from threads of its own; every other path is 404. Made for the
// dedicated server's counters, so a scraper can read them while the game runs.
class httpTextServer {
  public:
    using documentMaker = std::function<std::string()>; // called on a server thread

    httpTextServer();
    ~httpTextServer(); // stops
    httpTextServer(const httpTextServer&) = delete;
    httpTextServer& operator=(const httpTextServer&) = delete;

    // Listens on address (dotted IPv4) and port (0: one the system picks) and
    // starts serving. False when the address cannot be bound or when it was
    // started before: a server serves once.
    bool start(const std::string& address, uint16_t port, const std::string& path,
               const std::string& contentType, documentMaker maker);
    void stop(); // waits until no request is being answered

    bool isRunning() const;
    uint16_t getPort() const; // the port really listened on while running, else 0

  private:
    struct state;
    std::unique_ptr<state> m_state;
};
