#include "core/random.h"
#include "tests/sound/soundtestoutput.h"

using namespace win;

namespace {

constexpr size_t FRAMES = 300;

class SoundListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useDummyAudioUnlessChosen();
        holdAudioOutput(true);
        ASSERT_EQ(m_list.initialise(nullptr), S_OK);
        ASSERT_TRUE(m_list.isEnabled());
        m_device = m_list.getDevice()->getOutput();
        ASSERT_NE(m_device, nullptr);
        EXPECT_EQ(m_device->getFormat().channels, 2);
        EXPECT_EQ(m_device->getFormat().samplesPerSecond, 22050u);
        EXPECT_EQ(m_device->getFormat().bitsPerSample, 16);
    }

    // Three pattern sounds told apart by their first sample.
    void loadThree() {
        for (int i = 0; i < 3; ++i) {
            const std::string name = "list_sound_" + std::to_string(i) + ".wav";
            ASSERT_EQ(
                m_list.addSound(writePatternWave(name, static_cast<int16_t>(1000 * (i + 1)), FRAMES).c_str()),
                i);
        }
    }

    std::vector<int16_t> pull(size_t frames) { return pullFrames(*m_device, frames); }

    soundList m_list;
    audioDevice* m_device = nullptr;
};

} // namespace

TEST_F(SoundListTest, APlayedSoundIsMixedOnceAndSilenceOtherwise) {
    loadThree();
    EXPECT_TRUE(isSilent(pull(100)));
    m_list.play(1);
    EXPECT_TRUE(m_list.isPlaying(1));
    const std::vector<int16_t> out = pull(FRAMES + 50);
    EXPECT_EQ(slice(out, 0, FRAMES), patternSamples(2000, FRAMES));
    EXPECT_TRUE(isSilent(slice(out, FRAMES, 50)));
    EXPECT_FALSE(m_list.isPlaying(1));
}

TEST_F(SoundListTest, PlayingAPlayingSoundStartsItAgain) {
    loadThree();
    m_list.play(0);
    pull(100);
    m_list.play(0);
    EXPECT_EQ(pull(FRAMES), patternSamples(1000, FRAMES));
}

TEST_F(SoundListTest, RestartOfAPlayingSoundStartsOverAndOfAFinishedOnePlaysNothing) {
    loadThree();
    m_list.play(2);
    pull(120);
    m_list.restart(2);
    EXPECT_EQ(pull(FRAMES), patternSamples(3000, FRAMES));
    EXPECT_FALSE(m_list.isPlaying(2));
    m_list.restart(2);
    EXPECT_FALSE(m_list.isPlaying(2));
    EXPECT_TRUE(isSilent(pull(FRAMES)));
}

TEST_F(SoundListTest, DisablingStopsEverythingAndEnablingResumesNothing) {
    loadThree();
    m_list.play(0);
    m_list.play(1);
    pull(100);
    m_list.setEnabled(false);
    EXPECT_FALSE(m_list.isPlaying(0));
    EXPECT_FALSE(m_list.isPlaying(1));
    m_list.play(2);
    EXPECT_TRUE(isSilent(pull(FRAMES))) << "nothing plays while disabled";
    m_list.setEnabled(true);
    EXPECT_TRUE(isSilent(pull(FRAMES)));
    // The sound stopped half-way starts from its beginning when played again.
    m_list.play(0);
    EXPECT_EQ(pull(FRAMES), patternSamples(1000, FRAMES));
}

TEST_F(SoundListTest, IndicesOutsideTheListDoNothing) {
    loadThree();
    for (const int index : {3, -1, 1000000}) {
        m_list.play(index);
        m_list.restart(index);
        m_list.stop(index);
        EXPECT_FALSE(m_list.isPlaying(index));
    }
    EXPECT_TRUE(isSilent(pull(FRAMES)));
}

TEST_F(SoundListTest, StopIsHeardAndIgnoresTheSwitch) {
    loadThree();
    m_list.play(0);
    pull(10);
    m_list.stop(0);
    EXPECT_FALSE(m_list.isPlaying(0));
    EXPECT_TRUE(isSilent(pull(FRAMES)));
}

