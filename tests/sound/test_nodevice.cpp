#include "tests/sound/soundtestoutput.h"

#include <cstdlib>

using namespace win;

// Without an audio device the game goes on silent.
TEST(SoundWithoutDevice, StaysDisabledAndNothingFails) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "zeb_no_such_driver", 1), 0);
    soundList list;
    EXPECT_TRUE(failed(list.initialise(nullptr)));
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(list.addSound(writePatternWave("nodevice.wav", 100, 50).c_str()), -1);
    list.play(0);
    list.restart(0);
    list.stop(0);
    EXPECT_FALSE(list.isPlaying(0));
    EXPECT_EQ(list.initialise(nullptr), S_OK) << "a second initialise does nothing";
    EXPECT_FALSE(list.isEnabled());

    CSoundDevice device;
    std::unique_ptr<CSound> sound;
    EXPECT_EQ(device.setPrimaryBufferFormat(2, 22050, 16), CO_E_NOTINITIALIZED);
    EXPECT_EQ(device.create(&sound, "nodevice.wav", 0, DS3DALG_DEFAULT, 1), CO_E_NOTINITIALIZED);
    EXPECT_EQ(device.initialise(nullptr, DSSCL_PRIORITY), DSERR_NODRIVER);
}
