#pragma once

#include "game/rules/compactstate.h"
#include "game/rules/guessdrift.h"
#include "game/rules/protocol.h"
#include "game/rules/zebgamestateelement.h"
#include "game/rules/zebmotionguess.h"
#include "game/server/zebcompactshipguesses.h"

#include <cstdint>
#include <vector>

// A datagram whose fate is still unknown this long after it left is taken as
// lost: this bounds how long a lost entry can leave a copy wrong when no later
// acknowledgement tells of the loss sooner.
constexpr float COMPACT_RESEND_AFTER = 0.25f;
// An explosion that is found lost later than this is not worth showing.
constexpr float COMPACT_EXPLOSION_WORTH = 0.3f;
// Between two copies that acknowledge, a ship the guess follows well needs no
// beat to mend losses; this one only catches a drift of the two clocks.
constexpr float COMPACT_SHIP_HEARTBEAT = 2.0f;

// An asteroid or a bullet changes only through the game, which counts each
// change; between changes its guess is checked for drift this often, staggered.
constexpr int COMPACT_DRIFT_CHECK_TICKS = 22;

// To a copy that reads controls alone (and acknowledges now and then rather
// than every frame), news waits so that several ticks share a datagram: a
// ship's change of controls or drift at most COMPACT_BATCH_TICKS, which the
// copy's guess carries meanwhile; what shows or hides an element, an
// explosion or a score at most COMPACT_NEWS_TICKS (an element shown late is
// shown where it is by then). News not yet acknowledged keeps a datagram
// going every COMPACT_BATCH_TICKS, so that the acknowledgement of a later one
// tells a loss.
constexpr uint32_t COMPACT_BATCH_TICKS = 6;
constexpr uint32_t COMPACT_NEWS_TICKS = 4;

struct ShipControls {
    int turn = 0; // +1 left, -1 right
    bool thrust = false;
};

struct CompactScore {
    int32_t shipID = 0;
    int32_t score = 0;
};

// The host's state after a tick, as every compact datagram of that tick reads it.
struct CompactTick {
    uint32_t number = 0; // counts the host's ticks
    ZEBCompactShipGuesses& ships;
    float dt = 0.0f;
    const std::vector<ZEBGameStateElement>& elements;
    const std::vector<ShipControls>& controls; // per element: the controls a ship holds now
    const std::vector<uint32_t>& changes;      // per element (every one): how often the game has changed it
    const std::vector<Explosion>& explosions;  // this tick's
    const std::vector<CompactScore>& scores;
};

// What one player's copy holds of the game, as far as the host can tell from
// the compact datagrams it sent that copy and the acknowledgements that came
// back. Keyed by the transport's player id, so a copy without a ship of its
// own is served alike. A copy is sent its own ship too, which it passes over
// while it flies it, as the game's own updates have it: a recording of what
// the copy received shows that ship as well.
class ZEBCompactPeer {
  public:
    // readsControls: the copy reads entries of controls alone (CAPABILITY_UPLINK).
    ZEBCompactPeer(uint32_t playerID, bool readsControls);

    uint32_t getPlayerID() const { return m_playerID; }
    // Elements the copy has received whole at host tick tickNumber: joining
    // (the full state), or while playing (a new element).
    void track(const std::vector<ZEBGameStateElement>& elements, uint32_t tickNumber, bool joining,
               ZEBCompactShipGuesses& ships);
    void acknowledge(const CompactAck& ack);
    // The scores of a table that is sure to arrive.
    void tableSent(const std::vector<CompactScore>& scores);
    // Whether the copy needs a new table: its rows, scores aside, changed.
    bool tableChanged(const std::vector<uint8_t>& layout);

    // This tick's datagram: false when there is nothing to say.
    bool build(const CompactTick& tick, networkMessage* out);

  private:
    // Looked at every tick for every element: kept small and apart from the
    // guesses, which only ships need every tick.
    struct Tracked {
        bool heldVisible = false; // the copy shows the element
        bool ship = false;
        bool inFlight = false; // the last entry's datagram is not yet acknowledged
        bool resend = false;   // that datagram was lost
        bool waiting = false;  // an entry found due waits for a later datagram
        uint16_t sequence = 0;
        uint32_t seenChange = 0;   // the game's count of changes when last compared
        uint32_t lastSent = 0;     // host tick of the last entry, or of the whole record
        uint32_t previousSent = 0; // what that entry said (shown, controls) or how the record came
        int shipHint = -1;         // where the shared guess of a ship was found last
        double sentAt = 0.0;       // on this peer's clock
        double motionAt = 0.0;     // when the last entry with the whole motion went
        double steppedTo = 0.0;    // how far the guess has been carried on
        uint64_t lineage = 0;      // of the ship's shared guess (ZEBCompactShipGuesses::Key)
        // Controls alone build on the entry before, which may still be on its
        // way: a loss of either is mended by the whole motion.
        bool earlierInFlight = false;
        uint16_t earlierSequence = 0;
    };
    // An entry this tick may send, and whether it may wait for a later datagram.
    struct Candidate {
        CompactEntry entry;
        bool canWait = false;
    };
    struct PendingExplosion {
        Explosion explosion;
        uint16_t sequence = 0;
        bool inFlight = false;
        bool resend = true;
        float age = 0.0f;
    };
    struct TrackedScore {
        int32_t shipID = 0;
        int32_t score = 0;
        uint16_t sequence = 0;
        bool inFlight = false;
        bool resend = false;
        float sinceSent = 0.0f;
    };

    bool needsMotion(int id, const CompactTick& tick, bool* canWait, bool* controlsAlone);
    bool hasDrifted(int id, const CompactTick& tick);
    void carryOn(int id); // the guess of element id, carried on to now
    bool hasNewsOnTheWay() const;
    ZEBCompactShipGuesses::Key shipKey(int id) const {
        return {id, m_tracked[id].lastSent, m_tracked[id].previousSent, m_tracked[id].lineage};
    }
    const ZEBMotionGuess* shipGuess(int id, const CompactTick& tick) {
        return tick.ships.find(shipKey(id), m_tracked[id].shipHint);
    }
    const ZEBGameStateElement& heldElement(int id, const CompactTick& tick);
    bool expired(const Tracked& tracked) const {
        return tracked.inFlight && m_clock - tracked.sentAt >= COMPACT_RESEND_AFTER;
    }
    void sent(int id, const CompactEntry& entry, const CompactTick& tick);
    void addExplosions(compactWriter& writer, const CompactTick& tick);
    void collectElements(const CompactTick& tick, std::vector<Candidate>& candidates);
    void addElements(compactWriter& writer, const std::vector<Candidate>& candidates,
                     const CompactTick& tick);
    bool hasUrgentNews(const std::vector<Candidate>& candidates,
                       const std::vector<CompactScore>& scores) const;
    void addScores(compactWriter& writer, const std::vector<CompactScore>& scores);
    TrackedScore& scoreOf(int32_t shipID);

    uint32_t m_playerID = 0;
    bool m_readsControls = false;
    uint32_t m_sinceDatagram = 0; // ticks
    uint16_t m_sequence = 0;      // of the last datagram built
    bool m_started = false;       // the first datagram has been built
    uint32_t m_ticks = 0;
    double m_clock = 0.0; // seconds of datagrams built, as the copy steps them
    std::vector<Tracked> m_tracked;
    std::vector<ZEBMotionGuess> m_held; // per element but ships (shared): as the copy carries it on
    std::vector<int> m_ships;
    std::vector<PendingExplosion> m_explosions;
    std::vector<TrackedScore> m_scores;
    std::vector<uint8_t> m_tableLayout;
};
