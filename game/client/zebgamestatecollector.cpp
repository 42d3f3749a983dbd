#include "game/client/zebgamestatecollector.h"

#include "core/displaytext.h"
#include "networklib/networkmessage.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// The nearest value from 0 to 1; a value that is not a number becomes 0.
float unitChannel(float value) {
    if (value >= 1.0f)
        return 1.0f;
    return value > 0.0f ? value : 0.0f;
}

} // namespace

void ZEBGameStateCollector::setPlayerName(const std::string& name) {
    m_playerName = name;
}

void ZEBGameStateCollector::reset() {
    m_joined = false;
    m_announced = false;
    m_sharedCapabilities = 0;
    m_refusedWatching = false;
    m_watchers.clear();
    m_outgoingChat.clear();
    m_compactRead = false;
    m_ackDue = false;
    m_ackUrgent = false;
    m_sinceAck = 0.0f;
    m_uplink.reset();
    m_elements.clear();
    m_remoteMotion.clear();
    m_input.clear();
}

void ZEBGameStateCollector::update(float changeInTime, messageQueue& receivedMessages,
                                   messageQueue& messagesToSendOut) {
    if (m_joined) {
        predictOwnShip(changeInTime);
        m_remoteMotion.step(changeInTime);
        processMessages(receivedMessages);
        if (isUplink())
            sendCompactReport(changeInTime, messagesToSendOut);
        else
            sendPlayerState(messagesToSendOut);
        sendExtensions(messagesToSendOut);
        return;
    }
    if (receivedMessages.hasMessages())
        processMessages(receivedMessages);
    sendExtensions(messagesToSendOut);
    if (!m_joined) {
        // What this copy understands travels inside each join request.
        // A copy that watches can only ask for it inside the announcement, so
        // its name is cut to leave room; a player's name travels whole.
        const std::string name = m_watching ? nameLeavingRoom(m_playerName) : m_playerName;
        const uint32_t asked = m_watching ? ANNOUNCE_WATCHING : 0u;
        if (!m_placesToBring.empty()) {
            const networkMessage stats = writePlayerStats(m_placesToBring);
            networkMessage places(MSG_PLACES_FOLLOW, stats.getData(), stats.getDataSize());
            places.setGuaranteed(true);
            messagesToSendOut.push(places);
            m_placesToBring.clear();
        }
        messagesToSendOut.push(writeAnnouncingJoinRequest(name.c_str(), m_announcing | asked, m_formerRow));
        m_announced = canAnnounce(name);
    }
}

// Lines go out only once the host has said it understands them.
void ZEBGameStateCollector::sendExtensions(messageQueue& messagesToSendOut) {
    for (const std::string& text : m_outgoingChat)
        messagesToSendOut.push(writeChatSay(text));
    m_outgoingChat.clear();
    if (isAckDue()) {
        messagesToSendOut.push(writeCompactAck(m_compactAck));
        m_ackDue = false;
        m_ackUrgent = false;
        m_sinceAck = 0.0f;
    }
}

void ZEBGameStateCollector::say(const std::string& typed) {
    const std::string text = makeChatText(typed);
    if (!canChat() || text.empty() || static_cast<int>(m_outgoingChat.size()) >= MAX_OUTGOING_CHAT)
        return;
    m_outgoingChat.push_back(text);
}

void ZEBGameStateCollector::takeChatLines(std::vector<ChatLine>& lines) {
    lines.swap(m_chatLines);
    m_chatLines.clear();
}

void ZEBGameStateCollector::handleCapabilities(const networkMessage& message) {
    uint32_t shared = 0;
    if (m_announced && readCapabilities(message.getData(), message.getDataSize(), &shared))
        m_sharedCapabilities = shared & m_announcing;
}

