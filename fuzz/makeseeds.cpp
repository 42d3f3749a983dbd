#include "core/littleendian.h"
#include "game/replay/replayformat.h"
#include "game/rules/extensions.h"
#include "game/rules/protocol.h"
#include "platform/net/netdiscovery.h"

#include <cstdio>
#include <string>
#include <vector>

// Writes the seed corpora: each a short valid exchange in the framing of
// fuzzinput.h. Usage: fuzz_makeseeds <corpus folder>
namespace {

using bytes = std::vector<uint8_t>;

void append(bytes& out, const networkMessage& message, int sender, bool withSender) {
    out.push_back(static_cast<uint8_t>(message.getType()));
    if (withSender)
        out.push_back(static_cast<uint8_t>(sender));
    uint8_t length[2];
    writeU16(length, static_cast<uint16_t>(message.getDataSize()));
    out.insert(out.end(), length, length + 2);
    if (message.getDataSize() > 0)
        out.insert(out.end(), message.getData(), message.getData() + message.getDataSize());
}

void save(const std::string& folder, const std::string& name, const bytes& content) {
    std::FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

ZEBGameStateElement element(int id, int type) {
    ZEBGameStateElement e;
    e.initialise(id, vector3(1.0f, -2.0f, 0.0f), 30.0f, vector3(0.5f, 0.25f, 0.0f), 0.4f, type, 0, WHITE,
                 true);
    return e;
}

// The server target reads a record of sender 0 and type 1 or 2 as the
// transport's event for the player named first in it.
networkMessage scriptedEvent(int type, uint32_t player) {
    uint8_t payload[4];
    writeU32(payload, player);
    return networkMessage(type, payload, sizeof(payload));
}

bytes payloadOf(const networkMessage& message) {
    return bytes(message.getData(), message.getData() + message.getDataSize());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::string root = argv[1];
    std::vector<ZEBGameStateElement> world{element(0, TYPE_PLAYER), element(1, TYPE_BULLET),
                                           element(2, TYPE_BULLET), element(3, TYPE_ASTEROID)};
    std::vector<PlayerStats> rows(2);
    copyPlayerName(rows[0].name, "Player");
    copyPlayerName(rows[1].name, "Player [Disconnected]");
    Explosion explosion{3, 0.16f, vector3(1.0f, 1.0f, 0.0f), 45.0f};
    PlayerInput input;
    input.up = true;
    input.fire = true;

    const std::vector<networkMessage> all{
        writeJoinRequest("Player"),   writeFullState(world, 0), writeNewElement(element(4, TYPE_PLAYER)),
        writeElementUpdate(world[3]), writePlayerInput(input),  writePlayerState(world[0]),
        writePlayerStats(rows),       writeExplosion(explosion)};
    ChatLine line;
    copyPlayerName(line.name, "Player");
    line.text = "hello";
    const std::vector<networkMessage> extensions{writeCapabilities(OWN_CAPABILITIES), writeChatSay("hello"),
                                                 writeChatLine(line), writeWatchers({"Eve", "Watcher"})};
    for (const networkMessage& message : extensions)
        save(root + "/protocol", "payload_" + std::to_string(message.getType()), payloadOf(message));
    for (size_t i = 0; i < all.size(); ++i)
        save(root + "/protocol", "payload_" + std::to_string(all[i].getType()), payloadOf(all[i]));

    bytes game;
    for (size_t i = 1; i < all.size(); ++i)
        if (all[i].getType() != MSG_JOIN_REQUEST)
            append(game, all[i], 0, false);
    save(root + "/collector", "session", game);
    bytes chat;
    append(chat, extensions[0], 0, false);
    append(chat, all[1], 0, false);
    append(chat, extensions[2], 0, false);
    save(root + "/collector", "chat", chat);
    bytes watching;
    append(watching, extensions[0], 0, false);
    append(watching, writeFullState(world, WATCHER_SHIP_ID), 0, false);
    append(watching, extensions[3], 0, false);
    save(root + "/collector", "watching", watching);

    // The compact stream: every kind of entry, and what the player answers.
    compactWriter datagram(7);
    CompactEntry entry;
    entry.kind = compactKind::motion;
    entry.id = 3;
    entry.position = vector3(1.0f, -2.0f, 0.0f);
    entry.rotation = 30.0f;
    entry.velocity = vector3(0.5f, 0.25f, 0.0f);
    datagram.add(entry);
    entry.kind = compactKind::explode;
    entry.duration = 0.16f;
    datagram.add(entry);
    entry.kind = compactKind::hide;
    entry.id = 1;
    datagram.add(entry);
    entry.kind = compactKind::score;
    entry.id = 0;
    entry.score = -15;
    datagram.add(entry);
    const networkMessage ack = writeCompactAck(CompactAck{7, 0x5u});
    save(root + "/protocol", "payload_17", payloadOf(datagram.message()));
    save(root + "/protocol", "payload_18", payloadOf(ack));
    bytes compact;
    append(compact, writeCapabilities(OWN_CAPABILITIES), 0, false);
    append(compact, all[1], 0, false);
    append(compact, datagram.message(), 0, false);
    save(root + "/collector", "compact", compact);

    bytes players;
    append(players, scriptedEvent(MSG_PLAYER_CREATED, 1), 0, true);
    append(players, writeJoinRequest("Player"), 1, true);
    append(players, writeJoinRequest("Second"), 2, true);
    for (int tick = 0; tick < 20; ++tick) {
        append(players, writePlayerInput(input), 1, true);
        append(players, writePlayerState(element(3, TYPE_PLAYER)), 1, true);
    }
    append(players, scriptedEvent(MSG_PLAYER_DESTROYED, 2), 0, true);
    save(root + "/server", "two_players", players);

    // Two players that understand chat; the first speaks more than it may.
    bytes talk;
    for (uint8_t player : {1, 2}) {
        append(talk, scriptedEvent(MSG_PLAYER_CREATED, player), 0, true);
        append(talk, extensions[0], player, true);
        append(talk, writeJoinRequest("Player"), player, true);
    }
    for (int line = 0; line < 5; ++line)
        append(talk, writeChatSay("hello " + std::to_string(line)), 1, true);
    save(root + "/server", "chat", talk);

    // A player that takes the compact stream and acknowledges it.
    bytes acknowledging;
    append(acknowledging, scriptedEvent(MSG_PLAYER_CREATED, 1), 0, true);
    append(acknowledging, writeAnnouncingJoinRequest("Player", OWN_CAPABILITIES), 1, true);
    for (uint16_t tick = 1; tick < 20; ++tick) {
        append(acknowledging, writePlayerState(element(3, TYPE_PLAYER)), 1, true);
        append(acknowledging, writeCompactAck(CompactAck{tick, tick % 3 == 0 ? 0u : 0x3u}), 1, true);
    }
    save(root + "/server", "compact", acknowledging);

    discoveryQuery query;
    query.applicationGuid.bytes[0] = 0x0F;
    save(root + "/discovery", "query", encodeDiscoveryQuery(query));
    discoveryAnswer answer;
    answer.desc.applicationGuid = query.applicationGuid;
    answer.desc.sessionName = "The Game";
    answer.desc.maxPlayers = 8;
    answer.gamePort = 27351;
    save(root + "/discovery", "answer", encodeDiscoveryAnswer(answer));
    discoveryClaim claim;
    claim.applicationGuid = query.applicationGuid;
    claim.claimant.bytes[15] = 0x7E;
    save(root + "/discovery", "claim", encodeDiscoveryClaim(claim));
    discoveryRank rank;
    rank.applicationGuid = query.applicationGuid;
    rank.secondsHosted = 125;
    rank.flags = DISCOVERY_RANK_DEDICATED;
    save(root + "/discovery", "rank", encodeDiscoveryRank(rank));

    // A recording of two chunks: a keyframe, the session's messages, the end.
    ZEBReplayHeader header;
    header.level = "level_0.xml";
    header.ownName = "Player";
    header.names = {"Player", "Second"};
    bytes replay = encodeReplayHeader(header);
    for (uint32_t start : {0u, 5000u}) {
        ZEBReplayChunkBuilder chunk;
        chunk.keyframe(start, writeFullState(world, 0), writePlayerStats(rows));
        for (size_t i = 2; i < all.size(); ++i)
            chunk.message(start + 100 * static_cast<uint32_t>(i), all[i]);
        if (start > 0)
            chunk.end(start + 2000);
        const bytes packed = chunk.pack();
        replay.insert(replay.end(), packed.begin(), packed.end());
    }
    save(root + "/replay", "two_chunks", replay);
    return 0;
}
