#include "platform/audio/audioconvert.h"
#include "platform/audio/audiomixer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::shared_ptr<mixerSamples> samplesOf(std::vector<int16_t> values) {
    auto memory = std::make_shared<mixerSamples>();
    memory->samples = std::move(values);
    return memory;
}

std::vector<int16_t> pull(audioMixer& mixer, size_t count) {
    std::vector<int16_t> out(count, 12345);
    mixer.mix(out.data(), out.size());
    return out;
}

} // namespace

TEST(AudioMixer, SilenceWithoutPlayingVoices) {
    audioMixer mixer;
    mixer.addVoice(samplesOf({100, 200}));
    EXPECT_EQ(pull(mixer, 4), (std::vector<int16_t>{0, 0, 0, 0}));
    EXPECT_EQ(mixer.getMixCount(), 1u);
}

TEST(AudioMixer, OneShotVoicePlaysOnceThenStopsAtItsStart) {
    audioMixer mixer;
    const int voice = mixer.addVoice(samplesOf({1, 2, 3, 4, 5}));
    mixer.play(voice, false);
    EXPECT_EQ(pull(mixer, 3), (std::vector<int16_t>{1, 2, 3}));
    EXPECT_TRUE(mixer.isPlaying(voice));
    EXPECT_EQ(pull(mixer, 4), (std::vector<int16_t>{4, 5, 0, 0}));
    EXPECT_FALSE(mixer.isPlaying(voice));
    EXPECT_EQ(mixer.getPosition(voice), 0u);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{0, 0}));
}

TEST(AudioMixer, VoiceEndingExactlyAtTheBlockEndStopsThere) {
    audioMixer mixer;
    const int voice = mixer.addVoice(samplesOf({7, 8}));
    mixer.play(voice, false);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{7, 8}));
    EXPECT_FALSE(mixer.isPlaying(voice));
}

TEST(AudioMixer, LoopingVoiceWraps) {
    audioMixer mixer;
    const int voice = mixer.addVoice(samplesOf({1, 2, 3}));
    mixer.play(voice, true);
    EXPECT_EQ(pull(mixer, 7), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_TRUE(mixer.isPlaying(voice));
}

TEST(AudioMixer, StopKeepsThePositionAndRewindResetsIt) {
    audioMixer mixer;
    const int voice = mixer.addVoice(samplesOf({1, 2, 3, 4}));
    mixer.play(voice, false);
    pull(mixer, 2);
    mixer.stop(voice);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{0, 0}));
    mixer.play(voice, false);
    EXPECT_EQ(pull(mixer, 1), (std::vector<int16_t>{3}));
    mixer.rewind(voice);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{1, 2}));
}

TEST(AudioMixer, VoicesAddAndSaturate) {
    audioMixer mixer;
    const int a = mixer.addVoice(samplesOf({30000, -30000, 100}));
    const int b = mixer.addVoice(samplesOf({30000, -30000, -300}));
    mixer.play(a, false);
    mixer.play(b, false);
    EXPECT_EQ(pull(mixer, 3), (std::vector<int16_t>{32767, -32768, -200}));
}

TEST(AudioMixer, SharedMemoryIsReplacedForEveryVoiceAndRemovedVoicesAreSilent) {
    audioMixer mixer;
    auto memory = samplesOf({1, 1, 1, 1});
    const int a = mixer.addVoice(memory);
    const int b = mixer.addVoice(memory);
    mixer.play(a, false);
    mixer.play(b, false);
    pull(mixer, 3);
    mixer.replaceSamples(*memory, {5, 6});
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{0, 0}))
        << "positions beyond the new end finish the voices";
    mixer.play(a, false);
    mixer.play(b, false);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{10, 12}));
    mixer.removeVoice(a);
    EXPECT_EQ(mixer.getVoiceCount(), 1);
    EXPECT_FALSE(mixer.isPlaying(a));
    mixer.play(a, false);
    mixer.play(b, false);
    EXPECT_EQ(pull(mixer, 2), (std::vector<int16_t>{5, 6}));
}

TEST(AudioConvert, EightBitMonoBecomesSixteenBitStereo) {
    const audioFormat source{1, 22050, 8};
    const audioFormat output{2, 22050, 16};
    const uint8_t bytes[] = {128, 255, 0, 129};
    std::vector<int16_t> samples;
    ASSERT_EQ(convertToOutput(source, bytes, sizeof(bytes), output, samples), audioResult::ok);
    ASSERT_EQ(samples.size(), 8u);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], 0);
    EXPECT_GT(samples[2], 32000);
    EXPECT_EQ(samples[2], samples[3]);
    EXPECT_LE(samples[4], -32767); // SDL converts through floats
    EXPECT_EQ(samples[6], 256);
}

TEST(AudioConvert, SameFormatIsCopiedAndPartialFramesDropped) {
    const audioFormat stereo{2, 22050, 16};
    const uint8_t bytes[] = {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0x34}; // 1, -1, -32768, then a stray byte
    std::vector<int16_t> samples;
    ASSERT_EQ(convertToOutput(stereo, bytes, sizeof(bytes), stereo, samples), audioResult::ok);
    EXPECT_EQ(samples, (std::vector<int16_t>{1, -1})) << "only the one whole frame";
}

TEST(AudioConvert, ResamplesToTheOutputRate) {
    const audioFormat source{2, 11025, 16};
    const audioFormat output{2, 22050, 16};
    const std::vector<uint8_t> bytes(1000 * 4, 0);
    std::vector<int16_t> samples;
    ASSERT_EQ(convertToOutput(source, bytes.data(), bytes.size(), output, samples), audioResult::ok);
    EXPECT_NEAR(static_cast<double>(samples.size()) / 2.0, 2000.0, 4.0);
}

TEST(AudioConvert, RefusesWhatItCannotPlay) {
    const audioFormat output{2, 22050, 16};
    const uint8_t bytes[4] = {};
    std::vector<int16_t> samples;
    EXPECT_EQ(convertToOutput({0, 22050, 16}, bytes, 4, output, samples), audioResult::badFormat);
    EXPECT_EQ(convertToOutput({3, 22050, 16}, bytes, 4, output, samples), audioResult::badFormat);
    EXPECT_EQ(convertToOutput({1, 22050, 12}, bytes, 4, output, samples), audioResult::badFormat);
    EXPECT_EQ(convertToOutput({1, 50, 16}, bytes, 4, output, samples), audioResult::badFormat);
    EXPECT_EQ(checkConversion({1, 100, 8}, 200000, output), audioResult::outOfMemory);
}
