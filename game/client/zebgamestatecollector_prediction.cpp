#include "game/client/zebgamestatecollector.h"

#include "game/rules/motion.h"
#include "game/rules/playarea.h"
#include "game/rules/shipcontrols.h"

void ZEBGameStateCollector::predictOwnShip(float changeInTime) {
    m_ownTurn = (m_input.left ? 1 : 0) - (m_input.right ? 1 : 0);
    m_ownThrust = m_input.up;
    if (ownShipHeld() && m_elements[m_ownIndex].isVisible()) {
        ZEBGameStateElement& own = m_elements[m_ownIndex];
        if (m_input.up)
            thrustShip(own, changeInTime);
        if (m_input.left)
            turnShip(own, 1, changeInTime);
        if (m_input.right)
            turnShip(own, -1, changeInTime);
        vector3 position = own.getPosition();
        wrapPlayArea(position);
        own.setPosition(position);

        // Only the fire flag reaches the server; the motion travels as the ship's state.
        const bool fire = m_input.fire;
        m_input.clear();
        m_input.fire = fire;
    }
    // A host of the compact stream leaves wrapping round the play area to the
    // copies, as it leaves them the moving.
    const bool wrapAll = isCompact();
    for (ZEBGameStateElement& element : m_elements) {
        element.update(changeInTime);
        if (wrapAll && element.isVisible()) {
            vector3 wrapped = element.getPosition();
            if (wrapPlayArea(wrapped))
                element.setPosition(wrapped);
        }
    }
}
