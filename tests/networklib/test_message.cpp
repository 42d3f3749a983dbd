#include "core/assertion.h"
#include "networklib/networkmessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_reports;

AssertionAnswer recordReport(const char*, const char* text) {
    g_reports.emplace_back(text);
    return AssertionAnswer::Debug;
}

class MessageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_reports.clear();
        m_previous = setAssertionHandler(recordReport);
    }
    void TearDown() override { setAssertionHandler(m_previous); }
    AssertionHandler m_previous = nullptr;
};

std::vector<uint8_t> bytes(const networkMessage& message) {
    return std::vector<uint8_t>(message.getWireBuffer(), message.getWireBuffer() + message.getWireSize());
}

} // namespace

TEST_F(MessageTest, DefaultIsEmpty) {
    const networkMessage message;
    EXPECT_EQ(message.getType(), 0);
    EXPECT_EQ(message.getData(), nullptr);
    EXPECT_EQ(message.getDataSize(), 0);
    EXPECT_EQ(message.getWireBuffer(), nullptr);
    EXPECT_EQ(message.getWireSize(), 0);
    EXPECT_EQ(message.getPlayerID(), 0u);
    EXPECT_EQ(message.getDestination(), ALL_PLAYERS);
    EXPECT_FALSE(message.isGuaranteed());
}

TEST_F(MessageTest, TypeWithoutPayloadIsFourLittleEndianBytes) {
    const networkMessage message(7, nullptr, 5); // null data: no payload whatever the size
    EXPECT_EQ(message.getData(), nullptr);
    EXPECT_EQ(message.getDataSize(), 0);
    EXPECT_EQ(bytes(message), (std::vector<uint8_t>{7, 0, 0, 0}));
    const uint8_t payload[2] = {1, 2};
    EXPECT_EQ(networkMessage(-2, payload, -1).getWireSize(), 4);
    EXPECT_EQ(bytes(networkMessage(-2, payload, 0)), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST_F(MessageTest, PayloadFollowsTheType) {
    uint8_t payload[12];
    for (int i = 0; i < 12; ++i)
        payload[i] = static_cast<uint8_t>(100 + i);
    const networkMessage message(0x01020304, payload, 12);
    ASSERT_EQ(message.getWireSize(), 16);
    ASSERT_EQ(message.getDataSize(), 12);
    EXPECT_NE(message.getData(), payload); // owned copy
    EXPECT_EQ(std::memcmp(message.getData(), payload, 12), 0);
    const std::vector<uint8_t> wire = bytes(message);
    EXPECT_EQ(wire[0], 0x04);
    EXPECT_EQ(wire[3], 0x01);
    EXPECT_EQ(std::memcmp(wire.data() + 4, payload, 12), 0);
}

TEST_F(MessageTest, ReceivedBuffersKeepTypePayloadAndSender) {
    const uint8_t ten[10] = {9, 0, 0, 0, 1, 2, 3, 4, 5, 6};
    networkMessage message;
    ASSERT_TRUE(message.setFromReceived(42, ten, 10));
    EXPECT_EQ(message.getType(), 9);
    EXPECT_EQ(message.getPlayerID(), 42u);
    ASSERT_EQ(message.getDataSize(), 6);
    EXPECT_EQ(std::memcmp(message.getData(), ten + 4, 6), 0);
    EXPECT_EQ(message.getWireBuffer(), nullptr);
    EXPECT_EQ(message.getWireSize(), 0);

    ASSERT_TRUE(message.setFromReceived(3, ten, 4));
    EXPECT_EQ(message.getType(), 9);
    EXPECT_EQ(message.getData(), nullptr);
    EXPECT_EQ(message.getDataSize(), 0);
    EXPECT_TRUE(g_reports.empty());
}

// Received buffers come from outside: a bad one is refused quietly and leaves the message empty.
TEST_F(MessageTest, BadReceivedBuffersAreRefusedWithoutAReport) {
    const uint8_t three[3] = {5, 0, 0};
    const struct {
        const void* buffer;
        int size;
    } bad[] = {{nullptr, 10}, {nullptr, 0}, {three, 3}, {three, 0}, {three, -5}};
    for (const auto& received : bad) {
        networkMessage message(8, three, 3);
        message.setGuaranteed(true);
        EXPECT_FALSE(message.setFromReceived(7, received.buffer, received.size));
        EXPECT_EQ(message.getType(), 0);
        EXPECT_EQ(message.getDataSize(), 0);
        EXPECT_EQ(message.getWireSize(), 0);
        EXPECT_EQ(message.getPlayerID(), 0u);
        EXPECT_FALSE(message.isGuaranteed());
    }
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(MessageTest, CopiesAreDeepAndKeepRouting) {
    const uint8_t payload[3] = {1, 2, 3};
    auto* original = new networkMessage(11, payload, 3);
    original->setDestination(5);
    original->setGuaranteed(true);
    const networkMessage copy(*original);
    networkMessage assigned;
    assigned = *original;
    EXPECT_NE(copy.getData(), original->getData());
    delete original;
    for (const networkMessage* m : {&copy, static_cast<const networkMessage*>(&assigned)}) {
        EXPECT_EQ(m->getType(), 11);
        ASSERT_EQ(m->getDataSize(), 3);
        EXPECT_EQ(m->getData()[2], 3);
        EXPECT_EQ(m->getWireSize(), 7);
        EXPECT_EQ(m->getWireBuffer()[4], 1);
        EXPECT_EQ(m->getDestination(), 5u);
        EXPECT_TRUE(m->isGuaranteed());
    }
    // and the reverse: the original outlives its copy
    networkMessage kept(12, payload, 3);
    { const networkMessage temporary(kept); }
    EXPECT_EQ(kept.getData()[1], 2);
}

TEST_F(MessageTest, QueueIsFirstInFirstOut) {
    messageQueue queue;
    EXPECT_FALSE(queue.hasMessages());
    queue.push(networkMessage(1, nullptr, 0));
    EXPECT_TRUE(queue.hasMessages());
    EXPECT_EQ(queue.pop().getType(), 1);
    EXPECT_FALSE(queue.hasMessages());
    EXPECT_TRUE(g_reports.empty());
    EXPECT_EQ(queue.pop().getType(), 0); // caller error: reported, not undefined
    EXPECT_EQ(g_reports.size(), 1u);

    const uint8_t payload[1] = {77};
    networkMessage source(2, payload, 1);
    queue.push(source);
    source = networkMessage(3, nullptr, 0); // the queue holds its own copy
    EXPECT_EQ(queue.pop().getData()[0], 77);
}

TEST_F(MessageTest, QueueAssignmentReplacesContentsInOrder) {
    messageQueue five;
    for (int type = 10; type < 15; ++type)
        five.push(networkMessage(type, nullptr, 0));
    messageQueue two;
    two.push(networkMessage(1, nullptr, 0));
    two.push(networkMessage(2, nullptr, 0));
    five = two;
    two.clear();
    EXPECT_FALSE(two.hasMessages());
    EXPECT_EQ(five.size(), 2);
    EXPECT_EQ(five.pop().getType(), 1);
    EXPECT_EQ(five.pop().getType(), 2);
    EXPECT_FALSE(five.hasMessages());
}
