#include "core/bytereader.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

namespace {

const uint8_t SEVEN[] = {'7'};

template <typename T> std::string show(T value) {
    std::ostringstream text;
    text << +value;
    return text.str();
}

std::string show(std::span<const uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Every read starts from 7 (or "7") and shows what it holds afterwards.
template <typename T> std::function<bool(byteReader&, std::string&)> reading(bool (byteReader::*read)(T&)) {
    return [read](byteReader& in, std::string& shown) {
        T value = 7;
        const bool ok = (in.*read)(value);
        shown = show(value);
        return ok;
    };
}

struct readCase {
    const char* name;
    std::vector<uint8_t> bytes; // exactly what the read takes
    std::string expected;
    std::function<bool(byteReader&, std::string&)> read;
};

const std::vector<readCase>& cases() {
    static const std::vector<readCase> table = {
        {"u8", {0xfe}, "254", reading(&byteReader::u8)},
        {"u16", {0x34, 0x12}, "4660", reading(&byteReader::u16)},
        {"u32", {0x78, 0x56, 0x34, 0x12}, "305419896", reading(&byteReader::u32)},
        {"i32", {0xfe, 0xff, 0xff, 0xff}, "-2", reading(&byteReader::i32)},
        {"f32", {0x00, 0x00, 0xc0, 0x3f}, "1.5", reading(&byteReader::f32)},
        {"bytes",
         {'a', 'b', 'c'},
         "abc",
         [](byteReader& in, std::string& shown) {
             char out[3] = {'7', 0, 0};
             const bool ok = in.bytes(out, 3);
             shown = ok ? std::string(out, 3) : std::string(1, out[0]);
             return ok;
         }},
        {"view",
         {'x', 'y'},
         "xy",
         [](byteReader& in, std::string& shown) {
             std::span<const uint8_t> out(SEVEN);
             const bool ok = in.view(2, out);
             shown = show(out);
             return ok;
         }},
        {"expect",
         {'Z', 'E', 'B'},
         "7",
         [](byteReader& in, std::string& shown) {
             shown = "7";
             const uint8_t magic[] = {'Z', 'E', 'B'};
             return in.expect(magic);
         }},
        {"text8",
         {3, 'a', 'b', 'c'},
         "abc",
         [](byteReader& in, std::string& shown) {
             shown = "7";
             return in.text8(shown);
         }},
        {"block32",
         {2, 0, 0, 0, 'x', 'y'},
         "xy",
         [](byteReader& in, std::string& shown) {
             std::span<const uint8_t> out(SEVEN);
             const bool ok = in.block32(2, out);
             shown = show(out);
             return ok;
         }},
    };
    return table;
}

} // namespace

TEST(ByteReader, ReadsExactlyWhatIsThere) {
    for (const readCase& c : cases()) {
        SCOPED_TRACE(c.name);
        byteReader in(c.bytes);
        std::string shown;
        EXPECT_TRUE(c.read(in, shown));
        EXPECT_EQ(shown, c.expected);
        EXPECT_EQ(in.consumed(), c.bytes.size());
        EXPECT_EQ(in.remaining(), 0u);
    }
}

// One byte short: the read fails, the value stays and the cursor does not move.
TEST(ByteReader, AShortReadFailsAndChangesNothing) {
    for (const readCase& c : cases()) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = {0x99};
        bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end() - 1);
        byteReader in(bytes);
        uint8_t first = 0;
        ASSERT_TRUE(in.u8(first));
        std::string shown;
        EXPECT_FALSE(c.read(in, shown));
        EXPECT_EQ(shown, "7");
        EXPECT_EQ(in.consumed(), 1u);
    }
}

TEST(ByteReader, RefusesWhatItWasNotToldToExpect) {
    const uint8_t bytes[] = {'Z', 'E', 'B', 'Q', 2, 0, 0, 0, 'x', 'y'};
    const uint8_t other[] = {'Z', 'E', 'B', 'A'};
    byteReader in(bytes, sizeof(bytes));
    EXPECT_FALSE(in.expect(other));
    EXPECT_EQ(in.consumed(), 0u);
    in = byteReader(bytes + 4, sizeof(bytes) - 4);
    std::span<const uint8_t> block;
    EXPECT_FALSE(in.block32(1, block)); // present, but longer than allowed
    EXPECT_EQ(in.consumed(), 0u);
    EXPECT_EQ(byteReader(nullptr, 12).remaining(), 0u);
}
