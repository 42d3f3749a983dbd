#include "tests/sound/soundtestoutput.h"

#include <cmath>
#include <cstdlib>

using namespace win;

namespace {

struct measured {
    double seconds = 0;
    double peak = 0;
    double rms = 0;
    double crossingsPerSecond = 0; // how bright it is
};

std::string assetPath(const char* name) {
    const char* source = std::getenv("ZEB_SOURCE_DIR");
    return std::string(source != nullptr ? source : "../..") + "/assets/" + name;
}

measured measure(const char* name) {
    CWaveReader reader;
    EXPECT_EQ(reader.open(assetPath(name).c_str(), nullptr, WAVEFILE_READ), S_OK) << name;
    const WAVEFORMATEX* format = reader.getFormat();
    if (format == nullptr) {
        return {};
    }
    EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format->nSamplesPerSec, 22050u);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(format->nChannels, 1);
    byteString data(reader.getSize());
    uint32_t got = 0;
    EXPECT_EQ(reader.read(data.data(), reader.getSize(), &got), S_OK);
    measured result;
    double energy = 0;
    int crossings = 0;
    int16_t previous = 0;
    const size_t count = got / 2;
    for (size_t i = 0; i < count; ++i) {
        const int16_t sample = static_cast<int16_t>(data[2 * i] | data[2 * i + 1] << 8);
        const double value = sample / 32768.0;
        result.peak = std::max(result.peak, std::abs(value));
        energy += value * value;
        crossings += i > 0 && (sample < 0) != (previous < 0);
        previous = sample;
    }
    result.seconds = static_cast<double>(count) / 22050.0;
    result.rms = std::sqrt(energy / std::max<size_t>(count, 1));
    result.crossingsPerSecond = crossings / std::max(result.seconds, 1e-9);
    std::printf("%-18s %.3f s  peak %.3f (%.1f dBFS)  rms %.3f (%.1f dBFS)  %.0f crossings/s\n", name,
                result.seconds, result.peak, 20 * std::log10(result.peak), result.rms,
                20 * std::log10(result.rms), result.crossingsPerSecond);
    return result;
}

} // namespace

TEST(GameSounds, HaveTheirIntendedShape) {
    const measured asteroid = measure("blast_astroid.wav");
    const measured ship = measure("blast_player.wav");
    const measured bullet = measure("blast_bullet.wav");
    EXPECT_NEAR(asteroid.seconds, 0.5, 0.1);
    EXPECT_NEAR(ship.seconds, 1.0, 0.2);
    EXPECT_NEAR(bullet.seconds, 0.15, 0.05);
    for (const measured& each : {asteroid, ship, bullet}) {
        EXPECT_LT(each.peak, 0.95) << "no clipping";
        EXPECT_GT(each.peak, 0.3) << "clearly audible";
        EXPECT_GT(each.rms, 0.03);
    }
    EXPECT_LT(ship.crossingsPerSecond, asteroid.crossingsPerSecond) << "the ship is deeper";
    EXPECT_GT(bullet.crossingsPerSecond, 4 * asteroid.crossingsPerSecond) << "the bullet is bright";
}

TEST(GameSounds, LoadInTheGamesOrder) {
    useDummyAudioUnlessChosen();
    holdAudioOutput(true);
    soundList list;
    ASSERT_EQ(list.initialise(nullptr), S_OK);
    EXPECT_EQ(list.addSound(assetPath("blast_astroid.wav").c_str()), 0);
    EXPECT_EQ(list.addSound(assetPath("blast_player.wav").c_str()), 1);
    EXPECT_EQ(list.addSound(assetPath("blast_bullet.wav").c_str()), 2);
    list.play(2);
    EXPECT_FALSE(isSilent(pullFrames(*list.getDevice()->getOutput(), 1000)));
}
