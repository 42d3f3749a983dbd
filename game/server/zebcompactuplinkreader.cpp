#include "game/server/zebcompactuplinkreader.h"

void ZEBCompactUplinkReader::adopted(const ZEBGameStateElement& ship, int turn, bool thrust,
                                     uint32_t placing) {
    m_guess.receive(ship, turn, thrust, true);
    m_live = true;
    m_fresh = true;
    m_placing = placing;
}

void ZEBCompactUplinkReader::carry(ZEBGameStateElement& ship, float dt, uint32_t placing) {
    const bool fresh = m_fresh;
    m_fresh = false;
    if (!ship.isVisible() || placing != m_placing)
        m_live = false;
    if (!m_live || fresh)
        return;
    // Where the copy has its ship now; the game then moves it a step on, as
    // it moves a ship just reported.
    m_guess.step(dt);
    const ZEBGameStateElement& guessed = m_guess.getElement();
    ship.setPosition(guessed.getPosition());
    ship.setRotation(guessed.getRotation());
    ship.setVelocity(guessed.getVelocity());
}
