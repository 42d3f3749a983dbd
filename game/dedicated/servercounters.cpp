#include "game/dedicated/servercounters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

int64_t ZEBTickStatistics::wholeSecond(double time) {
    return static_cast<int64_t>(std::floor(time));
}

void ZEBTickStatistics::recordTick(double now, double duration) {
    const int64_t second = wholeSecond(now);
    if (m_firstSecond < 0)
        m_firstSecond = second;
    bucket& current = m_buckets[static_cast<size_t>(second % LONGEST_TICK_WINDOW_SECONDS)];
    if (current.second != second)
        current = bucket{second, 0, 0.0};
    ++current.ticks;
    current.longest = std::max(current.longest, duration);
}

double ZEBTickStatistics::getTicksPerSecond(double now) const {
    const int64_t current = wholeSecond(now);
    if (m_firstSecond < 0 || current <= m_firstSecond)
        return 0.0;
    // The first second was only partly served: left out once a later one is complete.
    const int64_t firstComplete = current - m_firstSecond >= 2 ? m_firstSecond + 1 : m_firstSecond;
    const int64_t first = std::max(current - TICK_RATE_WINDOW_SECONDS, firstComplete);
    uint64_t ticks = 0;
    for (const bucket& counted : m_buckets) {
        if (counted.second >= first && counted.second < current)
            ticks += counted.ticks;
    }
    return static_cast<double>(ticks) / static_cast<double>(current - first);
}

double ZEBTickStatistics::getLongestTick(double now) const {
    const int64_t current = wholeSecond(now);
    double longest = 0.0;
    for (const bucket& counted : m_buckets) {
        if (counted.second > current - LONGEST_TICK_WINDOW_SECONDS && counted.second <= current)
            longest = std::max(longest, counted.longest);
    }
    return longest;
}

namespace {

void addFamily(std::string& text, const char* name, const char* type, const char* help,
               const std::string& value) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n" + name + " " +
            value + "\n";
}

std::string number(uint64_t value) {
    return std::to_string(value);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.6g", value);
    return text;
}

} // namespace

std::string formatServerCounters(const ZEBServerCounterValues& values) {
    const netServerStats& traffic = values.traffic;
    std::string text;
    addFamily(text, "zeb_players_connected", "gauge", "Players in the game now.",
              number(uint64_t{values.playersConnected}));
    addFamily(text, "zeb_browser_players_connected", "gauge", "Players in the game now who came by browser.",
              number(uint64_t{values.browserPlayersConnected}));
    addFamily(text, "zeb_ticks_per_second", "gauge", "Server ticks a second, the mean of the last 5 seconds.",
              number(values.ticksPerSecond));
    addFamily(text, "zeb_tick_longest_seconds", "gauge", "The longest tick of the last minute, in seconds.",
              number(values.longestTickSeconds));
    addFamily(text, "zeb_received_bytes_total", "counter", "UDP payload bytes received.",
              number(traffic.receivedBytes));
    addFamily(text, "zeb_sent_bytes_total", "counter", "UDP payload bytes sent.", number(traffic.sentBytes));
    addFamily(text, "zeb_browser_players_total", "counter", "Players who came by browser since the start.",
              number(traffic.browserPlayersJoined));
    addFamily(text, "zeb_web_received_bytes_total", "counter", "TCP payload bytes received on the web port.",
              number(traffic.webReceivedBytes));
    addFamily(text, "zeb_web_sent_bytes_total", "counter", "TCP payload bytes sent on the web port.",
              number(traffic.webSentBytes));
    addFamily(text, "zeb_received_messages_total", "counter", "Messages received from players.",
              number(traffic.receivedMessages));
    addFamily(text, "zeb_sent_messages_total", "counter", "Messages sent to players, one per player reached.",
              number(traffic.sentMessages));
    addFamily(text, "zeb_peers_dropped_total", "counter",
              "Players lost without leaving (timed out or silent).", number(traffic.droppedPeers));
    addFamily(text, "zeb_dropped_messages_total", "counter",
              "Messages from players dropped: over the sender's share, or a ship state the ship could not "
              "have reached.",
              number(values.droppedMessages));
    addFamily(text, "zeb_refused_joins_total", "counter",
              "Joins refused: game full, no join request in time, or a wrong protocol version.",
              number(values.refusedJoins));
    return text;
}

void ZEBServerCounters::publish(const ZEBServerCounterValues& values) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_values = values;
}

ZEBServerCounterValues ZEBServerCounters::read() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_values;
}
