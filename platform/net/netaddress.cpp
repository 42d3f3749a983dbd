#include "platform/net/netaddress.h"

#include "platform/net/netsocket.h"

#include <algorithm>
#include <charconv>
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace {

bool parsePort(const std::string& text, uint16_t& port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value == 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

bool resolveName(const std::string& name, uint32_t& host) {
    if (!netStartSockets())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    host = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}

} // namespace

bool parseIPv4(const std::string& text, uint32_t& host) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    host = ntohl(address.s_addr);
    return true;
}

bool parseAddressList(const std::string& commaSeparated, std::vector<uint32_t>& hosts) {
    std::vector<uint32_t> parsed;
    size_t start = 0;
    while (true) {
        const size_t comma = commaSeparated.find(',', start);
        std::string entry = commaSeparated.substr(start, comma == std::string::npos ? comma : comma - start);
        entry.erase(std::remove(entry.begin(), entry.end(), ' '), entry.end());
        uint32_t host = 0;
        if (!parseIPv4(entry, host)) // an empty entry too
            return false;
        parsed.push_back(host);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    hosts = parsed;
    return true;
}

bool parseAddress(const std::string& text, uint16_t defaultPort, netAddress& out) {
    const auto colon = text.rfind(':');
    const std::string hostText = colon == std::string::npos ? text : text.substr(0, colon);
    netAddress address;
    address.port = defaultPort;
    if (colon != std::string::npos && !parsePort(text.substr(colon + 1), address.port))
        return false;
    if (hostText.empty())
        return false;
    if (!parseIPv4(hostText, address.host) && !resolveName(hostText, address.host))
        return false;
    out = address;
    return true;
}

std::string formatAddress(const netAddress& address) {
    in_addr raw{};
    raw.s_addr = htonl(address.host);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &raw, text, sizeof(text));
    return std::string(text) + ":" + std::to_string(address.port);
}
