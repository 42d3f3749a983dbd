#include "platform/audio/audiodevice.h"

#include "platform/audio/audioconvert.h"
#include "platform/audio/backendnoise.h"

#include <SDL.h>

#include <atomic>

namespace {

std::atomic<bool> g_outputHeld{false};

void fillStream(void* userdata, Uint8* stream, int length) {
    auto* mixer = static_cast<audioMixer*>(userdata);
    mixer->mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / sizeof(int16_t));
}

bool sameFormat(const audioFormat& a, const audioFormat& b) {
    return a.channels == b.channels && a.samplesPerSecond == b.samplesPerSecond &&
           a.bitsPerSample == b.bitsPerSample;
}

} // namespace

void holdAudioOutput(bool hold) {
    g_outputHeld = hold;
}

audioDevice::audioDevice() : m_mixer(std::make_shared<audioMixer>()) {}

audioDevice::~audioDevice() {
    close();
}

audioResult audioDevice::open(const audioFormat& output) {
    if (!isSupportedFormat(output)) {
        return audioResult::badFormat;
    }
    if (isOpen() && !sameFormat(output, m_format) && m_mixer->getVoiceCount() != 0) {
        return audioResult::invalidCall;
    }
    close();
    quietAudioBackends();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return audioResult::noDevice;
    }
    // The mixer always produces signed 16-bit samples; SDL converts them when
    // the output asks for 8 bits, or when the hardware differs.
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(output.samplesPerSecond);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(output.channels);
    wanted.samples = AUDIO_CALLBACK_FRAMES;
    wanted.callback = fillStream;
    wanted.userdata = m_mixer.get();
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return audioResult::noDevice;
    }
    m_device = device;
    m_format = output;
    if (!g_outputHeld) {
        SDL_PauseAudioDevice(device, 0);
    }
    return audioResult::ok;
}

void audioDevice::close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_device = 0;
    }
}

audioResult audioDevice::createBuffer(const audioFormat& format, uint32_t byteCount, audioBuffer& buffer) {
    if (!isOpen()) {
        return audioResult::noDevice;
    }
    const audioResult check = checkConversion(format, byteCount, m_format);
    if (check != audioResult::ok) {
        return check;
    }
    auto memory = std::make_shared<audioBuffer::memory>();
    memory->format = format;
    memory->output = m_format;
    memory->samples = std::make_shared<mixerSamples>();
    memory->bytes.assign(byteCount, silenceByte(format));
    buffer.release();
    buffer.m_mixer = m_mixer;
    buffer.m_memory = std::move(memory);
    buffer.m_voice = m_mixer->addVoice(buffer.m_memory->samples);
    const audioResult result = buffer.unlock();
    if (result != audioResult::ok) {
        buffer.release();
    }
    return result;
}
