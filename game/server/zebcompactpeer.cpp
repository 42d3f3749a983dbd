#include "game/server/zebcompactpeer.h"

#include "game/rules/playarea.h"
#include "game/server/zebgamestategame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t CONTROLS_ALONE = 0x100;
constexpr uint32_t CONTROLS_LASTING = 0x200; // a copy that reads controls alone holds them until told

// A key folded into 64 bits, mixed so that different guesses all but never meet.
uint64_t foldKey(const ZEBCompactShipGuesses::Key& key) {
    uint64_t value = key.lineage ^ (static_cast<uint64_t>(key.lastSent) << 32 | key.previousSent);
    value ^= static_cast<uint64_t>(key.id) * 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return (value ^ (value >> 31)) | 1u; // never 0, the lineage of a whole entry
}

CompactEntry motionOf(int id, const ZEBGameStateElement& truth, const std::vector<ShipControls>& controls) {
    CompactEntry entry;
    entry.kind = compactKind::motion;
    entry.id = id;
    if (truth.getType() == TYPE_PLAYER && id < static_cast<int>(controls.size())) {
        entry.turn = controls[id].turn;
        entry.thrust = controls[id].thrust;
    }
    entry.position = truth.getPosition();
    entry.rotation = truth.getRotation();
    entry.velocity = truth.getVelocity();
    return quantised(entry);
}

// What the copy holds once it has read the entry.
ZEBGameStateElement applied(const CompactEntry& entry, ZEBGameStateElement held) {
    applyCompactEntry(entry, &held);
    return held;
}

} // namespace

ZEBCompactPeer::ZEBCompactPeer(uint32_t playerID, bool readsControls)
    : m_playerID(playerID), m_readsControls(readsControls) {}

void ZEBCompactPeer::track(const std::vector<ZEBGameStateElement>& elements, uint32_t tickNumber,
                           bool joining, ZEBCompactShipGuesses& ships) {
    // A whole record is told apart from entries, and a full state (read a
    // step later than the rest) from a new element.
    const uint32_t whole = joining ? ~0u : ~1u;
    for (size_t id = m_tracked.size(); id < elements.size(); ++id) {
        Tracked& tracked = m_tracked.emplace_back();
        tracked.lastSent = tickNumber;
        tracked.previousSent = whole;
        tracked.heldVisible = elements[id].isVisible();
        tracked.ship = elements[id].getType() == TYPE_PLAYER;
        tracked.steppedTo = m_clock;
        m_held.emplace_back().receive(elements[id]);
        if (tracked.ship) {
            m_ships.push_back(static_cast<int>(id));
            ships.hold(shipKey(static_cast<int>(id)), m_held.back(), tickNumber);
        }
    }
}

void ZEBCompactPeer::acknowledge(const CompactAck& ack) {
    // A datagram older than the newest acknowledged and not named arrived
    // too late or not at all: the transport drops late ones, so it is lost.
    const auto settle = [&ack](uint16_t sequence, bool& inFlight, bool& resend) {
        if (!inFlight)
            return;
        if (acknowledges(ack, sequence)) {
            inFlight = false;
        } else if (isNewerSequence(ack.newest, sequence)) {
            inFlight = false;
            resend = true;
        }
    };
    for (Tracked& tracked : m_tracked) {
        settle(tracked.earlierSequence, tracked.earlierInFlight, tracked.resend);
        settle(tracked.sequence, tracked.inFlight, tracked.resend);
    }
    for (TrackedScore& score : m_scores)
        settle(score.sequence, score.inFlight, score.resend);
    for (PendingExplosion& pending : m_explosions)
        settle(pending.sequence, pending.inFlight, pending.resend);
    std::erase_if(m_explosions, [](const PendingExplosion& p) { return !p.inFlight && !p.resend; });
}

void ZEBCompactPeer::tableSent(const std::vector<CompactScore>& scores) {
    for (const CompactScore& row : scores) {
        TrackedScore& score = scoreOf(row.shipID);
        score = TrackedScore();
        score.shipID = row.shipID;
        score.score = row.score;
    }
}

