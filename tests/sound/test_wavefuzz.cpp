#include "core/random.h"
#include "tests/sound/soundtestoutput.h"

#include <filesystem>

using namespace win;

namespace {

constexpr int ROUNDS = 4000;

byteString validFiles(int which) {
    byteString extended = formatBody(1, 1, 11025, 8);
    appendU16(extended, 0);
    byteString adpcm = formatBody(2, 2, 22050, 4);
    appendU16(adpcm, 4);
    adpcm.insert(adpcm.end(), {1, 2, 3, 4});
    switch (which) {
    case 0:
        return pcmWave(2, 22050, 16, sampleBytes(patternSamples(300, 120)));
    case 1:
        return riffFile(
            {{"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"fmt ", extended}, {"data", byteString(301, 77)}});
    default:
        return riffFile({{"fmt ", adpcm}, {"fact", {0, 1, 0, 0}}, {"data", byteString(64, 9)}});
    }
}

uint32_t randomBelow(uint32_t limit) {
    const uint32_t wide = static_cast<uint32_t>(random15()) << 15 | static_cast<uint32_t>(random15());
    return limit == 0 ? 0 : wide % limit;
}

void putValue(byteString& bytes, size_t offset, uint32_t value, size_t width) {
    for (size_t i = 0; i < width && offset + i < bytes.size(); ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// Mostly hits the header, where sizes and identifiers live.
size_t pickOffset(const byteString& bytes) {
    const uint32_t span =
        random15() % 4 == 0 ? static_cast<uint32_t>(bytes.size()) : std::min<uint32_t>(64, bytes.size());
    return randomBelow(span);
}

void mutate(byteString& bytes) {
    static const uint32_t extremes[] = {0,  1,      2,      3,          14,         16,        17,
                                        18, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    switch (random15() % 6) {
    case 0:
        if (!bytes.empty()) {
            bytes[pickOffset(bytes)] = static_cast<uint8_t>(random15());
        }
        break;
    case 1:
        putValue(bytes, pickOffset(bytes), extremes[random15() % std::size(extremes)], 4);
        break;
    case 2:
        putValue(bytes, pickOffset(bytes), extremes[random15() % std::size(extremes)], 2);
        break;
    case 3:
        bytes.resize(randomBelow(static_cast<uint32_t>(bytes.size()) + 1));
        break;
    case 4:
        for (int i = random15() % 64; i > 0; --i) {
            bytes.push_back(static_cast<uint8_t>(random15()));
        }
        break;
    default:
        if (!bytes.empty()) {
            const size_t from = pickOffset(bytes);
            const size_t length = std::min<size_t>(randomBelow(40), bytes.size() - from);
            const byteString piece(bytes.begin() + from, bytes.begin() + from + length);
            bytes.insert(bytes.begin() + pickOffset(bytes), piece.begin(), piece.end());
        }
        break;
    }
}

} // namespace

TEST(WaveFuzz, BrokenFilesAreReadWithinTheirBoundsOrRefused) {
    useDummyAudioUnlessChosen();
    holdAudioOutput(true);
    CSoundDevice device;
    ASSERT_EQ(device.initialise(nullptr, DSSCL_PRIORITY), S_OK);
    seedRandom(20240607);
    int accepted = 0;
    int refused = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        byteString bytes = validFiles(round % 3);
        for (int changes = 1 + random15() % 4; changes > 0; --changes) {
            mutate(bytes);
        }
        const std::string name = writeBytes("fuzz_case.wav", bytes);
        const uint64_t fileSize = bytes.size();

        CWaveReader reader;
        reader.open(name.c_str(), nullptr, WAVEFILE_READ);
        ASSERT_LE(reader.getSize(), fileSize) << "round " << round;
        ASSERT_LE(reader.getFormatSize(), fileSize + 2) << "round " << round;
        if (reader.getSize() > 0) {
            byteString data(reader.getSize());
            uint32_t got = 0;
            ASSERT_EQ(reader.read(data.data(), reader.getSize(), &got), S_OK) << "round " << round;
            ASSERT_EQ(got, reader.getSize());
            ASSERT_EQ(reader.read(data.data(), reader.getSize(), &got), S_OK);
            ASSERT_EQ(got, 0u) << "nothing beyond the data chunk";
        }

        std::unique_ptr<CSound> sound;
        const HRESULT result = device.create(&sound, name.c_str(), 0, DS3DALG_DEFAULT, 1);
        if (succeeded(result)) {
            ASSERT_NE(sound, nullptr);
            ASSERT_LE(sound->getBufferSize(), fileSize);
            ASSERT_EQ(sound->play(0, 0, 0, -1, 0), S_OK);
            pullFrames(*device.getOutput(), 64);
            ++accepted;
        } else {
            ASSERT_EQ(sound, nullptr) << "round " << round;
            ++refused;
        }
    }
    std::printf("fuzz: %d accepted, %d refused\n", accepted, refused);
    EXPECT_GT(accepted, ROUNDS / 10);
    EXPECT_GT(refused, ROUNDS / 10);
    EXPECT_EQ(device.getOutput()->getMixer().getVoiceCount(), 0);
}
