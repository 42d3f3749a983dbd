#include "platform/net/netdiscovery.h"

#include "core/bytereader.h"
#include "core/littleendian.h"

#include <cstring>

namespace {

constexpr char QUERY_MAGIC[DISCOVERY_MAGIC_SIZE + 1] = "ZEBQ";
constexpr char ANSWER_MAGIC[DISCOVERY_MAGIC_SIZE + 1] = "ZEBA";
constexpr char CLAIM_MAGIC[DISCOVERY_MAGIC_SIZE + 1] = "ZEBC";
constexpr char RANK_MAGIC[DISCOVERY_MAGIC_SIZE + 1] = "ZEBR";

// Appends little-endian fields.
class byteWriter {
  public:
    explicit byteWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + size);
    }
    void u8(uint8_t value) { m_out.push_back(value); }
    void u16(uint16_t value) {
        uint8_t b[2];
        writeU16(b, value);
        bytes(b, sizeof(b));
    }
    void u32(uint32_t value) {
        uint8_t b[4];
        writeU32(b, value);
        bytes(b, sizeof(b));
    }
    void guid(const netGuid& value) { bytes(value.bytes.data(), NET_GUID_SIZE); }

  private:
    std::vector<uint8_t>& m_out;
};

// The magic as the reader compares it.
std::span<const uint8_t> magicBytes(const char* magic) {
    return {reinterpret_cast<const uint8_t*>(magic), DISCOVERY_MAGIC_SIZE};
}

bool readGuid(byteReader& reader, netGuid& value) {
    return reader.bytes(value.bytes.data(), NET_GUID_SIZE);
}

} // namespace

std::vector<uint8_t> encodeDiscoveryQuery(const discoveryQuery& query) {
    std::vector<uint8_t> out;
    byteWriter writer(out);
    writer.bytes(QUERY_MAGIC, DISCOVERY_MAGIC_SIZE);
    writer.u32(query.version);
    writer.guid(query.applicationGuid);
    return out;
}

std::vector<uint8_t> encodeDiscoveryClaim(const discoveryClaim& claim) {
    std::vector<uint8_t> out;
    byteWriter writer(out);
    writer.bytes(CLAIM_MAGIC, DISCOVERY_MAGIC_SIZE);
    writer.u32(claim.version);
    writer.guid(claim.applicationGuid);
    writer.guid(claim.claimant);
    return out;
}

std::vector<uint8_t> encodeDiscoveryRank(const discoveryRank& rank) {
    std::vector<uint8_t> out;
    byteWriter writer(out);
    writer.bytes(RANK_MAGIC, DISCOVERY_MAGIC_SIZE);
    writer.u32(rank.version);
    writer.guid(rank.applicationGuid);
    writer.guid(rank.instanceGuid);
    writer.u32(rank.secondsHosted);
    writer.u8(rank.flags);
    return out;
}

std::vector<uint8_t> encodeDiscoveryAnswer(const discoveryAnswer& answer) {
    const std::string name = limitSessionName(answer.desc.sessionName);
    std::vector<uint8_t> out;
    byteWriter writer(out);
    writer.bytes(ANSWER_MAGIC, DISCOVERY_MAGIC_SIZE);
    writer.u32(answer.version);
    writer.guid(answer.desc.applicationGuid);
    writer.guid(answer.desc.instanceGuid);
    writer.u16(answer.gamePort);
    writer.u32(answer.desc.currentPlayers);
    writer.u32(answer.desc.maxPlayers);
    writer.u8(static_cast<uint8_t>(name.size()));
    writer.bytes(name.data(), name.size());
    return out;
}

bool decodeDiscoveryQuery(const uint8_t* data, size_t size, discoveryQuery& out) {
    if (data == nullptr || size != DISCOVERY_QUERY_SIZE)
        return false;
    byteReader reader(data, size);
    discoveryQuery query;
    if (!reader.expect(magicBytes(QUERY_MAGIC)) || !reader.u32(query.version) ||
        !readGuid(reader, query.applicationGuid))
        return false;
    out = query;
    return true;
}

bool decodeDiscoveryAnswer(const uint8_t* data, size_t size, discoveryAnswer& out) {
    if (data == nullptr || size < DISCOVERY_ANSWER_FIXED_SIZE || size > DISCOVERY_ANSWER_MAX_SIZE)
        return false;
    byteReader reader(data, size);
    discoveryAnswer answer;
    uint8_t nameLength = 0;
    if (!reader.expect(magicBytes(ANSWER_MAGIC)) || !reader.u32(answer.version) ||
        !readGuid(reader, answer.desc.applicationGuid) || !readGuid(reader, answer.desc.instanceGuid) ||
        !reader.u16(answer.gamePort) || !reader.u32(answer.desc.currentPlayers) ||
        !reader.u32(answer.desc.maxPlayers) || !reader.u8(nameLength))
        return false;
    // The name must fill the rest exactly: a short or padded datagram is refused.
    if (reader.remaining() != nameLength)
        return false;
    answer.desc.sessionName.resize(nameLength);
    if (!reader.bytes(answer.desc.sessionName.data(), nameLength))
        return false;
    out = answer;
    return true;
}

bool decodeDiscoveryClaim(const uint8_t* data, size_t size, discoveryClaim& out) {
    if (data == nullptr || size != DISCOVERY_CLAIM_SIZE)
        return false;
    byteReader reader(data, size);
    discoveryClaim claim;
    if (!reader.expect(magicBytes(CLAIM_MAGIC)) || !reader.u32(claim.version) ||
        !readGuid(reader, claim.applicationGuid) || !readGuid(reader, claim.claimant))
        return false;
    out = claim;
    return true;
}

bool decodeDiscoveryRank(const uint8_t* data, size_t size, discoveryRank& out) {
    if (data == nullptr || size != DISCOVERY_RANK_SIZE)
        return false;
    byteReader reader(data, size);
    discoveryRank rank;
    if (!reader.expect(magicBytes(RANK_MAGIC)) || !reader.u32(rank.version) ||
        !readGuid(reader, rank.applicationGuid) || !readGuid(reader, rank.instanceGuid) ||
        !reader.u32(rank.secondsHosted) || !reader.u8(rank.flags))
        return false;
    out = rank;
    return true;
}