void ZEBGameStateCollector::handleChatLine(const networkMessage& message) {
    ChatLine line;
    if (!canChat() || !readChatLine(message.getData(), message.getDataSize(), &line))
        return;
    if (static_cast<int>(m_chatLines.size()) >= MAX_PENDING_CHAT)
        m_chatLines.erase(m_chatLines.begin());
    m_chatLines.push_back(line);
}

bool ZEBGameStateCollector::takeGameMove(GameMove& move) {
    if (m_gameMove.host == 0)
        return false;
    move = m_gameMove;
    m_gameMove = GameMove();
    return true;
}

void ZEBGameStateCollector::handleWatchers(const networkMessage& message) {
    if ((m_sharedCapabilities & CAPABILITY_WATCH) != 0)
        readWatchers(message.getData(), message.getDataSize(), &m_watchers);
}

void ZEBGameStateCollector::processMessages(messageQueue& receivedMessages) {
    while (receivedMessages.hasMessages()) {
        const networkMessage message = receivedMessages.pop();
        if (message.getType() == MSG_CAPABILITIES) {
            handleCapabilities(message); // may come before or after the join
            continue;
        }
        if (!m_joined) {
            if (message.getType() == MSG_FULL_STATE && readJoinReply(message))
                m_joined = true;
            continue;
        }
        switch (message.getType()) {
        case MSG_NEW_ELEMENT:
            handleNewElement(message);
            break;
        case MSG_ELEMENT_UPDATE:
            handleElementUpdate(message);
            break;
        case MSG_PLAYER_STATS:
            handlePlayerStats(message);
            break;
        case MSG_EXPLOSION:
            handleExplosion(message);
            break;
        case MSG_CHAT_LINE:
            handleChatLine(message);
            break;
        case MSG_WATCHERS:
            handleWatchers(message);
            break;
        case MSG_GAME_MOVES:
            if ((m_sharedCapabilities & CAPABILITY_MOVE) != 0)
                readGameMove(message.getData(), message.getDataSize(), &m_gameMove);
            break;
        case MSG_COMPACT_STATE:
            handleCompactState(message);
            break;
        default:
            break;
        }
    }
}

bool ZEBGameStateCollector::readJoinReply(const networkMessage& message) {
    FullStateHeader header;
    if (!readFullStateHeader(message.getData(), message.getDataSize(), &header) ||
        header.count > MAX_COLLECTOR_ELEMENTS - getElementCount())
        return false;
    std::vector<ZEBGameStateElement> elements;
    if (!readFullState(message.getData(), message.getDataSize(), &header, &elements))
        return false;
    // The own ship must be one of the elements held, or prediction would read
    // outside the list; a watcher's names none.
    const int count = getElementCount() + static_cast<int>(elements.size());
    if (m_watching && header.shipID != WATCHER_SHIP_ID) {
        m_refusedWatching = m_refusedWatching || (header.shipID >= 0 && header.shipID < count);
        return false;
    }
    if (!m_watching && (header.shipID < 0 || header.shipID >= count))
        return false;
    m_ownIndex = header.shipID;
    m_elements.insert(m_elements.end(), elements.begin(), elements.end());
    for (const ZEBGameStateElement& element : elements)
        m_remoteMotion.add(element);
    return true;
}

void ZEBGameStateCollector::handleNewElement(const networkMessage& message) {
    ZEBGameStateElement newElement;
    if (readNewElement(message.getData(), message.getDataSize(), &newElement))
        addElement(newElement);
}

void ZEBGameStateCollector::addElement(const ZEBGameStateElement& newElement) {
    for (const ZEBGameStateElement& element : m_elements) {
        if (element.getUniqueID() == newElement.getUniqueID())
            return;
    }
    // An element's index is its id; one that would land elsewhere is refused.
    if (newElement.getUniqueID() != getElementCount() || getElementCount() >= MAX_COLLECTOR_ELEMENTS)
        return;
    m_elements.push_back(newElement);
    m_remoteMotion.add(newElement);
}

