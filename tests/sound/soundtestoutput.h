#pragma once

// Pulls mixed output from a sound list whose device output is held, so the
// tests see exactly what the audio callback would get, without timing.

#include "platform/audio/audiodevice.h"
#include "sound/soundlist.h"
#include "tests/sound/wavebytes.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

// CTest chooses the dummy driver; run by hand, a test chooses it too rather
// than reach for real hardware.
inline void useDummyAudioUnlessChosen() {
    if (std::getenv("SDL_AUDIODRIVER") == nullptr)
        putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
}

inline std::vector<int16_t> pullFrames(audioDevice& device, size_t frames) {
    std::vector<int16_t> out(frames * device.getFormat().channels, 1);
    device.mix(out.data(), out.size());
    return out;
}

inline bool isSilent(const std::vector<int16_t>& samples) {
    for (const int16_t sample : samples) {
        if (sample != 0) {
            return false;
        }
    }
    return true;
}

// A stereo 16-bit 22050 Hz sound needs no conversion, so the mix must hold
// exactly these samples: frame i is (seed + i, -(seed + i)), never silent.
inline std::vector<int16_t> patternSamples(int16_t seed, size_t frames) {
    std::vector<int16_t> samples;
    for (size_t i = 0; i < frames; ++i) {
        samples.push_back(static_cast<int16_t>(seed + i));
        samples.push_back(static_cast<int16_t>(-(seed + static_cast<int>(i))));
    }
    return samples;
}

inline std::string writePatternWave(const std::string& fileName, int16_t seed, size_t frames) {
    return writeBytes(fileName, pcmWave(2, 22050, 16, sampleBytes(patternSamples(seed, frames))));
}

inline std::vector<int16_t> slice(const std::vector<int16_t>& samples, size_t firstFrame, size_t frames) {
    return std::vector<int16_t>(samples.begin() + firstFrame * 2,
                                samples.begin() + (firstFrame + frames) * 2);
}
