#pragma once

#include "platform/audio/audiobuffer.h"
#include "platform/audio/audioformat.h"
#include "platform/audio/audiomixer.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Tests: devices opened while the output is held keep their callback paused,
// so the test pulls the mixed samples itself through audioDevice::mix.
void holdAudioOutput(bool hold);

// The default audio output, opened in one format, and the buffers that play
// into it. Mixing happens in SDL's audio thread.
class audioDevice {
  public:
    audioDevice();
    ~audioDevice();
    audioDevice(const audioDevice&) = delete;
    audioDevice& operator=(const audioDevice&) = delete;

    // Opens the output in this format, reopening it if another one was open.
    // A different format is refused while buffers exist (their samples are
    // already converted).
    audioResult open(const audioFormat& output);
    void close();
    bool isOpen() const { return m_device != 0; }
    const audioFormat& getFormat() const { return m_format; }

    // A silent buffer of byteCount bytes in the given format.
    audioResult createBuffer(const audioFormat& format, uint32_t byteCount, audioBuffer& buffer);

    // What the audio callback does: sampleCount interleaved samples of the output.
    void mix(int16_t* output, size_t sampleCount) { m_mixer->mix(output, sampleCount); }
    audioMixer& getMixer() { return *m_mixer; }

  private:
    std::shared_ptr<audioMixer> m_mixer;
    audioFormat m_format;
    uint32_t m_device = 0;
};
