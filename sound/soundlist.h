#pragma once

#include "sound/sound.h"
#include "sound/sounddevice.h"
#include "sound/soundresult.h"

#include <cstdint>
#include <memory>
#include <vector>

// Wave files larger than this are not loaded.
constexpr uint64_t SOUND_MAX_FILE_BYTES = 1000000;
// Longest file name accepted, terminator excluded.
constexpr size_t SOUND_MAX_FILE_NAME = 259;

// The game's sounds, played by their index in load order, and its sound switch.
class soundList {
  public:
    soundList() = default;
    ~soundList();
    soundList(const soundList&) = delete;
    soundList& operator=(const soundList&) = delete;

    win::HRESULT initialise(void* window); // window may be null
    int addSound(const char* fileName);    // the new index, or -1
    void play(int index);                  // from the start
    void stop(int index);
    void restart(int index);
    void setEnabled(bool flag);

    bool isEnabled() const { return m_enabled; }
    bool hasDevice() const { return m_ready; } // initialise found a device to play on
    int getCount() const { return static_cast<int>(m_sounds.size()); }
    bool isPlaying(int index) const;
    CSoundDevice* getDevice() { return m_device.get(); }

  private:
    bool isValid(int index) const { return index >= 0 && index < getCount(); }

    bool m_enabled = false;
    bool m_ready = false;
    std::unique_ptr<CSoundDevice> m_device;
    std::vector<std::unique_ptr<CSound>> m_sounds;
};
