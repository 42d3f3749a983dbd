#include "platform/net/netaddress.h"
#include "platform/net/netdiscovery.h"
#include "platform/net/netguid.h"
#include "platform/net/netinterfaces.h"
#include "platform/net/netsettings.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(NetGuid, GameGuidParsesToWindowsMemoryLayoutAndBack) {
    netGuid parsed;
    ASSERT_TRUE(parseGuid("{66A3CA0F-60FE-42D8-BC96-C6626D599AA3}", parsed));
    const uint8_t expected[16] = {0x0F, 0xCA, 0xA3, 0x66, 0xFE, 0x60, 0xD8, 0x42,
                                  0xBC, 0x96, 0xC6, 0x62, 0x6D, 0x59, 0x9A, 0xA3};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(parsed.bytes[i], expected[i]) << "byte " << i;
    EXPECT_EQ(parsed, ZEB_APPLICATION_GUID);
    EXPECT_EQ(formatGuid(parsed), "{66A3CA0F-60FE-42D8-BC96-C6626D599AA3}");
    netGuid lower;
    ASSERT_TRUE(parseGuid("66a3ca0f-60fe-42d8-bc96-c6626d599aa3", lower));
    EXPECT_EQ(lower, parsed);
}

TEST(NetGuid, MalformedTextIsRefusedAndLeavesTheGuidAlone) {
    netGuid guid = ZEB_APPLICATION_GUID;
    for (const char* bad :
         {"", "{}", "{66A3CA0F-60FE-42D8-BC96-C6626D599AA}", "{66A3CA0F-60FE-42D8-BC96-C6626D599AA3",
          "{66A3CA0F60FE-42D8-BC96-C6626D599AA3-}", "{G6A3CA0F-60FE-42D8-BC96-C6626D599AA3}"})
        EXPECT_FALSE(parseGuid(bad, guid)) << bad;
    EXPECT_EQ(guid, ZEB_APPLICATION_GUID);
}

