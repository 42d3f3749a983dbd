#include "tests/sound/soundtestoutput.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace win;

using namespace std::chrono_literals;

namespace {

constexpr size_t FRAMES = 2205; // 0.1 s
constexpr const char* OUTPUT_FILE = "sound_disk_out.raw";

std::vector<int16_t> readOutput() {
    std::ifstream file(OUTPUT_FILE, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return samples;
}

} // namespace

// End to end through SDL's disk driver, which writes what the audio thread mixed.
TEST(SoundOnDisk, APlayedSoundReachesTheOutputExactlyOnce) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "disk", 1), 0);
    ASSERT_EQ(setenv("SDL_DISKAUDIOFILE", OUTPUT_FILE, 1), 0);
    holdAudioOutput(false);
    {
        soundList list;
        ASSERT_EQ(list.initialise(nullptr), S_OK);
        ASSERT_EQ(list.addSound(writePatternWave("disk_sound.wav", 1000, FRAMES).c_str()), 0);
        audioMixer& mixer = list.getDevice()->getOutput()->getMixer();
        ASSERT_TRUE(mixer.waitForMixCount(mixer.getMixCount() + 2, 5s)) << "the audio thread mixes";
        list.play(0);
        ASSERT_TRUE(mixer.waitUntilSilent(5s));
        // The block that ended the sound and one more reach the file.
        ASSERT_TRUE(mixer.waitForMixCount(mixer.getMixCount() + 2, 5s));
    }
    const std::vector<int16_t> output = readOutput();
    size_t first = 0;
    while (first < output.size() && output[first] == 0) {
        ++first;
    }
    ASSERT_LT(first, output.size()) << "the sound was never written";
    ASSERT_EQ(first % 2, 0u) << "starts on a frame";
    ASSERT_GT(first, 0u) << "silence came before it";
    ASSERT_GE(output.size(), first + FRAMES * 2);
    const std::vector<int16_t> heard(output.begin() + first, output.begin() + first + FRAMES * 2);
    EXPECT_EQ(heard, patternSamples(1000, FRAMES));
    EXPECT_TRUE(isSilent(std::vector<int16_t>(output.begin() + first + FRAMES * 2, output.end())));
}
