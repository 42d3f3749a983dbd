#include "platform/audio/audioconvert.h"

#include <SDL.h>

#include <cstring>

namespace {

SDL_AudioFormat sdlFormat(uint16_t bitsPerSample) {
    return bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
}

// The size conversion will produce, from the rates and frame sizes, rounded up.
uint64_t expectedBytes(const audioFormat& source, size_t frames, const audioFormat& output) {
    const uint64_t outputFrames =
        (static_cast<uint64_t>(frames) * output.samplesPerSecond + source.samplesPerSecond - 1) /
        source.samplesPerSecond;
    return outputFrames * output.channels * sizeof(int16_t);
}

} // namespace

audioResult checkConversion(const audioFormat& source, size_t byteCount, const audioFormat& output) {
    if (!isSupportedFormat(source) || !isSupportedFormat(output)) {
        return audioResult::badFormat;
    }
    const size_t frames = byteCount / bytesPerFrame(source);
    if (byteCount > AUDIO_MAX_CONVERTED_BYTES ||
        expectedBytes(source, frames, output) > AUDIO_MAX_CONVERTED_BYTES) {
        return audioResult::outOfMemory;
    }
    return audioResult::ok;
}

audioResult convertToOutput(const audioFormat& source, const uint8_t* bytes, size_t byteCount,
                            const audioFormat& output, std::vector<int16_t>& samples) {
    const audioResult check = checkConversion(source, byteCount, output);
    if (check != audioResult::ok) {
        return check;
    }
    if (bytes == nullptr && byteCount != 0) {
        return audioResult::invalidCall;
    }
    const size_t wholeBytes = byteCount / bytesPerFrame(source) * bytesPerFrame(source);
    SDL_AudioCVT cvt;
    const int built =
        SDL_BuildAudioCVT(&cvt, sdlFormat(source.bitsPerSample), static_cast<Uint8>(source.channels),
                          static_cast<int>(source.samplesPerSecond), AUDIO_S16SYS,
                          static_cast<Uint8>(output.channels), static_cast<int>(output.samplesPerSecond));
    if (built < 0) {
        return audioResult::badFormat;
    }
    const uint64_t workBytes = static_cast<uint64_t>(wholeBytes) * static_cast<uint64_t>(cvt.len_mult);
    if (workBytes > AUDIO_MAX_CONVERTED_BYTES * 4ull) {
        return audioResult::outOfMemory;
    }
    std::vector<uint8_t> work(static_cast<size_t>(workBytes) + sizeof(int16_t));
    if (wholeBytes != 0) {
        std::memcpy(work.data(), bytes, wholeBytes);
    }
    cvt.buf = work.data();
    cvt.len = static_cast<int>(wholeBytes);
    cvt.len_cvt = cvt.len;
    if (built == 1 && SDL_ConvertAudio(&cvt) != 0) {
        return audioResult::badFormat;
    }
    const size_t converted = static_cast<size_t>(cvt.len_cvt) / sizeof(int16_t);
    samples.resize(converted);
    if (converted != 0) {
        std::memcpy(samples.data(), work.data(), converted * sizeof(int16_t));
    }
    return audioResult::ok;
}
