#include "platform/audio/audiobuffer.h"

#include "platform/audio/audioconvert.h"

#include <utility>

audioBuffer::~audioBuffer() {
    release();
}

audioBuffer::audioBuffer(audioBuffer&& other) noexcept
    : m_mixer(std::move(other.m_mixer)), m_memory(std::move(other.m_memory)), m_voice(other.m_voice) {
    other.m_voice = -1;
}

audioBuffer& audioBuffer::operator=(audioBuffer&& other) noexcept {
    if (this != &other) {
        release();
        m_mixer = std::move(other.m_mixer);
        m_memory = std::move(other.m_memory);
        m_voice = other.m_voice;
        other.m_voice = -1;
    }
    return *this;
}

uint32_t audioBuffer::getSize() const {
    return isValid() ? static_cast<uint32_t>(m_memory->bytes.size()) : 0;
}

audioFormat audioBuffer::getFormat() const {
    return isValid() ? m_memory->format : audioFormat{};
}

const uint8_t* audioBuffer::getBytes() const {
    return isValid() ? m_memory->bytes.data() : nullptr;
}

uint8_t* audioBuffer::lock() {
    return isValid() ? m_memory->bytes.data() : nullptr;
}

audioResult audioBuffer::unlock() {
    if (!isValid()) {
        return audioResult::invalidCall;
    }
    std::vector<int16_t> converted;
    const audioResult result = convertToOutput(m_memory->format, m_memory->bytes.data(),
                                               m_memory->bytes.size(), m_memory->output, converted);
    if (result == audioResult::ok) {
        m_mixer->replaceSamples(*m_memory->samples, std::move(converted));
    }
    return result;
}

audioResult audioBuffer::play(bool looping) {
    if (!isValid()) {
        return audioResult::invalidCall;
    }
    m_mixer->play(m_voice, looping);
    return audioResult::ok;
}

audioResult audioBuffer::stop() {
    if (!isValid()) {
        return audioResult::invalidCall;
    }
    m_mixer->stop(m_voice);
    return audioResult::ok;
}

audioResult audioBuffer::rewind() {
    if (!isValid()) {
        return audioResult::invalidCall;
    }
    m_mixer->rewind(m_voice);
    return audioResult::ok;
}

bool audioBuffer::isPlaying() const {
    return isValid() && m_mixer->isPlaying(m_voice);
}

audioResult audioBuffer::duplicate(audioBuffer& copy) const {
    if (!isValid()) {
        return audioResult::invalidCall;
    }
    copy.release();
    copy.m_mixer = m_mixer;
    copy.m_memory = m_memory;
    copy.m_voice = m_mixer->addVoice(m_memory->samples);
    return audioResult::ok;
}

void audioBuffer::release() {
    if (isValid()) {
        m_mixer->removeVoice(m_voice);
    }
    m_voice = -1;
    m_memory.reset();
    m_mixer.reset();
}
