#pragma once

#include "game/rules/zebmotionguess.h"

#include <cstdint>
#include <vector>

// The guesses of ships that the compact stream's copies hold, shared: copies
// that were sent the same last entry of a ship in the same tick hold the same
// guess of it (an entry tells the controls too), so it is kept and carried on
// once for all of them.
class ZEBCompactShipGuesses {
  public:
    struct Key {
        int id = 0;
        uint32_t lastSent = 0;     // host tick of the last entry, or of the whole record
        uint32_t previousSent = 0; // what the entry said, or how the record came
        // After an entry of controls alone, which the copy applies to the guess
        // it held: that guess's key, folded; 0 after any other entry.
        uint64_t lineage = 0;
        bool operator==(const Key&) const = default;
    };

    // hint: where the key was found last, kept by the caller; it spares the search.
    const ZEBMotionGuess* find(const Key& key, int& hint) const;
    // The guess under key, made from base when nobody holds it yet. A guess
    // made in tick is first carried on by the step of the next tick.
    void hold(const Key& key, const ZEBMotionGuess& base, uint32_t tick);
    // Copies say which guesses they hold on the ticks a sweep is due; the
    // others go then.
    bool isSweepDue(uint32_t tick) const { return tick % SWEEP_TICKS == 0; }
    void use(const Key& key, int& hint);
    // Start of tick: every guess carried on dt, but those made in this tick.
    void step(float dt, uint32_t tick);
    void sweep(uint32_t tick); // end of a tick

    int getCount() const { return static_cast<int>(m_entries.size()); }

  private:
    static constexpr uint32_t SWEEP_TICKS = 16;
    struct Entry {
        Key key;
        ZEBMotionGuess guess;
        uint32_t madeIn = 0;
        bool used = true;
    };
    int indexOf(const Key& key, int& hint) const;

    std::vector<Entry> m_entries;
};
