#pragma once

#include <cstdint>
#include <vector>

// UDP datagrams with a source address and port of the sender's choosing,
// through a raw socket (needs the right to open one). Hosts are in host byte
// order. Made and used inside the machine that sends.
class forgedSender {
  public:
    forgedSender();
    ~forgedSender();
    forgedSender(const forgedSender&) = delete;
    forgedSender& operator=(const forgedSender&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool send(uint32_t fromHost, uint16_t fromPort, uint32_t toHost, uint16_t toPort,
              const std::vector<uint8_t>& payload) const;

  private:
    int m_fd = -1;
};
