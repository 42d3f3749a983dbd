#pragma once

#include "networklib/networkconnection.h"
#include "networklib/networkrank.h"
#include "platform/net/netaddress.h"
#include "platform/net/netevents.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class netClient;
class netSearch;

// How the last connection ended, or why it could not be made.
enum class networkEnd {
    none,           // connected, or nothing tried yet
    badAddress,     // the address did not parse or resolve
    noAnswer,       // nobody answered the connect in time
    refused,        // the host refused the connection
    gameFull,       // the host's game had no place
    notJoined,      // the host dropped a connection that never joined
    hostStopped,    // the host ended the session
    connectionLost, // the host stopped answering
};
const char* describeEnd(networkEnd end); // a short phrase for a report
// The longest a connection waits on a silent host before it ends as
// connectionLost; each end gives up at a moment of its own before this.
uint32_t getLinkGiveUpMs();
// Sessions a client lists at once. Answers can be forged, each with an
// instance of its own; a network has far fewer real games than this.
constexpr size_t MAX_LISTED_SESSIONS = 64;

// The playing end: finds sessions of its application GUID, connects to one by
// name (or straight to an address), sends to the server and hands out the
// server's data as messages and the end of the session as an event.
class networkClient final : public networkConnection {
  public:
    struct session {
        std::string name;
        netAddress hostAddress;
        netApplicationDesc applicationDesc;
        bool ranked = false; // the host sent its rank: it is a ZEB host that compares games
        netHostRank rank;
    };

    networkClient();
    ~networkClient();

    void initialise() override;
    void enumerateHosts(); // blocks for the discovery window; answers become session records
    // The same without blocking, for a frame loop: startSearch sends the
    // queries (false when it cannot), and each continueSearch takes the
    // answers that have come, until it returns false when the window closes.
    bool startSearch();
    bool continueSearch();
    // A search that says this copy is about to host, under claimant; the
    // claims of other copies about to host are heard meanwhile.
    bool startClaim(const netGuid& claimant);
    std::vector<netGuid> getRivalClaims() const;
    void getSessions(std::vector<std::string>& names);
    std::vector<session> getSessionRecords();     // one per session, in order of first arrival
    void addSession(const session& newSession);   // one record per session instance, the latest
    std::vector<session> getFullSessions() const; // sessions found with no place left, kept apart
    void forgetSessions();                        // before a search whose findings alone count

    // Connects to the first session of that name, else to the first listed.
    // Does nothing while connecting or connected, or with no session listed.
    // A connect that fails leaves the client unconnected and ends the session.
    void connect(std::string name);
    void connectSession(const session& chosen); // that one, as connect does
    // The session connected to last; its instance is zero after connectTo.
    const netGuid& getSessionInstance() const { return m_applicationDesc.instanceGuid; }
    // The same, straight to "host[:port]" (the game port by default); false
    // when the address does not parse or a connection is already under way.
    bool connectTo(const std::string& address);
    void disconnect();

    void send(const networkMessage& message) override; // guaranteed ones reliably
    using networkConnection::receiveMessages;
    // The messages alone, for an owner that learns of the end of the session
    // from isConnected and getEnd.
    void receiveMessages(messageQueue& queue);
    bool isConnected() override;

    void addDiscoveryTarget(uint32_t target); // searched besides the process-wide targets
    bool isConnecting() const; // a connect is under way or its connection is up; false once it ends
    networkEnd getEnd() const { return m_end; }
    netAddress getHostAddress();       // the host last connected to
    uint64_t getSentBytes() const;     // UDP payload bytes sent so far
    uint64_t getReceivedBytes() const; // UDP payload bytes received so far, headers included
    uint64_t getSentDatagrams() const; // UDP datagrams sent so far, the transport's own included
    uint64_t getDroppedCount() const override;

  private:
    void holdSends() override;
    void releaseSends() override;
    void pumpTransport() override;
    void takeEvents(std::vector<netIncoming>& events) override;
    void handle(netIncoming& event) override;
    bool startConnect(const netAddress& address);
    void onConnectComplete(int result);
    void onSessionEnded(uint32_t reason);
    void relaySessionEnded();

    void addAnswer(const netHostAnswer& answer);
    void addRank(const netHostRank& rank);
    std::vector<uint32_t> searchTargets() const;
    static void mergeSession(std::vector<session>& list, const session& newSession);

    std::vector<session> m_sessions;     // in order of arrival
    std::vector<session> m_fullSessions; // likewise, those with no place left
    std::vector<netHostRank> m_ranks;    // the latest of each instance, at most MAX_LISTED_SESSIONS
    netAddress m_hostAddress;
    std::unique_ptr<netClient> m_client; // null until initialise succeeds
    std::unique_ptr<netSearch> m_search; // the search under way, if any
    std::vector<uint32_t> m_extraTargets;
    networkEnd m_end = networkEnd::none;
    bool m_connected = false;                  // as of the events taken so far
    std::vector<networkEvent> m_droppedEvents; // receiveMessages's without events
};

// A listed session as hosts compare games (networkrank.h); its rank's parts
// are zero when its host sent none.
networkGameStanding standingOf(const networkClient::session& listed);
