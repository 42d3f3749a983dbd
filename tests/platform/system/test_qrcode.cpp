#include "platform/system/qrcode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// A finder pattern: a dark ring, a light ring and a dark three-by-three core,
// with a light separator along its inner sides.
bool isFinderAt(const qrMatrix& code, int left, int top) {
    for (int y = -1; y <= 7; ++y) {
        for (int x = -1; x <= 7; ++x) {
            const int px = left + x;
            const int py = top + y;
            if (px < 0 || py < 0 || px >= code.size || py >= code.size)
                continue;
            const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
            if (code.isDark(px, py) != (ring != 2 && ring != 4))
                return false;
        }
    }
    return true;
}

} // namespace

// 23 bytes at medium correction need version 2 (at most 26 bytes), 25 modules
// a side; version 3 takes 27 to 42.
TEST(qrCode, theSmallestVersionWithItsThreeFinderPatterns) {
    const struct {
        std::string text;
        int size;
    } cases[] = {{"http://198.18.0.1:8080/", 25},
                 {"http://198.18.200.200:65535/", 29},
                 {std::string(2331, 'a'), 177}, // version 40's most
                 {std::string(2332, 'a'), 0}};
    for (const auto& each : cases) {
        const qrMatrix code = encodeQrCode(each.text);
        ASSERT_EQ(code.size, each.size) << each.text.size();
        ASSERT_EQ(code.modules.size(), size_t(code.size) * code.size);
        if (code.size == 0)
            continue;
        EXPECT_TRUE(isFinderAt(code, 0, 0));
        EXPECT_TRUE(isFinderAt(code, code.size - 7, 0));
        EXPECT_TRUE(isFinderAt(code, 0, code.size - 7));
        EXPECT_FALSE(isFinderAt(code, code.size - 7, code.size - 7));
        EXPECT_EQ(std::count(code.modules.begin(), code.modules.end(), 1) +
                      std::count(code.modules.begin(), code.modules.end(), 0),
                  static_cast<long>(code.modules.size()));
    }
    EXPECT_NE(encodeQrCode("http://198.18.0.1:8080/").modules,
              encodeQrCode("http://198.18.0.2:8080/").modules);
}