TEST_F(SoundListTest, AFailedLoadTakesNoIndex) {
    EXPECT_EQ(m_list.addSound("missing_sound.wav"), -1);
    EXPECT_EQ(m_list.addSound(writePatternWave("second.wav", 500, FRAMES).c_str()), 0);
    EXPECT_EQ(m_list.addSound(writePatternWave("third.wav", 700, FRAMES).c_str()), 1);
    EXPECT_EQ(m_list.getCount(), 2);
    m_list.play(1);
    EXPECT_EQ(pull(FRAMES), patternSamples(700, FRAMES));
    EXPECT_EQ(m_list.addSound(nullptr), -1);
    EXPECT_EQ(m_list.addSound(std::string(260, 'a').c_str()), -1);
    EXPECT_EQ(m_list.addSound("."), -1) << "a directory is no sound";
}

TEST_F(SoundListTest, FilesUpToAMillionBytesAreLoaded) {
    constexpr size_t headerBytes = 44;
    constexpr size_t dataBytes = 1000000 - headerBytes;
    static_assert(dataBytes % 4 == 0, "whole stereo frames");
    byteString file = pcmWave(2, 22050, 16, byteString(dataBytes, 1));
    ASSERT_EQ(file.size(), 1000000u);
    EXPECT_EQ(m_list.addSound(writeBytes("million.wav", file).c_str()), 0);
    file.push_back(0);
    EXPECT_EQ(m_list.addSound(writeBytes("million_and_one.wav", file).c_str()), -1);
    EXPECT_EQ(m_list.getCount(), 1);
}

TEST_F(SoundListTest, EightBitMonoSoundsAreConvertedForTheOutput) {
    byteString data;
    for (int i = 0; i < 200; ++i) {
        data.push_back(static_cast<uint8_t>(i % 2 == 0 ? 200 : 56));
    }
    ASSERT_EQ(m_list.addSound(writeBytes("eight.wav", pcmWave(1, 22050, 8, data)).c_str()), 0);
    m_list.play(0);
    const std::vector<int16_t> out = pull(250);
    for (size_t frame = 0; frame < 200; ++frame) {
        const int16_t left = out[frame * 2];
        ASSERT_EQ(left, out[frame * 2 + 1]) << "mono goes to both channels";
        ASSERT_NEAR(left, frame % 2 == 0 ? 72 * 256 : -72 * 256, 256) << frame;
    }
    EXPECT_TRUE(isSilent(slice(out, 200, 50)));
}

