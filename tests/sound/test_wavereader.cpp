#include "sound/wavereader.h"
#include "tests/sound/wavebytes.h"

#include <gtest/gtest.h>

using namespace win;

namespace {

const byteString SOME_DATA = {1, 2, 3, 4, 5, 6, 7, 8};

HRESULT openBytes(CWaveReader& reader, const byteString& bytes) {
    writeBytes("reader_case.wav", bytes);
    return reader.open("reader_case.wav", nullptr, WAVEFILE_READ);
}

byteString readAll(CWaveReader& reader) {
    byteString data(reader.getSize() + 16u, 0xEE);
    uint32_t got = 0;
    EXPECT_EQ(reader.read(data.data(), static_cast<uint32_t>(data.size()), &got), S_OK);
    data.resize(got);
    return data;
}

} // namespace

TEST(WaveReader, ReadsFormatAndDataOfPlainPcm) {
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, pcmWave(2, 44100, 16, SOME_DATA)), S_OK);
    ASSERT_NE(reader.getFormat(), nullptr);
    EXPECT_EQ(reader.getFormat()->nChannels, 2);
    EXPECT_EQ(reader.getFormat()->nSamplesPerSec, 44100u);
    EXPECT_EQ(reader.getFormat()->nBlockAlign, 4);
    EXPECT_EQ(reader.getFormat()->cbSize, 0);
    EXPECT_EQ(reader.getFormatSize(), 18u);
    EXPECT_EQ(reader.getSize(), SOME_DATA.size());
    EXPECT_EQ(readAll(reader), SOME_DATA);
}

TEST(WaveReader, ReadsInPiecesAndRewinds) {
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, pcmWave(1, 22050, 8, SOME_DATA)), S_OK);
    uint8_t piece[5] = {};
    uint32_t got = 0;
    ASSERT_EQ(reader.read(piece, 5, &got), S_OK);
    EXPECT_EQ(got, 5u);
    ASSERT_EQ(reader.read(piece, 5, &got), S_OK);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(piece[0], 6);
    ASSERT_EQ(reader.read(piece, 5, &got), S_OK);
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(reader.rewind(), S_OK);
    EXPECT_EQ(readAll(reader), SOME_DATA);
}

TEST(WaveReader, SkipsTheExtraBytesOfAnEighteenBytePcmFormat) {
    byteString format = formatBody(1, 1, 22050, 16);
    appendU16(format, 0);
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, riffFile({{"fmt ", format}, {"data", SOME_DATA}})), S_OK);
    EXPECT_EQ(reader.getFormatSize(), 18u);
    EXPECT_EQ(readAll(reader), SOME_DATA);
}

TEST(WaveReader, KeepsTheExtraBytesOfANonPcmFormat) {
    byteString format = formatBody(2, 1, 22050, 4);
    appendU16(format, 2);
    format.push_back(0xAB);
    format.push_back(0xCD);
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, riffFile({{"fmt ", format}, {"data", SOME_DATA}})), S_OK);
    EXPECT_EQ(reader.getFormatSize(), 20u);
    EXPECT_EQ(reader.getFormat()->cbSize, 2);
    EXPECT_EQ(reader.getExtraFormat(), (byteString{0xAB, 0xCD}));
}

TEST(WaveReader, RefusesBrokenHeaders) {
    byteString shortFormat = formatBody(1, 1, 22050, 16);
    shortFormat.resize(14);
    byteString hugeExtra = formatBody(3, 1, 22050, 32);
    appendU16(hugeExtra, 0xFFFF);
    const byteString cases[] = {
        riffFile({{"fmt ", shortFormat}, {"data", SOME_DATA}}),
        riffFile({{"fmt ", hugeExtra}, {"data", SOME_DATA}}),
        riffFile({{"data", SOME_DATA}}),
        riffFile({{"fmt ", formatBody(1, 1, 22050, 16)}}),
        riffFile({{"fmt ", formatBody(1, 1, 22050, 16)}, {"data", SOME_DATA}}, "AVI "),
        byteString{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'},
        byteString{},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CWaveReader reader;
        EXPECT_EQ(openBytes(reader, cases[i]), E_FAIL) << "case " << i;
        EXPECT_EQ(reader.getSize(), 0u) << "case " << i;
    }
    CWaveReader reader;
    EXPECT_EQ(reader.open("no_such_file.wav", nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_EQ(reader.open("reader_case.wav", nullptr, WAVEFILE_WRITE), E_INVALIDARG);
}

TEST(WaveReader, TakesTheFirstOfRepeatedChunksAndSkipsPaddedOnes) {
    const byteString other = {9, 9};
    const byteString file = riffFile({{"LIST", {1, 2, 3}},
                                      {"fmt ", formatBody(1, 1, 8000, 8)},
                                      {"fmt ", formatBody(1, 2, 44100, 16)},
                                      {"junk", {7}},
                                      {"data", SOME_DATA},
                                      {"data", other}});
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, file), S_OK);
    EXPECT_EQ(reader.getFormat()->nSamplesPerSec, 8000u);
    EXPECT_EQ(readAll(reader), SOME_DATA);
}

TEST(WaveReader, TruncatedDataGivesOnlyWhatTheFileHolds) {
    byteString file = pcmWave(1, 22050, 8, SOME_DATA);
    file.resize(file.size() - 3);
    // The RIFF size and the data size both still claim the full length, and more.
    file[40] = 0xFF;
    file[41] = 0xFF;
    file[42] = 0xFF;
    file[43] = 0x7F;
    CWaveReader reader;
    ASSERT_EQ(openBytes(reader, file), S_OK);
    EXPECT_EQ(reader.getSize(), SOME_DATA.size() - 3);
    EXPECT_EQ(readAll(reader), byteString(SOME_DATA.begin(), SOME_DATA.end() - 3));
}

TEST(WaveReader, AnEmptyDataChunkHasNoSize) {
    CWaveReader reader;
    openBytes(reader, pcmWave(1, 22050, 16, {}));
    EXPECT_EQ(reader.getSize(), 0u);
}
