#include "game/server/zebdesignbroadcast.h"

#include "networklib/networkmessage.h"

#include <algorithm>
#include <cmath>

// The players' copies carry every element on between updates (the movement
// step, and for a ship the controls they guess, ZEBMotionGuess). The host keeps
// the same guess of each element and sends an update only when the guess has
// drifted further than a player can see, when the game changes an element
// (those updates go at once, from the simulation), and as a heartbeat, which
// bounds how long a lost update can leave a copy wrong.

namespace {

float distance(const vector3& a, const vector3& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

float speedDifference(const vector3& a, const vector3& b) {
    vector3 difference;
    subtract(&a, &b, &difference);
    float length = 0.0f;
    magnitude(&difference, &length);
    return length;
}

bool sameMotionInput(const PlayerInput& a, const PlayerInput& b) {
    return a.up == b.up && a.left == b.left && a.right == b.right;
}

bool sameControls(const ZEBMotionGuess& a, const ZEBMotionGuess& b) {
    return a.getTurn() == b.getTurn() && a.getThrust() == b.getThrust();
}

} // namespace

bool isGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth) {
    return guess.isVisible() != truth.isVisible() ||
           distance(guess.getPosition(), truth.getPosition()) > GUESS_POSITION_THRESHOLD ||
           std::fabs(std::remainder(guess.getRotation() - truth.getRotation(), 360.0f)) >
               GUESS_ROTATION_THRESHOLD ||
           speedDifference(guess.getVelocity(), truth.getVelocity()) > GUESS_VELOCITY_THRESHOLD;
}

// A guess starts from the element as the copies were first told of it, or
// else as it stands.
void ZEBDesignBroadcast::trackGuesses(const ZEBGameStateGame& game) {
    for (int id = static_cast<int>(m_copyGuesses.size()); id < game.getElementCount(); ++id) {
        const auto told = std::find_if(m_sent.begin(), m_sent.end(),
                                       [id](const SentElement& sent) { return sent.id == id; });
        m_copyGuesses.emplace_back();
        m_copyGuesses.back().receive(told != m_sent.end() ? told->element : game.getElement(id));
        m_observed.emplace_back();
    }
}

void ZEBDesignBroadcast::stepGuesses(float dt, ZEBGameStateGame& game, bool read) {
    noteSent(game);
    for (int id = 0; id < game.getElementCount(); ++id) {
        if (read)
            m_copyGuesses[id].step(dt);
        if (game.getElement(id).getType() == TYPE_PLAYER) // only ships are observed
            m_observed[id].step(dt);
    }
}

void ZEBDesignBroadcast::noteSent(ZEBGameStateGame& game) {
    game.takeSentElements(m_sent);
    trackGuesses(game);
    for (const SentElement& sent : m_sent)
        m_copyGuesses[sent.id].receive(sent.element);
    m_sent.clear();
}

void ZEBDesignBroadcast::sendUpdate(ZEBGameStateGame& game, int id, bool guaranteed, messageQueue& toSend) {
    game.sendElementUpdate(id, guaranteed, toSend);
    noteSent(game);
}

// What nobody reads is not worked out: while every player takes the compact
// stream, the players' guesses of the game's own updates are left alone, and
// taken up again from the game as it stands when a player who reads them joins.
void ZEBDesignBroadcast::broadcast(float dt, ZEBGameStateGame& game, bool read, messageQueue& toSend) {
    noteSent(game);
    game.takeShotsFired(m_shotsFired);
    if (!read) {
        for (int place = 0; place < game.getPlayerCount(); ++place) {
            const PlayerRecord& player = game.getPlayer(place);
            if (game.getElement(player.shipID).isVisible())
                m_observed[player.shipID].receive(game.getElement(player.shipID));
        }
        m_shotsFired.clear();
        m_designIdle = true;
        return;
    }
    if (m_designIdle) {
        for (int id = 0; id < game.getElementCount(); ++id)
            m_copyGuesses[id].receive(game.getElement(id));
        m_designIdle = false;
    }
    sendShots(game, toSend);
    sendShipUpdates(game, dt, toSend);
    sendCorrections(game, toSend);
    sendRegularUpdates(game, toSend);
    sendStatsWhenDue(game, dt, toSend);
}

