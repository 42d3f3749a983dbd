#include "platform/audio/audiomixer.h"

#include <algorithm>
#include <limits>

int audioMixer::addVoice(std::shared_ptr<mixerSamples> memory) {
    const std::lock_guard<std::mutex> hold(m_lock);
    voice added;
    added.memory = std::move(memory);
    added.used = true;
    for (size_t slot = 0; slot < m_voices.size(); ++slot) {
        if (!m_voices[slot].used) {
            m_voices[slot] = std::move(added);
            return static_cast<int>(slot);
        }
    }
    m_voices.push_back(std::move(added));
    return static_cast<int>(m_voices.size() - 1);
}

void audioMixer::removeVoice(int id) {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (voice* found = find(id)) {
        *found = voice{};
    }
    m_mixed.notify_all();
}

void audioMixer::replaceSamples(mixerSamples& memory, std::vector<int16_t>&& samples) {
    const std::lock_guard<std::mutex> hold(m_lock);
    memory.samples = std::move(samples);
    for (voice& each : m_voices) {
        if (each.used && each.memory.get() == &memory) {
            each.position = std::min(each.position, memory.samples.size());
        }
    }
}

void audioMixer::play(int id, bool looping) {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (voice* found = find(id)) {
        found->playing = true;
        found->looping = looping;
    }
}

void audioMixer::stop(int id) {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (voice* found = find(id)) {
        found->playing = false;
    }
    m_mixed.notify_all();
}

void audioMixer::rewind(int id) {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (voice* found = find(id)) {
        found->position = 0;
    }
}

bool audioMixer::isPlaying(int id) const {
    const std::lock_guard<std::mutex> hold(m_lock);
    const voice* found = find(id);
    return found != nullptr && found->playing;
}

size_t audioMixer::getPosition(int id) const {
    const std::lock_guard<std::mutex> hold(m_lock);
    const voice* found = find(id);
    return found != nullptr ? found->position : 0;
}

int audioMixer::getVoiceCount() const {
    const std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(
        std::count_if(m_voices.begin(), m_voices.end(), [](const voice& each) { return each.used; }));
}

void audioMixer::mix(int16_t* output, size_t sampleCount) {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_accumulator.assign(sampleCount, 0);
    for (voice& each : m_voices) {
        if (each.used && each.playing) {
            mixVoice(each, sampleCount);
        }
    }
    constexpr int32_t lowest = std::numeric_limits<int16_t>::min();
    constexpr int32_t highest = std::numeric_limits<int16_t>::max();
    for (size_t i = 0; i < sampleCount; ++i) {
        output[i] = static_cast<int16_t>(std::clamp(m_accumulator[i], lowest, highest));
    }
    ++m_mixCount;
    m_mixed.notify_all();
}

void audioMixer::mixVoice(voice& source, size_t sampleCount) {
    const std::vector<int16_t>& samples = source.memory->samples;
    size_t written = 0;
    while (written < sampleCount) {
        if (source.position >= samples.size()) {
            source.position = 0;
            if (!source.looping || samples.empty()) {
                source.playing = false;
                return;
            }
        }
        const size_t count = std::min(sampleCount - written, samples.size() - source.position);
        for (size_t i = 0; i < count; ++i) {
            m_accumulator[written + i] += samples[source.position + i];
        }
        written += count;
        source.position += count;
    }
    // A one-shot voice that ends exactly here is done now, not at the next mix.
    if (source.position >= samples.size() && !source.looping) {
        source.position = 0;
        source.playing = false;
    }
}

uint64_t audioMixer::getMixCount() const {
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_mixCount;
}

bool audioMixer::waitForMixCount(uint64_t count, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_mixed.wait_for(hold, limit, [&] { return m_mixCount >= count; });
}

bool audioMixer::waitUntilSilent(std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_mixed.wait_for(hold, limit, [&] { return !anyPlaying(); });
}

bool audioMixer::anyPlaying() const {
    return std::any_of(m_voices.begin(), m_voices.end(),
                       [](const voice& each) { return each.used && each.playing; });
}

audioMixer::voice* audioMixer::find(int id) {
    if (id < 0 || static_cast<size_t>(id) >= m_voices.size() || !m_voices[id].used) {
        return nullptr;
    }
    return &m_voices[id];
}

const audioMixer::voice* audioMixer::find(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= m_voices.size() || !m_voices[id].used) {
        return nullptr;
    }
    return &m_voices[id];
}
