#pragma once

#include <cstdint>

namespace win {

// Co-operative levels of the sound device.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// Creation flags of a sound buffer.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr uint32_t DSBCAPS_CTRL3D = 0x00000010;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr uint32_t DSBCAPS_CTRLFX = 0x00000200;

// Play flags.
constexpr uint32_t DSBPLAY_LOOPING = 0x00000001;

// Buffer status bits.
constexpr uint32_t DSBSTATUS_PLAYING = 0x00000001;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x00000002;

// A 3-D algorithm identifier; the game passes the null one.
struct DS3DAlgorithm {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
};
constexpr DS3DAlgorithm DS3DALG_DEFAULT{};

} // namespace win

// The audio layer has no volume, pan, frequency, effect or 3-D control.
constexpr uint32_t SOUND_UNSUPPORTED_CAPS = win::DSBCAPS_PRIMARYBUFFER | win::DSBCAPS_CTRL3D |
                                            win::DSBCAPS_CTRLFREQUENCY | win::DSBCAPS_CTRLPAN |
                                            win::DSBCAPS_CTRLVOLUME | win::DSBCAPS_CTRLFX;

// More buffers of one sound than this are refused.
constexpr uint32_t SOUND_MAX_BUFFERS = 64;
