#pragma once

// Builds wave files byte by byte, well formed or broken on purpose.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using byteString = std::vector<uint8_t>;

inline void appendU16(byteString& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline void appendU32(byteString& bytes, uint32_t value) {
    appendU16(bytes, value & 0xFFFF);
    appendU16(bytes, value >> 16);
}

// One chunk; declaredSize replaces the true size in the header when set.
struct waveChunk {
    std::string id;
    byteString body;
    int64_t declaredSize = -1;
};

// The 16-byte base of a format: tag, channels, rate, average bytes, block alignment, bits.
inline byteString formatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    byteString body;
    appendU16(body, tag);
    appendU16(body, channels);
    appendU32(body, rate);
    appendU32(body, rate * channels * (bits / 8u));
    appendU16(body, channels * (bits / 8u));
    appendU16(body, bits);
    return body;
}

inline byteString riffFile(const std::vector<waveChunk>& chunks, const std::string& form = "WAVE") {
    byteString inner(form.begin(), form.end());
    for (const waveChunk& chunk : chunks) {
        inner.insert(inner.end(), chunk.id.begin(), chunk.id.end());
        appendU32(inner, chunk.declaredSize >= 0 ? static_cast<uint32_t>(chunk.declaredSize)
                                                 : static_cast<uint32_t>(chunk.body.size()));
        inner.insert(inner.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.declaredSize < 0 && chunk.body.size() % 2 == 1) {
            inner.push_back(0);
        }
    }
    byteString file = {'R', 'I', 'F', 'F'};
    appendU32(file, static_cast<uint32_t>(inner.size()));
    file.insert(file.end(), inner.begin(), inner.end());
    return file;
}

inline byteString pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const byteString& data) {
    return riffFile({{"fmt ", formatBody(1, channels, rate, bits)}, {"data", data}});
}

// 16-bit samples as little-endian bytes.
inline byteString sampleBytes(const std::vector<int16_t>& samples) {
    byteString bytes;
    for (const int16_t sample : samples) {
        appendU16(bytes, static_cast<uint16_t>(sample));
    }
    return bytes;
}

inline std::string writeBytes(const std::string& fileName, const byteString& bytes) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return fileName;
}
