#pragma once

#include "platform/audio/audiodevice.h"
#include "sound/sound.h"
#include "sound/soundconstants.h"
#include "sound/soundresult.h"

#include <cstdint>
#include <memory>

// The game's sound output and the maker of its sounds.
class CSoundDevice {
  public:
    // window is the game's window, unused here; level is a DSSCL_ co-operative level.
    win::HRESULT initialise(void* window, uint32_t level);
    win::HRESULT setPrimaryBufferFormat(uint32_t channels, uint32_t samplesPerSecond, uint32_t bitsPerSample);
    // A sound from a wave file, in *sound; nothing is returned on failure.
    win::HRESULT create(std::unique_ptr<CSound>* sound, const char* fileName, uint32_t creationFlags,
                        win::DS3DAlgorithm algorithm, uint32_t bufferCount);

    audioDevice* getOutput() { return m_device.get(); } // null until initialise succeeds

  private:
    std::unique_ptr<audioDevice> m_device;
};
