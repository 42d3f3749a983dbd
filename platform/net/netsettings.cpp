#include "platform/net/netsettings.h"

#include "platform/net/netaddress.h"
#include "platform/net/netinterfaces.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <sstream>

namespace {

constexpr uint32_t LIMITED_BROADCAST = 0xFFFFFFFF;

struct settings {
    bool explicitTargets = false; // false: every card's broadcast, worked out at each search
    std::vector<uint32_t> targets;
    uint16_t discoveryPort = NET_DEFAULT_DISCOVERY_PORT;
    uint16_t gamePort = NET_DEFAULT_GAME_PORT;
};

uint16_t portFromEnvironment(const char* name, uint16_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr)
        return fallback;
    unsigned value = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc() || result.ptr != end || value == 0 || value > 65535)
        return fallback;
    return static_cast<uint16_t>(value);
}

settings loadSettings() {
    settings loaded;
    loaded.discoveryPort = portFromEnvironment("ZEB_DISCOVERY_PORT", NET_DEFAULT_DISCOVERY_PORT);
    const char* targets = std::getenv("ZEB_DISCOVERY");
    if (targets == nullptr)
        return loaded;
    loaded.explicitTargets = true;
    // A list that does not parse searches nowhere rather than falling back to
    // broadcasting on every network.
    if (!parseAddressList(targets, loaded.targets))
        loaded.targets.clear();
    return loaded;
}

std::mutex g_settingsLock;

settings& current() {
    static settings s_settings = loadSettings();
    return s_settings;
}

} // namespace

std::vector<uint32_t> defaultDiscoveryTargets() {
    std::vector<uint32_t> targets = directedBroadcasts(listInterfaceAddresses());
    targets.push_back(LIMITED_BROADCAST);
    targets.push_back(NET_LOOPBACK_BROADCAST_HOST);
    return targets;
}

std::vector<uint32_t> getDiscoveryTargets() {
    {
        std::lock_guard<std::mutex> guard(g_settingsLock);
        if (current().explicitTargets)
            return current().targets;
    }
    return defaultDiscoveryTargets();
}

void setDiscoveryTargets(const std::vector<uint32_t>& targets) {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    current().explicitTargets = true;
    current().targets = targets;
}

uint16_t getDiscoveryPort() {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    return current().discoveryPort;
}

void setDiscoveryPort(uint16_t port) {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    current().discoveryPort = port;
}

uint16_t getGamePort() {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    return current().gamePort;
}

void setGamePort(uint16_t port) {
    std::lock_guard<std::mutex> guard(g_settingsLock);
    current().gamePort = port;
}
