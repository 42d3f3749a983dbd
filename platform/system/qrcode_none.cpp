#include "platform/system/qrcode.h"

// A browser page never hosts, so it never shows a code.
qrMatrix encodeQrCode(const std::string&) {
    return {};
}
