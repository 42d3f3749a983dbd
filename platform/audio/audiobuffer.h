#pragma once

#include "platform/audio/audioformat.h"
#include "platform/audio/audiomixer.h"

#include <cstdint>
#include <memory>
#include <vector>

// One sound buffer of an audioDevice: its bytes in the format it was created
// with, and a voice of the device's mixer that plays them converted to the
// output format. Made by audioDevice::createBuffer or duplicate; released on
// destruction. It keeps the mixer alive, so the order of destruction of
// buffers and device does not matter. Buffers are never lost.
class audioBuffer {
  public:
    audioBuffer() = default;
    ~audioBuffer();
    audioBuffer(audioBuffer&& other) noexcept;
    audioBuffer& operator=(audioBuffer&& other) noexcept;
    audioBuffer(const audioBuffer&) = delete;
    audioBuffer& operator=(const audioBuffer&) = delete;

    bool isValid() const { return m_voice >= 0; }
    uint32_t getSize() const;        // bytes in the buffer's own format
    audioFormat getFormat() const;   // the buffer's own format
    const uint8_t* getBytes() const; // as last written
    uint8_t* lock();                 // all getSize() bytes, for writing; null when invalid
    audioResult unlock();            // converts the bytes for the output
    audioResult play(bool looping);  // from the current position
    audioResult stop();              // keeps the position
    audioResult rewind();
    bool isPlaying() const;
    audioResult duplicate(audioBuffer& copy) const; // a second voice on the same memory
    void release();

  private:
    friend class audioDevice;

    struct memory {
        audioFormat format;
        audioFormat output;
        std::vector<uint8_t> bytes;
        std::shared_ptr<mixerSamples> samples;
    };

    std::shared_ptr<audioMixer> m_mixer;
    std::shared_ptr<memory> m_memory;
    int m_voice = -1;
};