bool ZEBCompactPeer::tableChanged(const std::vector<uint8_t>& layout) {
    if (layout == m_tableLayout)
        return false;
    m_tableLayout = layout;
    return true;
}

ZEBCompactPeer::TrackedScore& ZEBCompactPeer::scoreOf(int32_t shipID) {
    for (TrackedScore& score : m_scores) {
        if (score.shipID == shipID)
            return score;
    }
    TrackedScore& score = m_scores.emplace_back();
    score.shipID = shipID;
    return score;
}

bool ZEBCompactPeer::build(const CompactTick& tick, networkMessage* out) {
    for (const Explosion& explosion : tick.explosions)
        m_explosions.push_back({explosion, 0, false, true, 0.0f});
    for (PendingExplosion& pending : m_explosions)
        pending.age += tick.dt;
    std::erase_if(m_explosions, [](const PendingExplosion& p) {
        return p.age > COMPACT_EXPLOSION_WORTH + COMPACT_RESEND_AFTER;
    });
    for (const CompactScore& row : tick.scores)
        scoreOf(row.shipID).sinceSent += tick.dt;
    track(tick.elements, tick.number, false, tick.ships);
    // The copy reads its first datagram with the full state, before it steps.
    m_clock += m_started ? tick.dt : 0.0f;
    m_started = true;
    ++m_ticks;
    ++m_sinceDatagram;
    // Ships are carried on in the shared guesses; asteroids and bullets go in
    // a straight line, carried on when looked at.
    if (tick.ships.isSweepDue(tick.number)) {
        for (const int id : m_ships)
            tick.ships.use(shipKey(id), m_tracked[id].shipHint);
    }
    std::vector<Candidate> candidates;
    collectElements(tick, candidates);
    const bool urgent = hasUrgentNews(candidates, tick.scores);
    if (m_readsControls && m_sinceDatagram < (urgent ? COMPACT_NEWS_TICKS : COMPACT_BATCH_TICKS)) {
        // What was found due stays due: a drift is looked for only when the game changed something.
        for (const Candidate& candidate : candidates)
            m_tracked[candidate.entry.id].waiting = true;
        return false;
    }
    compactWriter writer(static_cast<uint16_t>(m_sequence + 1));
    addExplosions(writer, tick);
    addElements(writer, candidates, tick);
    addScores(writer, tick.scores);
    // While news is on its way a datagram goes now and then, empty if need
    // be: the acknowledgement of a later one is what tells that one was lost.
    if (writer.isEmpty() && !hasNewsOnTheWay())
        return false;
    ++m_sequence;
    m_sinceDatagram = 0;
    *out = writer.message();
    return true;
}

bool ZEBCompactPeer::hasUrgentNews(const std::vector<Candidate>& candidates,
                                   const std::vector<CompactScore>& scores) const {
    if (std::any_of(candidates.begin(), candidates.end(), [](const Candidate& c) { return !c.canWait; }) ||
        std::any_of(m_explosions.begin(), m_explosions.end(),
                    [](const PendingExplosion& p) { return p.resend && p.age <= COMPACT_EXPLOSION_WORTH; }))
        return true;
    for (const CompactScore& row : scores) {
        for (const TrackedScore& score : m_scores) {
            if (score.shipID == row.shipID && (score.score != row.score || score.resend ||
                                               (score.inFlight && score.sinceSent >= COMPACT_RESEND_AFTER)))
                return true;
        }
    }
    return false;
}

bool ZEBCompactPeer::hasNewsOnTheWay() const {
    return std::any_of(m_tracked.begin(), m_tracked.end(),
                       [](const Tracked& t) { return t.inFlight || t.earlierInFlight; }) ||
           std::any_of(m_scores.begin(), m_scores.end(), [](const TrackedScore& s) { return s.inFlight; }) ||
           std::any_of(m_explosions.begin(), m_explosions.end(),
                       [](const PendingExplosion& p) { return p.inFlight; });
}

