#include "game/client/zebcompactuplink.h"

#include "game/rules/guessdrift.h"

bool ZEBCompactUplink::frame(float dt, const ZEBGameStateElement* ship, int turn, bool thrust, bool fire,
                             CompactReport* out) {
    m_sinceReport += dt;
    m_repeatIn -= dt;
    if (m_hostHasShip)
        m_hostGuess.step(dt);
    const bool hasShip = ship != nullptr && ship->isVisible();
    turn = turn > 0 ? 1 : (turn < 0 ? -1 : 0);
    const bool changed =
        !m_started || hasShip != m_hostHasShip || turn != m_turn || thrust != m_thrust || fire != m_fire;
    const bool drifted = hasShip && isCompactGuessOff(m_hostGuess.getElement(), *ship);
    const bool repeat = m_repeatPending && m_repeatIn <= 0.0f;
    if (!changed && !drifted && !repeat && m_sinceReport < UPLINK_HEARTBEAT)
        return false;
    *out = makeCompactReport(fire, thrust, turn, hasShip ? ship : nullptr);
    if (hasShip) {
        // What the host holds once it has read the report.
        ZEBGameStateElement held = *ship;
        applyCompactReport(*out, &held);
        m_hostGuess.receive(held, turn, thrust, true);
    }
    m_started = true;
    m_hostHasShip = hasShip;
    m_turn = turn;
    m_thrust = thrust;
    m_fire = fire;
    m_sinceReport = 0.0f;
    // News goes once more; a repeat or a heartbeat only says it again.
    m_repeatPending = changed || drifted;
    m_repeatIn = CONTROL_REPEAT_DELAY;
    return true;
}
