#pragma once

#include <cstdint>

// Integer PCM as the audio layer knows it: 8-bit samples are unsigned with
// silence at 128, 16-bit samples are signed little-endian with silence at 0.
struct audioFormat {
    uint16_t channels = 2;
    uint32_t samplesPerSecond = 22050;
    uint16_t bitsPerSample = 16;
};

// What a buffer or the output may be; anything else is refused, never guessed.
constexpr uint16_t AUDIO_MAX_CHANNELS = 2;
constexpr uint32_t AUDIO_MIN_RATE = 100;
constexpr uint32_t AUDIO_MAX_RATE = 200000;
// A buffer converted to the output format may not exceed this many bytes
// (about six minutes of stereo 16-bit sound at 22050 Hz).
constexpr uint32_t AUDIO_MAX_CONVERTED_BYTES = 32u * 1024u * 1024u;
// Frames the audio callback is asked for at a time.
constexpr uint16_t AUDIO_CALLBACK_FRAMES = 1024;

enum class audioResult { ok, noDevice, badFormat, outOfMemory, invalidCall };

inline bool isSupportedFormat(const audioFormat& format) {
    return format.channels >= 1 && format.channels <= AUDIO_MAX_CHANNELS &&
           format.samplesPerSecond >= AUDIO_MIN_RATE && format.samplesPerSecond <= AUDIO_MAX_RATE &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16);
}

inline uint32_t bytesPerFrame(const audioFormat& format) {
    return static_cast<uint32_t>(format.channels) * (format.bitsPerSample / 8u);
}

// The value of a byte of silence in this format.
inline uint8_t silenceByte(const audioFormat& format) {
    return format.bitsPerSample == 8 ? 128 : 0;
}