void ZEBCompactPeer::carryOn(int id) {
    Tracked& tracked = m_tracked[id];
    m_held[id].step(static_cast<float>(m_clock - tracked.steppedTo));
    tracked.steppedTo = m_clock;
}

const ZEBGameStateElement& ZEBCompactPeer::heldElement(int id, const CompactTick& tick) {
    if (m_tracked[id].ship) {
        if (const ZEBMotionGuess* shared = shipGuess(id, tick))
            return shared->getElement();
    }
    return m_held[id].getElement();
}

void ZEBCompactPeer::sent(int id, const CompactEntry& entry, const CompactTick& tick) {
    Tracked& tracked = m_tracked[id];
    const ZEBGameStateElement held = applied(entry, heldElement(id, tick));
    if (tracked.ship) {
        // An entry tells all the guess needs: every copy sent the same entry
        // in the same tick holds the same guess, made once; and so does every
        // copy sent the same controls alone for the same guess it held.
        const bool alone = entry.kind == compactKind::controls;
        const uint32_t said =
            (held.isVisible() ? 2u + static_cast<uint32_t>(entry.turn + 1) + (entry.thrust ? 3u : 0u) : 1u) |
            (alone ? CONTROLS_ALONE : 0u) | (m_readsControls ? CONTROLS_LASTING : 0u);
        tracked.lineage = alone ? foldKey(shipKey(id)) : 0u;
        tracked.lastSent = tick.number;
        tracked.previousSent = said;
        int hint = -1;
        if (tick.ships.find(shipKey(id), hint) == nullptr) {
            ZEBMotionGuess guess;
            guess.receive(held, entry.turn, entry.thrust, m_readsControls);
            tick.ships.hold(shipKey(id), guess, tick.number);
        }
    } else {
        m_held[id].receive(held);
    }
    tracked.heldVisible = held.isVisible();
    tracked.steppedTo = m_clock;
    const bool chained = entry.kind == compactKind::controls && tracked.inFlight;
    tracked.earlierInFlight = chained;
    tracked.earlierSequence = chained ? tracked.sequence : 0;
    tracked.sequence = static_cast<uint16_t>(m_sequence + 1);
    tracked.inFlight = true;
    tracked.resend = false;
    tracked.waiting = false;
    tracked.sentAt = m_clock;
    if (entry.kind != compactKind::controls)
        tracked.motionAt = m_clock;
}

void ZEBCompactPeer::addExplosions(compactWriter& writer, const CompactTick& tick) {
    for (PendingExplosion& pending : m_explosions) {
        const int id = pending.explosion.elementID;
        if (!pending.resend || pending.age > COMPACT_EXPLOSION_WORTH || id < 0 ||
            id >= static_cast<int>(m_tracked.size()))
            continue;
        CompactEntry entry;
        entry.kind = compactKind::explode;
        entry.id = id;
        entry.duration = pending.explosion.duration;
        entry.position = pending.explosion.position;
        entry.rotation = pending.explosion.rotation;
        entry = quantised(entry);
        if (!writer.add(entry))
            continue;
        pending.sequence = static_cast<uint16_t>(m_sequence + 1);
        pending.inFlight = true;
        pending.resend = false;
        sent(id, entry, tick);
    }
}

bool ZEBCompactPeer::needsMotion(int id, const CompactTick& tick, bool* canWait, bool* controlsAlone) {
    const Tracked& tracked = m_tracked[id];
    *canWait = false;
    *controlsAlone = false;
    if (!tracked.heldVisible || tracked.resend)
        return true;
    if (!tracked.ship)
        return tracked.waiting || expired(tracked) || hasDrifted(id, tick);
    const ZEBMotionGuess* shared = shipGuess(id, tick);
    if (shared == nullptr)
        return true;
    if (expired(tracked))
        return true;
    const ZEBMotionGuess& held = *shared;
    const bool beat = m_clock - tracked.motionAt >= COMPACT_SHIP_HEARTBEAT;
    // A control taken up or let go is news: the guess would run a frame of
    // turning past the threshold before it showed. While the copy's guess is
    // still close, the controls alone tell it.
    const bool controlsChanged =
        id < static_cast<int>(tick.controls.size()) &&
        (tick.controls[id].turn != held.getTurn() || tick.controls[id].thrust != held.getThrust());
    const bool off = isCompactGuessOff(held.getElement(), tick.elements[id]);
    *canWait = true;
    *controlsAlone = m_readsControls && controlsChanged && !off && !beat && !tracked.earlierInFlight;
    return beat || controlsChanged || off;
}

