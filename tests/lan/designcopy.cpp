#include "tests/lan/designcopy.h"

#include "game/client/zebgamestatecollector.h"
#include "networklib/networkclient.h"
#include "platform/net/netsettings.h"
#include "tests/lan/lanbed.h"

#include <chrono>

namespace {

constexpr auto FRAME = std::chrono::milliseconds(22);
constexpr int JOIN_FRAMES = 200; // a join that takes longer is given up
constexpr auto SEARCH_AGAIN = std::chrono::seconds(1);

} // namespace

designCopy::designCopy(const lanBed& bed, int machine) : m_bed(bed), m_machine(machine) {
    m_thread = std::thread([this] { m_bed.inside(m_machine, [this] { run(); }); });
}

designCopy::~designCopy() {
    m_stop = true;
    m_thread.join();
}

netAddress designCopy::getHost() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_host;
}

// Search, join the first game found, play until it ends; again.
void designCopy::run() {
    networkClient client;
    client.setLogging(false);
    client.setApplicationGuid(ZEB_APPLICATION_GUID);
    client.initialise();
    // Inside the bed a copy searches with its default targets, as the real program does.
    for (const uint32_t target : defaultDiscoveryTargets())
        client.addDiscoveryTarget(target);
    while (!m_stop) {
        client.forgetSessions();
        client.enumerateHosts();
        std::vector<std::string> names;
        client.getSessions(names);
        if (names.empty()) {
            std::this_thread::sleep_for(SEARCH_AGAIN);
            continue;
        }
        client.connect(names[0]);
        ZEBGameStateCollector collector;
        collector.setAnnounced(0);
        for (int frame = 0; !m_stop && (client.isConnecting() || client.isConnected()); ++frame) {
            messageQueue in;
            messageQueue out;
            client.receiveMessages(in);
            const bool before = collector.hasJoined();
            collector.update(0.022f, in, out);
            if (!before && collector.hasJoined()) {
                ++m_joined;
                std::lock_guard<std::mutex> guard(m_lock);
                m_host = client.getHostAddress();
            }
            if (!collector.hasJoined() && frame > JOIN_FRAMES)
                break;
            if (client.isConnected())
                client.sendMessages(out);
            std::this_thread::sleep_for(FRAME);
        }
        client.disconnect();
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_host = netAddress{};
        }
        std::this_thread::sleep_for(SEARCH_AGAIN);
    }
}
