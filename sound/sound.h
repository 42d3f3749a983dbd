#pragma once

#include "platform/audio/audiobuffer.h"
#include "sound/soundresult.h"
#include "sound/wavereader.h"

#include <cstdint>
#include <memory>
#include <vector>

// One sound: one or more buffers holding the same wave data, filled from the
// wave reader it owns.
class CSound {
  public:
    // Takes the buffers and the reader, and fills the first buffer at once.
    CSound(std::vector<audioBuffer> buffers, uint32_t bufferSize, uint32_t bufferCount,
           std::unique_ptr<CWaveReader> waveReader, uint32_t creationFlags);
    virtual ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    win::HRESULT play(uint32_t priority, uint32_t flags, int32_t volume, int32_t frequency, int32_t pan);
    win::HRESULT stop();
    win::HRESULT reset(); // every buffer back to its start
    bool isPlaying() const;

    // The sound's own steps, open for tests.
    win::HRESULT fillBuffer(audioBuffer& buffer, bool repeat);
    win::HRESULT restoreBuffer(audioBuffer& buffer, bool* restored);
    audioBuffer* findFreeBuffer(); // null without buffers

    uint32_t getBufferCount() const { return m_bufferCount; }
    uint32_t getBufferSize() const { return m_bufferSize; }
    const audioBuffer* getBuffer(uint32_t index) const;

  private:
    uint8_t silence() const;

    std::vector<audioBuffer> m_buffers;
    uint32_t m_bufferSize = 0;
    std::unique_ptr<CWaveReader> m_waveReader;
    uint32_t m_bufferCount = 0;
    uint32_t m_creationFlags = 0;
};
