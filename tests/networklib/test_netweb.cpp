#include "platform/net/netprotocol.h"
#include "platform/net/netwebframe.h"
#include "platform/net/netwebhttp.h"
#include "platform/net/netwebkey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string hex(const std::array<uint8_t, 20>& digest) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t byte : digest) {
        text += DIGITS[byte >> 4];
        text += DIGITS[byte & 15];
    }
    return text;
}

std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

const uint8_t MASK[4] = {0x37, 0xFA, 0x21, 0x3D};

std::vector<uint8_t> masked(uint8_t opcode, const std::string& payload) {
    return makeWebFrame(opcode, reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), MASK);
}

std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Everything the reader makes of bytes given whole, then the same given one byte at a time.
std::vector<webRead> readAll(const std::vector<uint8_t>& bytes, bool byteByByte, size_t maxMessage = 64) {
    webFrameReader reader(maxMessage, true);
    std::vector<webRead> reads;
    const auto drain = [&] {
        for (webRead read = reader.next(); read.kind != webReadKind::none; read = reader.next()) {
            reads.push_back(read);
            if (read.kind == webReadKind::fault)
                return false;
        }
        return true;
    };
    for (size_t at = 0; at < bytes.size();) {
        const size_t size = byteByByte ? 1 : bytes.size() - at;
        const size_t kept = reader.append(bytes.data() + at, size);
        at += kept;
        if (!drain() || kept == 0)
            break;
    }
    return reads;
}

} // namespace

TEST(WebKey, DigestsEncodingsAndTheHandshakeAnswerMatchTheirStandards) {
    const std::pair<std::string, std::string> digests[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"}};
    for (const auto& [text, digest] : digests)
        EXPECT_EQ(hex(sha1(reinterpret_cast<const uint8_t*>(text.data()), text.size())), digest) << text;
    const std::pair<std::string, std::string> encodings[] = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [text, encoded] : encodings)
        EXPECT_EQ(base64Encode(reinterpret_cast<const uint8_t*>(text.data()), text.size()), encoded);
    EXPECT_EQ(webSocketAccept("dGhlIHNhbXBsZSBub25jZQ=="), "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");
}

TEST(WebFrames, TheReaderTakesWholeMessagesAndRefusesWhatTheHostMustClose) {
    const std::vector<uint8_t> unmasked = makeWebFrame(WEB_OPCODE_BINARY, nullptr, 0);
    std::vector<uint8_t> firstPart = masked(WEB_OPCODE_BINARY, "ab");
    firstPart[0] &= 0x7F; // not final
    std::vector<uint8_t> reserved = masked(WEB_OPCODE_BINARY, "x");
    reserved[0] |= 0x40;
    std::vector<uint8_t> fragmentedPing = masked(WEB_OPCODE_PING, "");
    fragmentedPing[0] &= 0x7F;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        webReadKind kind;
        uint16_t code;
        std::string payload;
    } cases[] = {
        {"binary", masked(WEB_OPCODE_BINARY, "hello"), webReadKind::message, 0, "hello"},
        {"fragments", joined({firstPart, masked(WEB_OPCODE_CONTINUATION, "cd")}), webReadKind::message, 0,
         "abcd"},
        {"ping between fragments", joined({firstPart, masked(WEB_OPCODE_PING, "p")}), webReadKind::ping, 0,
         "p"},
        {"pong", masked(WEB_OPCODE_PONG, "q"), webReadKind::pong, 0, "q"},
        {"close with a code", makeWebClose(4001, MASK), webReadKind::close, 4001, ""},
        {"close without one", masked(WEB_OPCODE_CLOSE, ""), webReadKind::close, WEB_CLOSE_NO_CODE, ""},
        {"unmasked", unmasked, webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"text", masked(WEB_OPCODE_TEXT, "hi"), webReadKind::fault, WEB_CLOSE_UNSUPPORTED, ""},
        {"reserved bit", reserved, webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"unknown opcode", masked(0x3, ""), webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"unknown control", masked(0xB, ""), webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"fragmented ping", fragmentedPing, webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"long ping", masked(WEB_OPCODE_PING, std::string(126, 'p')), webReadKind::fault,
         WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"half a close code", masked(WEB_OPCODE_CLOSE, "x"), webReadKind::fault, WEB_CLOSE_PROTOCOL_ERROR,
         ""},
        {"stray continuation", masked(WEB_OPCODE_CONTINUATION, "x"), webReadKind::fault,
         WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"new message inside one", joined({firstPart, firstPart}), webReadKind::fault,
         WEB_CLOSE_PROTOCOL_ERROR, ""},
        {"over the limit", masked(WEB_OPCODE_BINARY, std::string(65, 'x')), webReadKind::fault,
         WEB_CLOSE_TOO_BIG, ""},
        {"fragments over the limit",
         joined({firstPart, masked(WEB_OPCODE_CONTINUATION, std::string(63, 'x'))}), webReadKind::fault,
         WEB_CLOSE_TOO_BIG, ""},
        {"a 64-bit length",
         {0x82, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4},
         webReadKind::fault,
         WEB_CLOSE_TOO_BIG,
         ""},
    };
    for (const auto& test : cases) {
        for (const bool byteByByte : {false, true}) {
            const std::vector<webRead> reads = readAll(test.bytes, byteByByte);
            ASSERT_FALSE(reads.empty()) << test.name;
            EXPECT_EQ(reads.back().kind, test.kind) << test.name;
            EXPECT_EQ(reads.back().code, test.code) << test.name;
            EXPECT_EQ(std::string(reads.back().payload.begin(), reads.back().payload.end()), test.payload)
                << test.name;
        }
    }
}