void ZEBGameStateCollector::handleElementUpdate(const networkMessage& message) {
    ElementUpdate update;
    if (!readElementUpdate(message.getData(), message.getDataSize(), &update))
        return;
    const int index = update.elementID;
    if (index < 0 || index >= getElementCount())
        return;
    // While the own ship is alive the prediction wins.
    if (index == m_ownIndex && m_elements[index].isVisible())
        return;
    const bool wasVisible = m_elements[index].isVisible();
    update.record.applyTo(&m_elements[index]);
    m_remoteMotion.received(index, m_elements[index], wasVisible);
}

std::vector<int> ZEBGameStateCollector::getStatsOrder() const {
    std::vector<int> order(static_cast<size_t>(getStatsCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return getStatsScore(a) > getStatsScore(b); });
    return order;
}

void ZEBGameStateCollector::handlePlayerStats(const networkMessage& message) {
    if (!readPlayerStats(message.getData(), message.getDataSize(), &m_playerStats))
        return;
    if (getStatsCount() > MAX_STATS_ROWS)
        m_playerStats.resize(MAX_STATS_ROWS);
    // Rows are drawn as they are kept: only safe text is kept, never longer
    // than what came, so it fits the field, and colours within 0 to 1.
    for (PlayerStats& row : m_playerStats) {
        row.name[PLAYER_NAME_SIZE - 1] = '\0';
        copyPlayerName(row.name, makeDisplayText(row.name, std::strlen(row.name)).c_str());
        row.colour = colour4(unitChannel(row.colour.r), unitChannel(row.colour.g), unitChannel(row.colour.b),
                             unitChannel(row.colour.a));
    }
}

void ZEBGameStateCollector::handleExplosion(const networkMessage& message) {
    Explosion explosion;
    if (!readExplosion(message.getData(), message.getDataSize(), &explosion))
        return;
    if (explosion.elementID < 0 || explosion.elementID >= getElementCount())
        return;
    explode(explosion.elementID, explosion.duration, explosion.position, explosion.rotation);
}

void ZEBGameStateCollector::explode(int index, float duration, const vector3& position, float rotation) {
    ZEBGameStateElement& element = m_elements[index];
    element.startExplosion(duration, position, rotation);
    if (static_cast<int>(m_sounds.size()) < MAX_PENDING_SOUNDS)
        m_sounds.push_back(element.getType());
}

void ZEBGameStateCollector::sendPlayerState(messageQueue& messagesToSendOut) const {
    messagesToSendOut.push(writePlayerInput(m_input));
    if (ownShipHeld())
        messagesToSendOut.push(writePlayerState(m_elements[m_ownIndex]));
}

void ZEBGameStateCollector::getElement(int index, bool& visible, int& type, int& objectID, matrix& transform,
                                       colour4& colour) const {
    const ZEBGameStateElement& element = m_elements[index];
    visible = element.isVisible();
    type = element.getType();
    objectID = element.getObjectID();
    ZEBGameStateElement drawn = element;
    drawn.setPosition(getDrawnPosition(index));
    drawn.setRotation(getDrawnRotation(index));
    transform = drawn.getWorldTransform();
    colour = element.getColour();
}

vector3 ZEBGameStateCollector::getDrawnPosition(int index) const {
    if (index == m_ownIndex || index >= m_remoteMotion.getCount())
        return m_elements[index].getPosition();
    return m_remoteMotion.drawnPosition(index);
}

float ZEBGameStateCollector::getDrawnRotation(int index) const {
    if (index == m_ownIndex || index >= m_remoteMotion.getCount())
        return m_elements[index].getRotation();
    return m_remoteMotion.drawnRotation(index);
}

void ZEBGameStateCollector::getExplosion(int index, float& duration, vector3& position,
                                         float& rotation) const {
    m_elements[index].getExplosion(&duration, &position, &rotation);
}

void ZEBGameStateCollector::takeSounds(std::vector<int32_t>& sounds) {
    sounds = m_sounds;
    m_sounds.clear();
}
