#pragma once

#include <cstdint>

namespace win {

// The format block of a wave file: the 16 bytes of every "fmt " chunk, then
// the count of extra format bytes that follow it.
struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

constexpr uint16_t WAVE_FORMAT_PCM = 1;

} // namespace win

constexpr uint32_t WAVE_CHUNK_HEADER_SIZE = 8; // identifier, then size
constexpr uint32_t WAVE_RIFF_HEADER_SIZE = 12; // "RIFF", size, "WAVE"
constexpr uint32_t WAVE_FORMAT_BASE_SIZE = 16; // the least a "fmt " chunk holds
constexpr uint32_t WAVE_FORMAT_EX_SIZE = 18;   // with the extra-size field
static_assert(WAVE_RIFF_HEADER_SIZE == WAVE_CHUNK_HEADER_SIZE + 4, "the form type follows the RIFF header");
static_assert(WAVE_FORMAT_EX_SIZE == WAVE_FORMAT_BASE_SIZE + sizeof(uint16_t),
              "cbSize follows the base format");