TEST(WebFrames, LengthsOfEveryEncodingRoundTripAndTheReaderHoldsNoMoreThanOneMessage) {
    for (const size_t size :
         {size_t{0}, size_t{125}, size_t{126}, size_t{65535}, size_t{65536}, size_t{300000}}) {
        const std::vector<uint8_t> payload(size, 0xA5);
        const std::vector<webRead> reads =
            readAll(makeWebFrame(WEB_OPCODE_BINARY, payload.data(), size, MASK), false, NET_MAX_PACKET_SIZE);
        ASSERT_EQ(reads.size(), 1u) << size;
        EXPECT_EQ(reads[0].payload, payload) << size;
    }
    webFrameReader reader(1000, true);
    const std::vector<uint8_t> flood(10000, 0);
    EXPECT_LE(reader.append(flood.data(), flood.size()),
              1000 + WEB_MAX_FRAME_HEADER + WEB_MAX_CONTROL_PAYLOAD);
}

TEST(WebHttp, RequestsAreReadWithinTheirBounds) {
    webRequest request;
    size_t consumed = 0;
    const std::string get = "GET /?name=Ann HTTP/1.1\r\nHost: x\r\nConnection: keep-alive, Upgrade\r\n"
                            "Sec-WebSocket-Protocol: chat, zeb.1\r\n\r\nGET";
    ASSERT_EQ(parseWebRequest(bytesOf(get).data(), get.size(), request, consumed), webParse::complete);
    EXPECT_EQ(consumed, get.size() - 3);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/?name=Ann");
    EXPECT_TRUE(request.hasToken("connection", "upgrade"));
    EXPECT_TRUE(request.hasToken("sec-websocket-protocol", "zeb.1"));
    EXPECT_FALSE(request.hasToken("sec-websocket-protocol", "zeb.2"));
    const std::pair<std::string, webParse> others[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\n", webParse::incomplete},
        {"GET / HTTP/1.1\r\nHost: x\r\n" + std::string(WEB_MAX_REQUEST_BYTES, 'a'), webParse::tooLarge},
        {"GET /\r\n\r\n", webParse::bad},
        {"GET / HTTP/2.0\r\n\r\n", webParse::bad},
        {"GET nohost HTTP/1.1\r\n\r\n", webParse::bad},
        {"GET / HTTP/1.1\r\nno colon\r\n\r\n", webParse::bad},
        {"POST / HTTP/1.1\r\nContent-Length: 5\r\n\r\n", webParse::bad},
        {std::string("GET / HTTP/1.1\r\nA: \0\r\n\r\n", 24), webParse::bad},
    };
    for (const auto& [text, expected] : others)
        EXPECT_EQ(parseWebRequest(bytesOf(text).data(), text.size(), request, consumed), expected) << text;
}

TEST(WebHttp, TargetsNameFilesInsideTheRootOnly) {
    const std::pair<std::string, std::string> files[] = {
        {"/", "index.html"},         {"/?name=Ann&watch=1", "index.html"},
        {"/zeb.wasm", "zeb.wasm"},   {"/lang/de/zeb.mo", "lang/de/zeb.mo"},
        {"/sub/", "sub/index.html"}, {"/a%20b.js", "a b.js"},
        {"/x.js#top", "x.js"}};
    for (const auto& [target, file] : files) {
        std::string name;
        EXPECT_TRUE(webFileOf(target, name)) << target;
        EXPECT_EQ(name, file) << target;
    }
    for (const std::string target :
         {"/../etc/passwd", "/a/../../b", "/%2e%2e/x", "/.hidden", "/a/.git/config", "//etc/passwd", "/a\\b",
          "/C:/x", "/%zz", "/%2", "/a%00b"}) {
        std::string name;
        EXPECT_FALSE(webFileOf(target, name)) << target;
    }
    EXPECT_STREQ(webContentType("index.html"), "text/html; charset=utf-8");
    EXPECT_STREQ(webContentType("zeb.WASM"), "application/wasm");
    EXPECT_STREQ(webContentType("readme"), "application/octet-stream");
}