bool ZEBCompactPeer::hasDrifted(int id, const CompactTick& tick) {
    Tracked& tracked = m_tracked[id];
    const uint32_t change = tick.changes[id];
    // The first datagram corrects everything the host has moved since the full state.
    const bool due = m_ticks == 1 || (m_ticks + static_cast<uint32_t>(id)) % COMPACT_DRIFT_CHECK_TICKS == 0;
    if (change == tracked.seenChange && !due)
        return false;
    tracked.seenChange = change;
    carryOn(id);
    return isCompactGuessOff(m_held[id].getElement(), tick.elements[id]);
}

void ZEBCompactPeer::collectElements(const CompactTick& tick, std::vector<Candidate>& candidates) {
    for (int id = 0; id < static_cast<int>(tick.elements.size()); ++id) {
        const Tracked& tracked = m_tracked[id];
        const ZEBGameStateElement& truth = tick.elements[id];
        const bool visible = truth.isVisible();
        // Most elements have nothing to tell: out of play on both sides, or an
        // asteroid or bullet the game has not touched, whose drift is not due.
        const bool quiet =
            !tracked.resend && !tracked.inFlight && !tracked.earlierInFlight && !tracked.waiting &&
            visible == tracked.heldVisible &&
            (!visible || (!tracked.ship && m_ticks > 1 && tick.changes[id] == tracked.seenChange &&
                          (m_ticks + static_cast<uint32_t>(id)) % COMPACT_DRIFT_CHECK_TICKS != 0));
        if (quiet)
            continue;
        Candidate candidate;
        if (visible) {
            bool alone = false;
            if (!needsMotion(id, tick, &candidate.canWait, &alone))
                continue;
            candidate.entry = motionOf(id, truth, tick.controls);
            if (alone) {
                candidate.entry.kind = compactKind::controls;
                candidate.entry.position = vector3();
                candidate.entry.rotation = 0.0f;
                candidate.entry.velocity = vector3();
            }
        } else {
            if (!tracked.heldVisible && !tracked.resend && !expired(tracked))
                continue;
            candidate.entry.kind = compactKind::hide;
            candidate.entry.id = id;
        }
        candidates.push_back(candidate);
    }
}

void ZEBCompactPeer::addElements(compactWriter& writer, const std::vector<Candidate>& candidates,
                                 const CompactTick& tick) {
    for (const Candidate& candidate : candidates) {
        const int id = candidate.entry.id;
        if (!writer.add(candidate.entry))
            continue;
        sent(id, candidate.entry, tick);
        m_tracked[id].seenChange = tick.changes[id];
    }
}

void ZEBCompactPeer::addScores(compactWriter& writer, const std::vector<CompactScore>& scores) {
    for (const CompactScore& row : scores) {
        TrackedScore& score = scoreOf(row.shipID);
        const bool expired = score.inFlight && score.sinceSent >= COMPACT_RESEND_AFTER;
        if (score.score == row.score && !score.resend && !expired)
            continue;
        CompactEntry entry;
        entry.kind = compactKind::score;
        entry.id = row.shipID;
        entry.score = row.score;
        if (!writer.add(entry))
            continue;
        score.score = row.score;
        score.sequence = static_cast<uint16_t>(m_sequence + 1);
        score.inFlight = true;
        score.resend = false;
        score.sinceSent = 0.0f;
    }
}
