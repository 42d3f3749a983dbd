#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A QR code's modules, row by row, without the quiet zone around them.
struct qrMatrix {
    int size = 0;                 // modules on a side; 0 when the text could not be encoded
    std::vector<uint8_t> modules; // size * size, 1 for a dark module
    bool isDark(int x, int y) const { return modules[static_cast<size_t>(y) * size + x] != 0; }
};

// The text as a QR code (byte mode, medium error correction, the smallest
// version that holds it). Empty where the build has no encoder, or the text
// is too long for any version.
qrMatrix encodeQrCode(const std::string& text);