TEST_F(SoundListTest, TheDeviceRefusesFilesItCannotPlay) {
    CSoundDevice& device = *m_list.getDevice();
    std::unique_ptr<CSound> sound;
    byteString eighteen = formatBody(1, 2, 22050, 16);
    appendU16(eighteen, 0);
    EXPECT_EQ(
        device.create(&sound,
                      writeBytes("fmt18.wav", riffFile({{"fmt ", eighteen}, {"data", {1, 0, 2, 0}}})).c_str(),
                      0, DS3DALG_DEFAULT, 1),
        S_OK);
    EXPECT_NE(sound, nullptr);
    sound.reset();
    byteString fourteen = formatBody(1, 2, 22050, 16);
    fourteen.resize(14);
    EXPECT_EQ(device.create(&sound,
                            writeBytes("fmt14.wav", riffFile({{"fmt ", fourteen}, {"data", {1, 0}}})).c_str(),
                            0, DS3DALG_DEFAULT, 1),
              E_FAIL);
    EXPECT_EQ(device.create(&sound, writeBytes("empty.wav", pcmWave(2, 22050, 16, {})).c_str(), 0,
                            DS3DALG_DEFAULT, 1),
              E_FAIL);
    byteString adpcm = formatBody(2, 1, 22050, 4);
    appendU16(adpcm, 2);
    appendU16(adpcm, 0);
    EXPECT_EQ(device.create(&sound,
                            writeBytes("adpcm.wav", riffFile({{"fmt ", adpcm}, {"data", {1, 2}}})).c_str(), 0,
                            DS3DALG_DEFAULT, 1),
              DSERR_BADFORMAT);
    EXPECT_EQ(device.create(&sound, "missing_sound.wav", 0, DS3DALG_DEFAULT, 1), E_FAIL);
    const std::string good = writePatternWave("good.wav", 10, 10);
    EXPECT_EQ(device.create(nullptr, good.c_str(), 0, DS3DALG_DEFAULT, 1), E_INVALIDARG);
    EXPECT_EQ(device.create(&sound, nullptr, 0, DS3DALG_DEFAULT, 1), E_INVALIDARG);
    EXPECT_EQ(device.create(&sound, good.c_str(), 0, DS3DALG_DEFAULT, 0), E_INVALIDARG);
    EXPECT_EQ(device.create(&sound, good.c_str(), DSBCAPS_CTRLVOLUME, DS3DALG_DEFAULT, 1),
              DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(m_device->getMixer().getVoiceCount(), 0) << "refused sounds leave no buffers behind";
}

TEST_F(SoundListTest, ShortDataIsPaddedWithTheSilenceOfItsFormat) {
    struct padCase {
        uint16_t bits;
        uint8_t silence;
    };
    for (const padCase each : {padCase{8, 128}, padCase{16, 0}}) {
        const byteString data = {10, 20, 30, 40};
        auto reader = std::make_unique<CWaveReader>();
        ASSERT_EQ(reader->open(writeBytes("short.wav", pcmWave(1, 22050, each.bits, data)).c_str(), nullptr,
                               WAVEFILE_READ),
                  S_OK);
        std::vector<audioBuffer> buffers(1);
        constexpr uint32_t bufferSize = 12;
        ASSERT_EQ(m_device->createBuffer({1, 22050, each.bits}, bufferSize, buffers[0]), audioResult::ok);
        // The buffer starts as garbage, so the padding must really be written.
        std::fill(buffers[0].lock(), buffers[0].lock() + bufferSize, 0x55);
        CSound sound(std::move(buffers), bufferSize, 1, std::move(reader), 0);
        const uint8_t* bytes = sound.getBuffer(0)->getBytes();
        EXPECT_EQ(byteString(bytes, bytes + 4), data);
        EXPECT_EQ(byteString(bytes + 4, bytes + bufferSize), byteString(bufferSize - 4, each.silence))
            << each.bits;
        ASSERT_EQ(sound.play(0, 0, 0, -1, 0), S_OK);
        const std::vector<int16_t> out = pull(bufferSize);
        const size_t frames = bufferSize / (each.bits / 8u);
        EXPECT_FALSE(isSilent(slice(out, 0, 1)));
        EXPECT_TRUE(isSilent(slice(out, 4 / (each.bits / 8u), frames - 4 / (each.bits / 8u)))) << each.bits;
    }
}

TEST_F(SoundListTest, BuffersOfOneSoundShareTheirSamples) {
    std::unique_ptr<CSound> sound;
    ASSERT_EQ(m_list.getDevice()->create(&sound, writePatternWave("twice.wav", 100, 50).c_str(), 0,
                                         DS3DALG_DEFAULT, 2),
              S_OK);
    ASSERT_EQ(sound->getBufferCount(), 2u);
    ASSERT_EQ(sound->play(0, 0, 0, -1, 0), S_OK);
    pull(10);
    ASSERT_EQ(sound->play(0, 0, 0, -1, 0), S_OK);
    EXPECT_TRUE(sound->getBuffer(0)->isPlaying());
    EXPECT_TRUE(sound->getBuffer(1)->isPlaying());
    const std::vector<int16_t> out = pull(10);
    const std::vector<int16_t> first = slice(patternSamples(100, 50), 10, 10);
    const std::vector<int16_t> second = slice(patternSamples(100, 50), 0, 10);
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i], first[i] + second[i]) << i;
    }
    // With every buffer busy the choice is random among them.
    seedRandom(7);
    const audioBuffer* chosen = sound->findFreeBuffer();
    EXPECT_TRUE(chosen == sound->getBuffer(0) || chosen == sound->getBuffer(1));
    sound->stop();
    EXPECT_FALSE(sound->isPlaying());
}

TEST_F(SoundListTest, WithOneBusyBufferTheFreeBufferIsThatOne) {
    std::unique_ptr<CSound> sound;
    ASSERT_EQ(m_list.getDevice()->create(&sound, writePatternWave("once.wav", 100, 50).c_str(), 0,
                                         DS3DALG_DEFAULT, 1),
              S_OK);
    ASSERT_EQ(sound->play(0, 0, 0, -1, 0), S_OK);
    seedRandom(1);
    EXPECT_EQ(sound->findFreeBuffer(), sound->getBuffer(0));
    EXPECT_TRUE(sound->isPlaying());
}
