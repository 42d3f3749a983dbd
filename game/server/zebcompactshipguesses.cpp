#include "game/server/zebcompactshipguesses.h"

int ZEBCompactShipGuesses::indexOf(const Key& key, int& hint) const {
    const int count = static_cast<int>(m_entries.size());
    if (hint >= 0 && hint < count && m_entries[hint].key == key)
        return hint;
    for (int i = 0; i < count; ++i) {
        if (m_entries[i].key == key) {
            hint = i;
            return i;
        }
    }
    return -1;
}

const ZEBMotionGuess* ZEBCompactShipGuesses::find(const Key& key, int& hint) const {
    const int index = indexOf(key, hint);
    return index < 0 ? nullptr : &m_entries[index].guess;
}

void ZEBCompactShipGuesses::hold(const Key& key, const ZEBMotionGuess& base, uint32_t tick) {
    int hint = -1;
    const int index = indexOf(key, hint);
    if (index >= 0) {
        m_entries[index].used = true;
        return;
    }
    m_entries.push_back({key, base, tick, true});
}

void ZEBCompactShipGuesses::use(const Key& key, int& hint) {
    const int index = indexOf(key, hint);
    if (index >= 0)
        m_entries[index].used = true;
}

void ZEBCompactShipGuesses::step(float dt, uint32_t tick) {
    for (Entry& entry : m_entries) {
        if (entry.madeIn != tick && entry.guess.getElement().isVisible())
            entry.guess.step(dt);
    }
}

void ZEBCompactShipGuesses::sweep(uint32_t tick) {
    if (!isSweepDue(tick))
        return;
    std::erase_if(m_entries, [](const Entry& entry) { return !entry.used; });
    for (Entry& entry : m_entries)
        entry.used = false;
}
