#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Sample memory in the output format (interleaved signed 16-bit), shared by a
// buffer and its duplicates.
struct mixerSamples {
    std::vector<int16_t> samples;
};

// The voices that play into the output and the mixing of them. The audio
// thread calls mix; the game thread starts, stops and rewinds voices. Every
// member takes the one lock, so either side may call at any time.
class audioMixer {
  public:
    int addVoice(std::shared_ptr<mixerSamples> memory); // returns the voice id
    void removeVoice(int voice);
    // New sample data for every voice sharing the memory; their positions stay
    // where they were, or at the end if the data got shorter.
    void replaceSamples(mixerSamples& memory, std::vector<int16_t>&& samples);

    void play(int voice, bool looping); // from the current position
    void stop(int voice);               // keeps the position
    void rewind(int voice);
    bool isPlaying(int voice) const;
    size_t getPosition(int voice) const; // in samples
    int getVoiceCount() const;           // voices in use

    // Overwrites output with the sum of the playing voices, saturated to 16 bits.
    // A voice that reaches its end without looping stops and rewinds.
    void mix(int16_t* output, size_t sampleCount);

    uint64_t getMixCount() const;
    // Bounded waits for the audio thread; false when the limit passed first.
    bool waitForMixCount(uint64_t count, std::chrono::milliseconds limit) const;
    bool waitUntilSilent(std::chrono::milliseconds limit) const;

  private:
    struct voice {
        std::shared_ptr<mixerSamples> memory;
        size_t position = 0;
        bool playing = false;
        bool looping = false;
        bool used = false;
    };

    voice* find(int id);
    const voice* find(int id) const;
    bool anyPlaying() const;
    void mixVoice(voice& source, size_t sampleCount);

    mutable std::mutex m_lock;
    mutable std::condition_variable m_mixed;
    std::vector<voice> m_voices;
    std::vector<int32_t> m_accumulator;
    uint64_t m_mixCount = 0;
};