TEST(NetAddress, ParsesHostAndOptionalPort) {
    netAddress address;
    ASSERT_TRUE(parseAddress("127.0.0.1", 27351, address));
    EXPECT_EQ(address, (netAddress{NET_LOOPBACK_HOST, 27351}));
    ASSERT_TRUE(parseAddress("127.1.2.3:4000", 27351, address));
    EXPECT_EQ(address, (netAddress{0x7F010203, 4000}));
    EXPECT_EQ(formatAddress(address), "127.1.2.3:4000");
    for (const char* bad : {"", ":80", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:8x"})
        EXPECT_FALSE(parseAddress(bad, 27351, address)) << bad;
}

TEST(NetAddress, AddressesAndListsParseWholeOrNotAtAll) {
    uint32_t host = 0;
    EXPECT_TRUE(parseIPv4("0.0.0.0", host));
    for (const char* bad : {"127.0.0.01x", "1..2.3", "", "127.0.0.256", "127.0.0", "127.0.0.1:80"})
        EXPECT_FALSE(parseIPv4(bad, host)) << bad;
    std::vector<uint32_t> targets{1};
    ASSERT_TRUE(parseAddressList("127.255.255.255, 127.0.0.1", targets));
    EXPECT_EQ(targets, (std::vector<uint32_t>{NET_LOOPBACK_BROADCAST_HOST, NET_LOOPBACK_HOST}));
    for (const char* bad : {"127.0.0.1,nonsense", "127.0.0.1,", "", ","})
        EXPECT_FALSE(parseAddressList(bad, targets)) << bad;
    EXPECT_EQ(targets.size(), 2u);
}

TEST(NetSettings, TestsSearchOnlyTheLoopbackBroadcast) {
    // CTest sets the environment; the defaults would search every network.
    EXPECT_EQ(getDiscoveryTargets(), (std::vector<uint32_t>{NET_LOOPBACK_BROADCAST_HOST}));
    EXPECT_NE(getDiscoveryPort(), NET_DEFAULT_DISCOVERY_PORT);
}

TEST(NetDiscovery, QueryHasItsFixedLayout) {
    discoveryQuery query;
    query.applicationGuid = ZEB_APPLICATION_GUID;
    const std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "ZEBQ");
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[5] | bytes[6] | bytes[7], 0);
    EXPECT_EQ(bytes[8], 0x0F);
    EXPECT_EQ(bytes[23], 0xA3);
    discoveryQuery decoded;
    ASSERT_TRUE(decodeDiscoveryQuery(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ(decoded.applicationGuid, ZEB_APPLICATION_GUID);
    EXPECT_EQ(decoded.version, 1u);
}

TEST(NetDiscovery, WrongSizeOrMagicIsRefused) {
    discoveryQuery query;
    std::vector<uint8_t> bytes = encodeDiscoveryQuery(query);
    discoveryQuery decoded;
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(decodeDiscoveryQuery(bytes.data(), size, decoded)) << size;
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(decodeDiscoveryQuery(longer.data(), longer.size(), decoded));
    bytes[3] = 'A';
    EXPECT_FALSE(decodeDiscoveryQuery(bytes.data(), bytes.size(), decoded));
    EXPECT_FALSE(decodeDiscoveryQuery(nullptr, 24, decoded));
}

TEST(NetDiscovery, AnswerRoundTripsAndItsNameMustFillTheRest) {
    discoveryAnswer answer;
    answer.desc.applicationGuid = ZEB_APPLICATION_GUID;
    answer.desc.instanceGuid.bytes[0] = 9;
    answer.desc.currentPlayers = 3;
    answer.desc.sessionName = "The Game";
    answer.gamePort = 27351;
    const std::vector<uint8_t> bytes = encodeDiscoveryAnswer(answer);
    ASSERT_EQ(bytes.size(), 51u + 8u);
    EXPECT_EQ(bytes[40], 27351 & 0xFF);
    EXPECT_EQ(bytes[41], 27351 >> 8);
    EXPECT_EQ(bytes[50], 8);
    discoveryAnswer decoded;
    ASSERT_TRUE(decodeDiscoveryAnswer(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ(decoded.desc.sessionName, "The Game");
    EXPECT_EQ(decoded.gamePort, 27351);
    EXPECT_EQ(decoded.desc.currentPlayers, 3u);
    EXPECT_EQ(decoded.desc.instanceGuid, answer.desc.instanceGuid);

    EXPECT_FALSE(decodeDiscoveryAnswer(bytes.data(), bytes.size() - 1, decoded)); // name cut short
    std::vector<uint8_t> padded = bytes;
    padded.push_back('x');
    EXPECT_FALSE(decodeDiscoveryAnswer(padded.data(), padded.size(), decoded));
    EXPECT_FALSE(decodeDiscoveryAnswer(bytes.data(), 50, decoded));
}

// A claim and a rank read back as written; every shorter or longer datagram,
// another kind's bytes and a wrong magic are refused, and leave the output alone.
TEST(NetDiscovery, ClaimAndRankRoundTripAndDamageIsRefused) {
    discoveryClaim claim;
    claim.applicationGuid = ZEB_APPLICATION_GUID;
    claim.claimant.bytes[15] = 0x42;
    discoveryRank rank;
    rank.applicationGuid = ZEB_APPLICATION_GUID;
    rank.instanceGuid.bytes[0] = 7;
    rank.secondsHosted = 3600;
    rank.flags = DISCOVERY_RANK_DEDICATED | 0x80; // a bit of a later build comes through
    const std::vector<uint8_t> claimBytes = encodeDiscoveryClaim(claim);
    const std::vector<uint8_t> rankBytes = encodeDiscoveryRank(rank);
    ASSERT_EQ(claimBytes.size(), 40u);
    ASSERT_EQ(rankBytes.size(), 45u);
    EXPECT_EQ(std::string(claimBytes.begin(), claimBytes.begin() + 4), "ZEBC");
    EXPECT_EQ(std::string(rankBytes.begin(), rankBytes.begin() + 4), "ZEBR");
    discoveryClaim claimRead;
    discoveryRank rankRead;
    ASSERT_TRUE(decodeDiscoveryClaim(claimBytes.data(), claimBytes.size(), claimRead));
    ASSERT_TRUE(decodeDiscoveryRank(rankBytes.data(), rankBytes.size(), rankRead));
    EXPECT_EQ(claimRead.claimant, claim.claimant);
    EXPECT_EQ(rankRead.instanceGuid, rank.instanceGuid);
    EXPECT_EQ(rankRead.secondsHosted, 3600u);
    EXPECT_EQ(rankRead.flags, rank.flags);

    discoveryClaim untouchedClaim;
    discoveryRank untouchedRank;
    for (const std::vector<uint8_t>& bytes : {claimBytes, rankBytes}) {
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        for (size_t size = 0; size <= longer.size(); ++size) {
            if (size == bytes.size())
                continue;
            EXPECT_FALSE(decodeDiscoveryClaim(longer.data(), size, untouchedClaim)) << size;
            EXPECT_FALSE(decodeDiscoveryRank(longer.data(), size, untouchedRank)) << size;
        }
    }
    EXPECT_FALSE(decodeDiscoveryClaim(rankBytes.data(), rankBytes.size(), untouchedClaim));
    EXPECT_FALSE(decodeDiscoveryRank(claimBytes.data(), claimBytes.size(), untouchedRank));
    discoveryQuery query;
    discoveryAnswer answer;
    EXPECT_FALSE(decodeDiscoveryQuery(claimBytes.data(), claimBytes.size(), query));
    EXPECT_FALSE(decodeDiscoveryAnswer(rankBytes.data(), rankBytes.size(), answer));
    std::vector<uint8_t> wrongMagic = claimBytes;
    wrongMagic[3] = 'Q';
    EXPECT_FALSE(decodeDiscoveryClaim(wrongMagic.data(), wrongMagic.size(), untouchedClaim));
    EXPECT_EQ(untouchedClaim.claimant, netGuid{});
    EXPECT_EQ(untouchedRank.secondsHosted, 0u);
}

TEST(NetDiscovery, LongNamesAreCutTo255BytesOnACharacterBoundary) {
    discoveryAnswer answer;
    answer.desc.sessionName = std::string(254, 'a') + "\xC3\xA9" + "tail"; // é straddles byte 255
    const std::vector<uint8_t> bytes = encodeDiscoveryAnswer(answer);
    discoveryAnswer decoded;
    ASSERT_TRUE(decodeDiscoveryAnswer(bytes.data(), bytes.size(), decoded));
    EXPECT_EQ(decoded.desc.sessionName, std::string(254, 'a'));
    answer.desc.sessionName = std::string(255, 'b');
    const std::vector<uint8_t> whole = encodeDiscoveryAnswer(answer);
    ASSERT_TRUE(decodeDiscoveryAnswer(whole.data(), whole.size(), decoded));
    EXPECT_EQ(decoded.desc.sessionName, std::string(255, 'b'));
}

TEST(NetInterfaces, EveryCardThatCanBroadcastGivesItsComputedBroadcastOnce) {
    const std::vector<netInterfaceAddress> cards = {
        {0xC6120102, 0xFFFFFF00, true, false},  // 198.18.1.2/24
        {0xC6120203, 0xFFFF0000, true, false},  // 198.18.2.3/16
        {0xC6120109, 0xFFFFFF00, true, false},  // the same network again
        {0x7F000001, 0xFF000000, false, true},  // loopback
        {0xA9FE0102, 0xFFFF0000, true, false},  // link-local
        {0xC6130101, 0xFFFFFFFF, true, false},  // /32: no host part
        {0xC6130201, 0xFFFFFF00, false, false}, // point to point
    };
    EXPECT_EQ(directedBroadcasts(cards), (std::vector<uint32_t>{0xC61201FF, 0xC612FFFF}));
}

// The system's own list (getifaddrs, or GetAdaptersAddresses with the mask
// made from the prefix length): loopback is there, marked, and never a target.
TEST(NetInterfaces, LoopbackIsListedWithItsMaskAndIsNoBroadcastTarget) {
    const std::vector<netInterfaceAddress> interfaces = listInterfaceAddresses();
    const auto loopback =
        std::find_if(interfaces.begin(), interfaces.end(),
                     [](const netInterfaceAddress& entry) { return entry.address == 0x7F000001u; });
    ASSERT_NE(loopback, interfaces.end());
    EXPECT_TRUE(loopback->isLoopback);
    EXPECT_EQ(loopback->netmask, 0xFF000000u);
    for (const uint32_t target : directedBroadcasts(interfaces))
        EXPECT_NE(target >> 24, 127u);
}
