#pragma once

// What every copy that reads the game's own messages is sent beside the
// game's updates: heartbeats, corrections of what the copies guess, shots and
// score tables. It keeps the copies' guess of every element.

#include "game/rules/zebgamestateelement.h"
#include "game/rules/zebmotionguess.h"
#include "game/server/zebgamestategame.h"

#include <cstdint>
#include <vector>

class messageQueue;

constexpr int MAX_REGULAR_UPDATES = 4;     // heartbeats of asteroids and bullets per tick
constexpr float HEARTBEAT_INTERVAL = 1.0f; // every other visible element is sent at least this often
constexpr float STATS_INTERVAL = 1.0f;     // first score table after one second, then at least this often
constexpr float STATS_MIN_INTERVAL = 0.5f; // a changed table waits until this long after the last

// True when a copy's guess of an element is further off than a player can see.
bool isGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth);

// True when a copy's guess of an element is further off than a player can see.
bool isGuessOff(const ZEBGameStateElement& guess, const ZEBGameStateElement& truth);

// read: some player or watcher reads the game's own messages.
class ZEBDesignBroadcast {
  public:
    // The copies step what they hold before they read this tick's updates.
    void stepGuesses(float dt, ZEBGameStateGame& game, bool read);
    void broadcast(float dt, ZEBGameStateGame& game, bool read, messageQueue& toSend);

    // Per element (ships only): fed every tick, the controls it holds now.
    const std::vector<ZEBMotionGuess>& getObserved() const { return m_observed; }
    float getStatsCountdown() const { return m_statsCountdown; }

  private:
    void trackGuesses(const ZEBGameStateGame& game); // a guess for every element the copies know
    void noteSent(ZEBGameStateGame& game);           // the copies now hold what the game sent
    void sendUpdate(ZEBGameStateGame& game, int id, bool guaranteed, messageQueue& toSend);
    void sendRegularUpdates(ZEBGameStateGame& game, messageQueue& toSend);
    void sendShipUpdates(ZEBGameStateGame& game, float dt, messageQueue& toSend);
    void sendCorrections(ZEBGameStateGame& game, messageQueue& toSend);
    void sendShots(ZEBGameStateGame& game, messageQueue& toSend);
    void sendStatsWhenDue(const ZEBGameStateGame& game, float dt, messageQueue& toSend);

    float m_statsCountdown = STATS_INTERVAL;
    bool m_statsStarted = false;      // the first table has gone out
    std::vector<uint8_t> m_lastStats; // the payload of the last table sent
    float m_statsSinceSent = 0.0f;
    std::vector<bool> m_hiddenShipAnnounced; // per player: its hidden ship's update has gone out guaranteed
    std::vector<PlayerInput> m_motionInputs; // per player: the input of the last broadcast
    std::vector<int> m_shotsFired;           // bullets fired this tick, announced with its broadcast
    std::vector<float> m_controlRepeats;     // per player: until its ship's change of controls goes again
    static constexpr float NO_REPEAT = -1.0e9f;
    std::vector<ZEBMotionGuess> m_copyGuesses; // per element: how the players' copies carry it on
    std::vector<ZEBMotionGuess> m_observed;    // per ship: fed every tick, the controls it holds now
    std::vector<SentElement> m_sent;           // noteSent's scratch
    bool m_designIdle = false;                 // the guesses were left alone: nobody read them
};