// A hidden ship cannot change until the game shows it again, so one update
// that is sure to arrive says all there is. A visible ship goes when its
// player takes up or lets go a control (seen in the ship's own motion from
// tick to tick; a ZEB player's keys never reach the host while its ship is
// alive, a plainer copy's may), when the copies' guess of it is off anyway,
// and at least once a heartbeat.
void ZEBDesignBroadcast::sendShipUpdates(ZEBGameStateGame& game, float dt, messageQueue& toSend) {
    const size_t players = static_cast<size_t>(game.getPlayerCount());
    m_hiddenShipAnnounced.resize(players, false);
    m_motionInputs.resize(players);
    m_controlRepeats.resize(players, NO_REPEAT);
    for (int i = 0; i < game.getPlayerCount(); ++i) {
        const int shipID = game.getPlayer(i).shipID;
        const ZEBGameStateElement& ship = game.getElement(shipID);
        const bool hidden = !ship.isVisible();
        const bool inputChanged = !sameMotionInput(game.getPlayer(i).input, m_motionInputs[i]);
        m_motionInputs[i] = game.getPlayer(i).input;
        m_controlRepeats[i] -= dt;
        if (hidden) {
            if (!m_hiddenShipAnnounced[i])
                sendUpdate(game, shipID, true, toSend);
            m_hiddenShipAnnounced[i] = true;
            m_controlRepeats[i] = NO_REPEAT;
            continue;
        }
        m_hiddenShipAnnounced[i] = false;
        m_observed[shipID].receive(ship); // every tick: the controls the ship holds now
        const bool controlsChanged = inputChanged || !sameControls(m_copyGuesses[shipID], m_observed[shipID]);
        const bool repeatDue = m_controlRepeats[i] <= 0.0f && m_controlRepeats[i] > NO_REPEAT;
        if (!controlsChanged && !repeatDue && ship.getTimeSinceUpdate() < HEARTBEAT_INTERVAL &&
            !isGuessOff(m_copyGuesses[shipID].getElement(), ship))
            continue;
        sendUpdate(game, shipID, false, toSend);
        // The copies would go on applying a control the ship no longer
        // holds; the same update once more tells them it is let go.
        if (m_copyGuesses[shipID].holdsControls() && !m_observed[shipID].holdsControls())
            sendUpdate(game, shipID, false, toSend);
        // A change of controls that a copy misses would leave it wrong for as
        // long as it guesses on; it hears the news once more a little later.
        m_controlRepeats[i] = controlsChanged ? CONTROL_REPEAT_DELAY : NO_REPEAT;
    }
}

// A shot is announced as it stands after the tick's move, as the copies will
// step it from there; one that hit something at once has gone out hidden
// with its explosion.
void ZEBDesignBroadcast::sendShots(ZEBGameStateGame& game, messageQueue& toSend) {
    for (const int id : m_shotsFired) {
        if (game.getElement(id).isVisible())
            sendUpdate(game, id, false, toSend);
    }
    m_shotsFired.clear();
}

// Asteroids and bullets change only through the game, whose updates go at
// once; a guess that is off all the same is corrected here.
void ZEBDesignBroadcast::sendCorrections(ZEBGameStateGame& game, messageQueue& toSend) {
    for (int id = 0; id < game.getElementCount(); ++id) {
        const ZEBGameStateElement& element = game.getElement(id);
        if (element.getType() != TYPE_PLAYER && element.isVisible() &&
            isGuessOff(m_copyGuesses[id].getElement(), element))
            sendUpdate(game, id, false, toSend);
    }
}

// Heartbeats of asteroids and bullets, a few a tick, the lowest ids first.
void ZEBDesignBroadcast::sendRegularUpdates(ZEBGameStateGame& game, messageQueue& toSend) {
    int sent = 0;
    for (int id = 0; id < game.getElementCount() && sent < MAX_REGULAR_UPDATES; ++id) {
        const ZEBGameStateElement& element = game.getElement(id);
        if (element.isVisible() && element.getTimeSinceUpdate() >= HEARTBEAT_INTERVAL &&
            element.getType() != TYPE_PLAYER) {
            sendUpdate(game, id, false, toSend);
            ++sent;
        }
    }
}

// Clients show the last table they received: after the first, one second in,
// a table goes out when its content changes, at most twice a second, and
// otherwise once a second.
void ZEBDesignBroadcast::sendStatsWhenDue(const ZEBGameStateGame& game, float dt, messageQueue& toSend) {
    m_statsCountdown -= dt;
    m_statsSinceSent += dt;
    if (!m_statsStarted && m_statsCountdown > 0.0f)
        return;
    if (m_statsStarted && m_statsCountdown > 0.0f && m_statsSinceSent < STATS_MIN_INTERVAL)
        return;
    networkMessage stats = game.writeStats();
    const std::vector<uint8_t> payload(stats.getData(), stats.getData() + stats.getDataSize());
    if (m_statsStarted && payload == m_lastStats && m_statsCountdown > 0.0f)
        return;
    stats.setGuaranteed(true);
    toSend.push(stats);
    m_lastStats = payload;
    m_statsStarted = true;
    m_statsCountdown = STATS_INTERVAL;
    m_statsSinceSent = 0.0f;
}
